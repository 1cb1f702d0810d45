#include "ui/watermark/store.h"

#include <strsafe.h>
#include <cwchar>

#include "resources/resource.h"
#include "ui/frame/module.h"
#include "ui/sheets/page_controls.h"
#include "ui/printer/registry_keys.h"
#include "ui/printer/registry_tree.h"

namespace {

const wchar_t kWatermarksKey[] = L"Watermarks";
const wchar_t kCountValue[] = L"NumberOfWaterMarks";
const wchar_t kDefaultUserHive[] = L".DEFAULT";
constexpr DWORD kRecordBytes = sizeof(WatermarkRecord);
constexpr DWORD kValueNameChars = 128;
constexpr DWORD kHiveNameChars = 2048;
// A hive's name (one key name, at most 255 characters), a backslash and the
// driver key path.
constexpr size_t kUserPathChars = 256 + kDriverKeyPathChars;

struct SeedRow {
    UINT nameId;
    UINT textId;
    double angle;
    uint8_t gray;  // red = green = blue
    uint32_t pointSize;
    uint32_t position;
    uint32_t dynamicText;
};

const SeedRow kSeeds[kDefaultWatermarkCount] = {
    {IDS_WM_DRAFT_NAME, IDS_WM_DRAFT_TEXT, 45.0, 205, 72, WM_POS_CENTER, 0},
    {IDS_WM_CONFIDENTIAL_NAME, IDS_WM_CONFIDENTIAL_TEXT, 45.0, 205, 72, WM_POS_CENTER, 0},
    {IDS_WM_USERNAME_NAME, IDS_WM_USERNAME_TEXT, 0.0, 0, 8, WM_POS_TOP_LEFT, 1},
    {IDS_WM_DATETIME_NAME, IDS_WM_DATETIME_TEXT, 0.0, 0, 8, WM_POS_TOP_RIGHT, 1},
};

// The value name is the watermark's name: it must be a terminated, non-empty
// string, or the registry would read past it or write the key's default value.
bool IsStorableName(const wchar_t (&name)[128]) {
    size_t length = wcsnlen(name, 128);
    return length > 0 && length < 128;
}

bool WriteRecord(HKEY watermarks, const WatermarkRecord &record) {
    return RegSetValueExW(watermarks, record.name, 0, REG_BINARY, reinterpret_cast<const BYTE *>(&record),
                          kRecordBytes) == ERROR_SUCCESS;
}

// Whether a value of that name exists, whatever its type or size: every
// value under "Watermarks" counts in NumberOfWaterMarks. Unknown when the
// registry would not say.
enum class Presence { Absent, Present, Unknown };

Presence PresenceOf(HKEY key, const wchar_t *name) {
    LONG status = RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS) return Presence::Present;
    return status == ERROR_FILE_NOT_FOUND ? Presence::Absent : Presence::Unknown;
}

// Value names compare as the registry compares them.
bool SameValueName(const wchar_t *a, const wchar_t *b) {
    return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

// The count a save or delete starts from: 0 when none is stored yet, false
// when it cannot be read, since a count built on a guess would stay wrong.
bool ReadCountForUpdate(HANDLE printer, DWORD *count) {
    *count = 0;
    DriverKeyPath path;
    if (!BuildDriverKeyPath(printer, &path)) return false;
    unique_hkey key;
    LONG status = RegOpenKeyExW(HKEY_CURRENT_USER, path.text, 0, KEY_READ, key.put());
    if (status == ERROR_FILE_NOT_FOUND) return true;
    if (status != ERROR_SUCCESS) return false;
    DWORD type = 0, value = 0, size = sizeof(value);
    status = RegQueryValueExW(key.get(), kCountValue, nullptr, &type, reinterpret_cast<BYTE *>(&value), &size);
    if (status == ERROR_FILE_NOT_FOUND) return true;
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) return false;
    if (status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(value)) *count = value;
    return true;
}

// "Watermarks", created when missing, for looking and writing.
bool OpenWatermarksForUpdate(HANDLE printer, unique_hkey *key) {
    unique_hkey driver;
    if (!CreateDriverKey(printer, &driver, nullptr)) return false;
    return RegCreateKeyExW(driver.get(), kWatermarksKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                           nullptr, key->put(), nullptr) == ERROR_SUCCESS;
}

struct SavedValue {
    DWORD type = REG_NONE;
    DWORD size = 0;
    unique_process_heap_ptr data;
};

