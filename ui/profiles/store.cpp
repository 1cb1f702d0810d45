#include "ui/profiles/store.h"

#include <strsafe.h>
#include <cstring>
#include <cwchar>

#include "resources/resource.h"
#include "settings/private_devmode.h"
#include "ui/frame/module.h"
#include "ui/sheets/page_context.h"
#include "ui/sheets/page_controls.h"
#include "ui/profiles/item_values.h"
#include "ui/profiles/profile_fields.h"
#include "ui/printer/registry_keys.h"

const wchar_t kCustomDevDataValue[] = L"CustomDevData";

namespace {

constexpr size_t kProfilePathChars = 2048;
constexpr REGSAM kProfileAccess = KEY_READ | KEY_WRITE;
// Where a replacement is written before it takes the profile's place. No
// profile can have this name: profile names never contain a period.
const wchar_t kPendingSuffix[] = L".pending";
// Value names of the registry's own limit, so that copying a key misses none.
constexpr DWORD kAnyValueNameChars = 16384;

struct StoredValue {
    const wchar_t *name;
    DWORD type;
    const BYTE *data;
    DWORD size;
};

// Calls `visit` for every value of `key` whose name fits in `nameChars`, in
// index order, until it returns false. True when no value was left out.
template <typename Visit>
bool VisitValues(HKEY key, DWORD nameChars, Visit visit) {
    unique_process_heap_ptr nameBuffer(HeapAlloc(GetProcessHeap(), 0, nameChars * sizeof(wchar_t)));
    if (!nameBuffer) return false;
    auto *name = static_cast<wchar_t *>(nameBuffer.get());
    bool complete = true;
    for (DWORD index = 0;; ++index) {
        DWORD chars = nameChars, type = 0, size = 0;
        LONG status = RegEnumValueW(key, index, name, &chars, nullptr, &type, nullptr, &size);
        if (status == ERROR_NO_MORE_ITEMS) return complete;
        if (status == ERROR_MORE_DATA) {  // a name longer than the buffer
            complete = false;
            continue;
        }
        if (status != ERROR_SUCCESS) return false;
        unique_process_heap_ptr data(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size ? size : 1));
        chars = nameChars;
        DWORD read = size;
        if (!data || RegEnumValueW(key, index, name, &chars, nullptr, &type, static_cast<BYTE *>(data.get()),
                                   &read) != ERROR_SUCCESS) {
            complete = false;
            continue;
        }
        if (!visit(StoredValue{name, type, static_cast<const BYTE *>(data.get()), read})) return complete;
    }
}

bool IsCustomDevData(const wchar_t *name) {
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, name, -1, kCustomDevDataValue, -1) == CSTR_EQUAL;
}

// Reading at most `limit` characters: the driver's buffer may end before a terminator.
size_t ItemTextLength(const OPTITEM &item, size_t limit) {
    size_t buffer = EditBufferChars(item);
    if (buffer > 0 && buffer - 1 < limit) limit = buffer - 1;
    return wcsnlen(item.pSel, limit);
}

bool WriteItemValue(HKEY key, const OPTITEM &item) {
    wchar_t name[kProfileNameChars];
    ItemValueName(item, name);
    switch (StoredKindOf(item)) {
    case StoredKind::Selection: {
        DWORD selection = static_cast<DWORD>(item.Sel);
        return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&selection),
                              sizeof(selection)) == ERROR_SUCCESS;
    }
    case StoredKind::Text: {
        wchar_t text[kStoredTextChars + 1];
        size_t length = ItemTextLength(item, kStoredTextChars);
        wmemcpy(text, item.pSel, length);
        text[length] = L'\0';
        return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                              static_cast<DWORD>((length + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    }
    case StoredKind::None:
        return true;
    }
    return true;
}

// True when every value was written.
bool WriteProfileValues(HKEY key, const OPTITEM *items, DWORD count, const PrivateDevmode &work) {
    bool complete = true;
    if (items)
        for (DWORD i = 0; i < count; ++i) complete = WriteItemValue(key, items[i]) && complete;
    return RegSetValueExW(key, kCustomDevDataValue, 0, REG_BINARY, reinterpret_cast<const BYTE *>(&work),
                          sizeof(work)) == ERROR_SUCCESS &&
           complete;
}

// A stored record as loading takes it: validated like any record the
// plug-in did not write itself in this session.
bool StoredRecord(const StoredValue &value, PrivateDevmode *record) {
    if (value.size < sizeof(PrivateDevmode)) return false;
    std::memcpy(record, value.data, sizeof(*record));
    ValidatePrivateDevmode(record);
    return true;
}

// The selection a stored value gives the item, when it can take one.
bool StoredSelectionFor(const OPTITEM &item, const StoredValue &value, LONG *selection) {
    return StoredSelection(value.data, value.size, selection) && SelectionFits(item, *selection);
}

bool ApplyStoredText(OPTITEM *item, const StoredValue &value) {
    size_t buffer = EditBufferChars(*item);
    if (buffer == 0) return false;  // without a known size nothing is safe to write
    size_t length = StoredTextLength(value.data, value.size, buffer - 1);
    std::memcpy(item->pSel, value.data, length * sizeof(wchar_t));
    item->pSel[length] = L'\0';
    return true;
}

bool ApplyStoredValue(OPTITEM *item, const StoredValue &value) {
    switch (StoredKindOf(*item)) {
    case StoredKind::Selection: {
        LONG selection = 0;
        if (!StoredSelectionFor(*item, value, &selection)) return false;
        item->Sel = selection;
        return true;
    }
    case StoredKind::Text:
        return ApplyStoredText(item, value);
    case StoredKind::None:
        return false;
    }
    return false;
}

bool StoredTextDiffers(const OPTITEM &item, const StoredValue &value) {
    size_t buffer = EditBufferChars(item);
    if (buffer == 0) return false;  // loading would not touch it either
    size_t limit = buffer - 1 < kStoredTextChars ? buffer - 1 : kStoredTextChars;
    size_t stored = StoredTextLength(value.data, value.size, limit);
    size_t current = ItemTextLength(item, limit);
    if (stored != current) return true;
    return std::memcmp(item.pSel, value.data, stored * sizeof(wchar_t)) != 0;
}

bool StoredValueDiffers(const OPTITEM &item, const StoredValue &value) {
    switch (StoredKindOf(item)) {
    case StoredKind::Selection: {
        LONG selection = 0;
        return StoredSelectionFor(item, value, &selection) && item.Sel != selection;
    }
    case StoredKind::Text:
        return StoredTextDiffers(item, value);
    case StoredKind::None:
        return false;
    }
    return false;
}

void TellDriver(const PageContext *ctx, OPTITEM *item) {
    POEMUIOBJ object = ctx->params ? ctx->params->poemuiobj : nullptr;
    if (!object || !object->pOemUIProcs || !object->pOemUIProcs->DrvUpdateUISetting) return;
    object->pOemUIProcs->DrvUpdateUISetting(object, item, 0, OEMCUIP_DOCPROP);
}

bool OpenProfilesKey(HANDLE printer, unique_hkey *key) { return OpenProfileKey(printer, L"", key); }