bool SaveValue(HKEY key, const wchar_t *name, SavedValue *saved) {
    if (RegQueryValueExW(key, name, nullptr, &saved->type, nullptr, &saved->size) != ERROR_SUCCESS) return false;
    saved->data.reset(HeapAlloc(GetProcessHeap(), 0, saved->size ? saved->size : 1));
    return saved->data && RegQueryValueExW(key, name, nullptr, &saved->type, static_cast<BYTE *>(saved->data.get()),
                                           &saved->size) == ERROR_SUCCESS;
}

void SetListExtent(HWND listBox, size_t longestName) {
    const int charWidth = MaxCharWidthOf(listBox);
    if (charWidth <= 0) return;
    SendMessageW(listBox, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(charWidth * longestName), 0);
}

// Copies every value of `source` into `target` under the same name and type,
// last index first, stopping at the first failure. `copied` tells whether any
// was; the result whether all were (true for a key without values).
bool CopyValues(HKEY source, HKEY target, bool *copied) {
    DWORD values = 0, longestName = 0, longestData = 0;
    if (RegQueryInfoKeyW(source, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, &longestName,
                         &longestData, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    if (values == 0 || longestName == 0) return true;
    unique_process_heap_ptr name(HeapAlloc(GetProcessHeap(), 0, (longestName + 1) * sizeof(wchar_t)));
    unique_process_heap_ptr data(HeapAlloc(GetProcessHeap(), 0, longestData ? longestData : 1));
    if (!name || !data) return false;
    auto *nameText = static_cast<wchar_t *>(name.get());
    auto *bytes = static_cast<BYTE *>(data.get());
    for (DWORD index = values; index-- > 0;) {
        DWORD nameChars = longestName + 1, dataBytes = longestData, type = 0;
        if (RegEnumValueW(source, index, nameText, &nameChars, nullptr, &type, bytes, &dataBytes) != ERROR_SUCCESS)
            return false;
        if (RegSetValueExW(target, nameText, 0, type, bytes, dataBytes) != ERROR_SUCCESS) return false;
        *copied = true;
    }
    return true;
}

// Hive names are registry key names, which compare without regard to case
// (the default user's hive is listed as ".Default" on some systems).
bool IsDefaultUserHive(const wchar_t *name) {
    return CompareStringOrdinal(name, -1, kDefaultUserHive, -1, TRUE) == CSTR_EQUAL;
}

// The parents go only when nothing else is left under them.
void DeleteForCurrentUser(HKEY user, const DriverKeyPath &path) {
    DeleteKeyTreeKeepingLinks(user, path.text);
    DeleteEmptyKeyKeepingLinks(user, kSettingsRoot);
    DeleteEmptyKeyKeepingLinks(user, kSettingsCompany);
}

// Each user controls the keys of their own hive and may have made any of
// them a link; this runs with the spooler's rights. Every key on the way is
// opened as itself: a hive that is a link is passed over like a link inside
// one.
bool DeleteForOtherUsers(const DriverKeyPath &path) {
    unique_hkey users;
    if (RegOpenKeyExW(HKEY_USERS, L"", 0, KEY_ENUMERATE_SUB_KEYS, users.put()) != ERROR_SUCCESS) return false;
    bool deleted = false;
    wchar_t name[kHiveNameChars];
    for (DWORD index = 0;; ++index) {
        LONG rc = RegEnumKeyW(users.get(), index, name, kHiveNameChars);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) break;
        if (IsDefaultUserHive(name)) continue;
        wchar_t userPath[kUserPathChars];
        if (FAILED(StringCchPrintfW(userPath, kUserPathChars, L"%s\\%s", name, path.text))) continue;
        if (DeleteKeyTreeKeepingLinks(users.get(), userPath)) deleted = true;
    }
    return deleted;
}

}  // namespace

bool OpenWatermarksKeyForRead(HANDLE printer, unique_hkey *key) {
    unique_hkey driver;
    if (!key || !OpenDriverKeyForRead(printer, &driver)) return false;
    return RegOpenKeyExW(driver.get(), kWatermarksKey, 0, KEY_READ, key->put()) == ERROR_SUCCESS;
}

bool CreateWatermarksKey(HANDLE printer, unique_hkey *key, DWORD *disposition) {
    unique_hkey driver;
    if (!key || !CreateDriverKey(printer, &driver, nullptr)) return false;
    return RegCreateKeyExW(driver.get(), kWatermarksKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                           key->put(), disposition) == ERROR_SUCCESS;
}

bool ReadWatermark(HANDLE printer, WatermarkRecord *record, const wchar_t *name) {
    if (!record || !name) return false;
    unique_hkey key;
    if (!OpenWatermarksKeyForRead(printer, &key)) return false;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    // Only binary values are watermarks; a text of the right length is not.
    if (type != REG_BINARY || size == 0 || size > kRecordBytes) return false;
    MakeDefaultWatermark(record);
    DWORD read = size;
    return RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE *>(record), &read) ==
           ERROR_SUCCESS;
}