bool SubKeyExists(HKEY parent, const wchar_t *name) {
    unique_hkey key;
    return RegOpenKeyExW(parent, name, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

bool DeleteSubKey(HKEY parent, const wchar_t *name) {
    LONG status = RegDeleteKeyW(parent, name);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

// Copies every value of `from` into a new key `to`. On any failure the new
// key is removed again and `from` is left as it was; a key `to` that already
// exists is another profile and is never written into.
bool CopyProfileKey(HKEY profiles, const wchar_t *from, const wchar_t *to) {
    unique_hkey source, target;
    DWORD disposition = 0;
    if (RegOpenKeyExW(profiles, from, 0, KEY_READ, source.put()) != ERROR_SUCCESS) return false;
    if (RegCreateKeyExW(profiles, to, 0, nullptr, REG_OPTION_NON_VOLATILE, kProfileAccess, nullptr, target.put(),
                        &disposition) != ERROR_SUCCESS)
        return false;
    if (disposition != REG_CREATED_NEW_KEY) return false;
    bool written = true;
    bool allRead = VisitValues(source.get(), kAnyValueNameChars, [&](const StoredValue &value) {
        written = RegSetValueExW(target.get(), value.name, 0, value.type, value.data, value.size) == ERROR_SUCCESS;
        return written;
    });
    source.reset();
    target.reset();
    if (allRead && written) return true;
    RegDeleteKeyW(profiles, to);
    return false;
}

// The profile a pending key was written for, when `name` is one.
bool PendingProfileName(const wchar_t *name, wchar_t (&profile)[kProfileNameChars]) {
    const size_t length = wcsnlen(name, kProfileNameChars), suffix = ARRAYSIZE(kPendingSuffix) - 1;
    if (length <= suffix || length >= kProfileNameChars ||
        CompareStringOrdinal(name + length - suffix, -1, kPendingSuffix, -1, TRUE) != CSTR_EQUAL)
        return false;
    wmemcpy(profile, name, length - suffix);
    profile[length - suffix] = L'\0';
    return true;
}

// Finishes what a replacement left behind when it could not clean up: a
// pending key beside its profile is surplus (the profile is whole, old or
// new), one without it holds the complete new settings that had not yet
// been moved into place. Either way it goes.
void RecoverPendingProfiles(HKEY profiles) {
    for (int pass = 0; pass < 16; ++pass) {
        bool acted = false;
        for (DWORD index = 0;; ++index) {
            wchar_t found[kProfileNameChars], profile[kProfileNameChars];
            DWORD chars = kProfileNameChars;
            LONG status = RegEnumKeyExW(profiles, index, found, &chars, nullptr, nullptr, nullptr, nullptr);
            if (status == ERROR_MORE_DATA) continue;
            if (status != ERROR_SUCCESS) break;
            if (!PendingProfileName(found, profile)) continue;
            if (!SubKeyExists(profiles, profile) && !CopyProfileKey(profiles, found, profile)) continue;
            acted = DeleteSubKey(profiles, found);
            break;  // the key list changed under the enumeration
        }
        if (!acted) return;
    }
}

bool FindProfileKey(HANDLE printer, const wchar_t *name) {
    unique_hkey key;
    if (!name || !OpenProfilesKey(printer, &key)) return false;
    for (DWORD index = 0;; ++index) {
        wchar_t found[kProfileNameChars];
        DWORD chars = kProfileNameChars;
        LONG status = RegEnumKeyExW(key.get(), index, found, &chars, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) return false;
        if (status == ERROR_MORE_DATA) continue;  // longer than any profile name
        if (status != ERROR_SUCCESS) return false;
        if (lstrcmpiW(found, name) == 0) return true;
    }
}

// Measured in the list's own font, which is what its entries are drawn in.
int ListTextWidth(HWND list, size_t chars) { return static_cast<int>(chars) * MaxCharWidthOf(list); }

}  // namespace

bool OpenProfileKey(HANDLE printer, const wchar_t *name, unique_hkey *key) {
    if (!name || !key) return false;
    wchar_t path[kProfilePathChars];
    HRESULT formatted = name[0] ? StringCchPrintfW(path, kProfilePathChars, L"Profiles\\%s", name)
                                : StringCchCopyW(path, kProfilePathChars, L"Profiles");
    if (FAILED(formatted)) return false;
    unique_hkey driverKey;
    if (!CreateDriverKey(printer, &driverKey, nullptr)) return false;
    return RegCreateKeyExW(driverKey.get(), path, 0, nullptr, REG_OPTION_NON_VOLATILE, kProfileAccess, nullptr,
                           key->put(), nullptr) == ERROR_SUCCESS;
}

bool SaveProfile(const OPTITEM *items, const wchar_t *name, HANDLE printer, PageContext *ctx) {
    unique_hkey profiles, key;
    DWORD disposition = 0;
    if (!ctx || !name || !name[0] || !OpenProfilesKey(printer, &profiles) ||
        RegCreateKeyExW(profiles.get(), name, 0, nullptr, REG_OPTION_NON_VOLATILE, kProfileAccess, nullptr,
                        key.put(), &disposition) != ERROR_SUCCESS)
        return false;
    // Only ever a new profile: every caller has looked for the name first, and
    // a look that failed must not let the settings of the moment merge into
    // a profile the user has (the factory defaults are never rewritten).
    if (disposition != REG_CREATED_NEW_KEY) return false;
    if (WriteProfileValues(key.get(), items, ctx->driverItemCount, ctx->work)) return true;
    // Half a profile would be listed, loaded and matched as if it were whole.
    key.reset();
    DeleteSubKey(profiles.get(), name);
    return false;
}

bool ReplaceProfile(const OPTITEM *items, const wchar_t *name, HANDLE printer, PageContext *ctx) {
    wchar_t pending[kProfilePathChars];
    unique_hkey profiles;
    if (!ctx || !name || !name[0] || FAILED(StringCchPrintfW(pending, kProfilePathChars, L"%s%s", name, kPendingSuffix)) ||
        !OpenProfilesKey(printer, &profiles))
        return false;
    DeleteSubKey(profiles.get(), pending);  // left over from an earlier attempt
    {
        unique_hkey key;
        DWORD disposition = 0;
        // A pending key that could not be cleared would lend the profile its values.
        if (RegCreateKeyExW(profiles.get(), pending, 0, nullptr, REG_OPTION_NON_VOLATILE, kProfileAccess, nullptr,
                            key.put(), &disposition) != ERROR_SUCCESS ||
            disposition != REG_CREATED_NEW_KEY)
            return false;
        if (!WriteProfileValues(key.get(), items, ctx->driverItemCount, ctx->work)) {
            key.reset();
            DeleteSubKey(profiles.get(), pending);
            return false;
        }
    }
    // The new settings are safe; only now does the old profile go.
    if (!DeleteSubKey(profiles.get(), name)) {
        DeleteSubKey(profiles.get(), pending);
        return false;
    }
    // From here the old profile is gone and the pending key is the only whole
    // one: the way back to a profile under its name is forward. A copy that
    // failed took its half back, so it is tried once more; should that fail
    // too, the pending key stays for the next listing to move into place.
    if (!CopyProfileKey(profiles.get(), pending, name) && !CopyProfileKey(profiles.get(), pending, name))
        return false;
    DeleteSubKey(profiles.get(), pending);  // if it stays, the next listing removes it
    return true;
}

bool LoadProfile(PageContext *ctx, const wchar_t *name, HANDLE printer) {
    unique_hkey key;
    if (!ctx || !OpenProfileKey(printer, name, &key)) return true;
    VisitValues(key.get(), kProfileNameChars, [&](const StoredValue &value) {
        if (IsCustomDevData(value.name)) {
            PrivateDevmode record;
            if (StoredRecord(value, &record)) CopyProfileFields(ctx, &record);
            return true;
        }
        OPTITEM *item = FindDesignatedItem(ctx->driverItems, ctx->driverItemCount, value.name);
        if (item && ApplyStoredValue(item, value)) {
            item->Flags |= OPTIF_CHANGED;
            TellDriver(ctx, item);
        }
        return true;
    });
    return true;
}

bool ProfileMatchesSettings(const wchar_t *name, HANDLE printer, PageContext *ctx) {
    unique_hkey key;
    if (!ctx || !OpenProfileKey(printer, name, &key)) return true;
    bool matches = true;
    VisitValues(key.get(), kProfileNameChars, [&](const StoredValue &value) {
        if (IsCustomDevData(value.name)) {
            PrivateDevmode record;
            matches = StoredRecord(value, &record) && ProfileFieldsEqual(record, ctx->work);
        } else if (const OPTITEM *item = FindDesignatedItem(ctx->driverItems, ctx->driverItemCount, value.name)) {
            matches = !StoredValueDiffers(*item, value);
        }
        return matches;
    });
    return matches;
}

DWORD ListProfiles(HWND listBox, HANDLE printer) {
    wchar_t factory[kUiStringChars];
    LoadUiString(IDS_FACTORY_DEFAULTS, factory, kUiStringChars);
    unique_hkey key;
    if (!OpenProfilesKey(printer, &key)) return 0;
    RecoverPendingProfiles(key.get());
    DWORD count = 0;
    size_t longest = 0;
    for (DWORD index = 0;; ++index) {
        wchar_t name[kProfileNameChars];
        DWORD chars = kProfileNameChars;
        LONG status = RegEnumKeyExW(key.get(), index, name, &chars, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_NO_MORE_ITEMS) break;
        if (status == ERROR_MORE_DATA) {  // a key no profile name could have made
            ++count;
            continue;
        }
        if (status != ERROR_SUCCESS) break;
        wchar_t pendingFor[kProfileNameChars];
        if (PendingProfileName(name, pendingFor)) continue;  // not a profile; one recovery could not remove
        ++count;
        if (std::wcscmp(name, factory) == 0 || !listBox) continue;
        SendMessageW(listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        if (chars > longest) longest = chars;
    }
    if (listBox) SendMessageW(listBox, LB_SETHORIZONTALEXTENT, ListTextWidth(listBox, longest), 0);
    return count;
}

void RaiseListExtent(HWND listBox, size_t chars) {
    int width = ListTextWidth(listBox, chars);
    if (width > static_cast<int>(SendMessageW(listBox, LB_GETHORIZONTALEXTENT, 0, 0)))
        SendMessageW(listBox, LB_SETHORIZONTALEXTENT, width, 0);
}

bool DeleteProfile(const wchar_t *name, HANDLE printer) {
    unique_hkey profiles;
    if (!name || !name[0] || !OpenProfilesKey(printer, &profiles)) return false;
    return RegDeleteKeyW(profiles.get(), name) == ERROR_SUCCESS;
}

bool RenameProfile(const wchar_t *oldName, const wchar_t *newName, HANDLE printer) {
    unique_hkey profiles;
    if (!oldName || !newName || !oldName[0] || !newName[0] || lstrcmpiW(oldName, newName) == 0 ||
        !OpenProfilesKey(printer, &profiles))
        return false;
    // Never merge into another profile.
    if (SubKeyExists(profiles.get(), newName)) return false;
    if (!CopyProfileKey(profiles.get(), oldName, newName)) return false;
    if (RegDeleteKeyW(profiles.get(), oldName) == ERROR_SUCCESS) return true;
    DeleteSubKey(profiles.get(), newName);  // back to one profile under the old name
    return false;
}

bool IsProfileNameFree(const wchar_t *name, HANDLE printer) { return !FindProfileKey(printer, name); }

bool HasFactoryDefaultsProfile(HANDLE printer) {
    wchar_t factory[kUiStringChars];
    LoadUiString(IDS_FACTORY_DEFAULTS, factory, kUiStringChars);
    return FindProfileKey(printer, factory);
}