bool WatermarkExists(HANDLE printer, const wchar_t *name) {
    WatermarkRecord scratch;
    return ReadWatermark(printer, &scratch, name);
}

bool SaveWatermark(HANDLE printer, const WatermarkRecord *record) {
    if (!record || !IsStorableName(record->name)) return false;
    DWORD count = 0;
    unique_hkey key;
    if (!ReadCountForUpdate(printer, &count) || !OpenWatermarksForUpdate(printer, &key)) return false;
    const Presence presence = PresenceOf(key.get(), record->name);
    if (presence == Presence::Unknown || !WriteRecord(key.get(), *record)) return false;
    if (presence == Presence::Present || WriteWatermarkCount(printer, count + 1)) return true;
    RegDeleteValueW(key.get(), record->name);  // a count that no longer matched the values would stay wrong
    return false;
}

bool RenameWatermark(HANDLE printer, const WatermarkRecord *record, const wchar_t *oldName) {
    if (!record || !IsStorableName(record->name) || !oldName || !oldName[0]) return false;
    if (SameValueName(record->name, oldName)) return SaveWatermark(printer, record);
    DWORD count = 0;
    unique_hkey key;
    if (!ReadCountForUpdate(printer, &count) || !OpenWatermarksForUpdate(printer, &key)) return false;
    // Never over another watermark: that one would be lost with the count.
    if (PresenceOf(key.get(), record->name) != Presence::Absent) return false;
    const Presence old = PresenceOf(key.get(), oldName);
    if (old == Presence::Unknown || !WriteRecord(key.get(), *record)) return false;
    // One value in, one out: the count stays. Should the old one stay as
    // well, the new one goes again, so the user never finds a copy.
    if (old == Presence::Present ? RegDeleteValueW(key.get(), oldName) == ERROR_SUCCESS
                                 : WriteWatermarkCount(printer, count + 1))
        return true;
    RegDeleteValueW(key.get(), record->name);
    return false;
}

bool DeleteWatermark(HANDLE printer, const wchar_t *name) {
    if (!name || !name[0]) return false;
    DWORD count = 0;
    unique_hkey driver, key;
    if (!ReadCountForUpdate(printer, &count) || !OpenDriverKeyForWrite(printer, &driver)) return false;
    if (RegOpenKeyExW(driver.get(), kWatermarksKey, 0, KEY_READ | KEY_WRITE, key.put()) != ERROR_SUCCESS) return false;
    // Kept to be put back should the count not follow.
    SavedValue saved;
    if (!SaveValue(key.get(), name, &saved) || RegDeleteValueW(key.get(), name) != ERROR_SUCCESS) return false;
    if (WriteWatermarkCount(printer, count > 0 ? count - 1 : 0)) return true;
    RegSetValueExW(key.get(), name, 0, saved.type, static_cast<const BYTE *>(saved.data.get()), saved.size);
    return false;
}

DWORD CountWatermarks(HANDLE printer) {
    unique_hkey key;
    if (!OpenWatermarksKeyForRead(printer, &key)) return 0;
    wchar_t name[kValueNameChars];
    for (DWORD index = 0;; ++index) {
        DWORD chars = kValueNameChars;
        LONG rc = RegEnumValueW(key.get(), index, name, &chars, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) return index;
        if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) return 0;
    }
}

bool ForEachWatermarkName(HANDLE printer, bool (*take)(const wchar_t *name, void *context), void *context) {
    unique_hkey key;
    if (!take || !OpenWatermarksKeyForRead(printer, &key)) return false;
    wchar_t name[kValueNameChars];
    LONG rc = ERROR_SUCCESS;
    for (DWORD index = 0;; ++index) {
        DWORD chars = kValueNameChars;
        rc = RegEnumValueW(key.get(), index, name, &chars, nullptr, nullptr, nullptr, nullptr);
        if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) break;
        if (rc != ERROR_SUCCESS) continue;  // a name too long for any watermark
        if (!take(name, context)) return true;
    }
    return rc == ERROR_NO_MORE_ITEMS;
}

bool FillWatermarkList(HANDLE printer, HWND listBox) {
    if (!listBox) return false;
    struct Fill {
        HWND listBox;
        size_t longest;
    } fill{listBox, 0};
    const bool whole = ForEachWatermarkName(
        printer,
        [](const wchar_t *name, void *context) {
            auto *f = static_cast<Fill *>(context);
            SendMessageW(f->listBox, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
            const size_t chars = wcslen(name);
            if (chars > f->longest) f->longest = chars;
            return true;
        },
        &fill);
    SetListExtent(listBox, fill.longest);
    return whole;
}

DWORD ReadWatermarkCount(HANDLE printer) {
    unique_hkey key;
    if (!OpenDriverKeyForRead(printer, &key)) return 0;
    DWORD type = 0, value = 0, size = sizeof(value);
    if (RegQueryValueExW(key.get(), kCountValue, nullptr, &type, reinterpret_cast<BYTE *>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value))
        return 0;
    return value;
}

bool WriteWatermarkCount(HANDLE printer, DWORD count) {
    unique_hkey key;
    if (!CreateDriverKey(printer, &key, nullptr)) return false;
    return RegSetValueExW(key.get(), kCountValue, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&count),
                          sizeof(count)) == ERROR_SUCCESS;
}

bool MakeSeedWatermark(int index, WatermarkRecord *record) {
    if (!record || index < 0 || index >= kDefaultWatermarkCount) return false;
    const SeedRow &seed = kSeeds[index];
    MakeDefaultWatermark(record);
    if (LoadUiString(seed.nameId, record->name, 128) == 0) return false;
    LoadUiString(seed.textId, record->text, 128);
    LoadUiString(IDS_WM_DEFAULT_FACE, record->faceName, 64);
    record->angle = seed.angle;
    record->color[0] = record->color[1] = record->color[2] = seed.gray;
    record->color[3] = 0;
    record->pointSize = seed.pointSize;
    record->position = seed.position;
    record->dynamicText = seed.dynamicText;
    return true;
}

bool SeedDefaultWatermarks(const wchar_t *driverName) {
    DriverKeyPath path;
    if (!BuildDriverKeyPathFromName(driverName, &path)) return false;
    unique_hkey driver, key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.text, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        driver.put(), nullptr) != ERROR_SUCCESS ||
        RegCreateKeyExW(driver.get(), kWatermarksKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS)
        return false;
    bool all = true;
    for (int i = 0; i < kDefaultWatermarkCount; ++i) {
        WatermarkRecord record;
        all = MakeSeedWatermark(i, &record) && WriteRecord(key.get(), record) && all;
    }
    return all;
}

bool CopyDefaultUserSettings(HANDLE printer) {
    DriverKeyPath path;
    if (!printer || !BuildDriverKeyPath(printer, &path)) return false;
    // Only a user who has no settings gets the default ones; a key that
    // could not be opened may well be there.
    unique_hkey own;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.text, 0, KEY_READ, own.put()) != ERROR_FILE_NOT_FOUND) return false;
    unique_hkey defaultUser, source;
    if (RegOpenKeyExW(HKEY_USERS, kDefaultUserHive, 0, KEY_READ, defaultUser.put()) != ERROR_SUCCESS ||
        RegOpenKeyExW(defaultUser.get(), path.text, 0, KEY_READ, source.put()) != ERROR_SUCCESS)
        return false;
    unique_hkey target;
    if (!CreateDriverKey(printer, &target, nullptr)) return false;
    bool copied = false;
    bool complete = CopyValues(source.get(), target.get(), &copied);
    DWORD watermarkCount = 0;
    unique_hkey sourceWatermarks, targetWatermarks;
    LONG status = RegOpenKeyExW(source.get(), kWatermarksKey, 0, KEY_READ, sourceWatermarks.put());
    if (status == ERROR_SUCCESS) {
        complete = complete && CreateWatermarksKey(printer, &targetWatermarks, nullptr) &&
                   CopyValues(sourceWatermarks.get(), targetWatermarks.get(), &copied) &&
                   RegQueryInfoKeyW(sourceWatermarks.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                    &watermarkCount, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    } else if (status != ERROR_FILE_NOT_FOUND) {
        complete = false;
    }
    if (complete && copied) complete = WriteWatermarkCount(printer, watermarkCount);
    if (complete) return copied;
    // Part of the settings would pass for all of them, and the user would
    // never be given the rest: without them the next call copies again.
    target.reset();
    targetWatermarks.reset();
    DeleteKeyTreeKeepingLinks(HKEY_CURRENT_USER, path.text);
    return false;
}

bool DeleteDriverSettings(const wchar_t *driverName) {
    DriverKeyPath path;
    if (!BuildDriverKeyPathFromName(driverName, &path)) return false;
    unique_hkey user;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"", 0, KEY_WRITE, user.put()) != ERROR_SUCCESS) return false;
    DeleteForCurrentUser(user.get(), path);
    user.reset();
    return DeleteForOtherUsers(path);
}
