#include "ui/profiles/item_values.h"

#include <strsafe.h>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <utility>

namespace {

constexpr BYTE kLastSelectionType = TVOT_COMBOBOX;

WORD ResourceIdOf(const OPTITEM &item) { return LOWORD(reinterpret_cast<ULONG_PTR>(item.pName)); }

bool HasStringName(const OPTITEM &item) { return !IS_INTRESOURCE(item.pName); }

// The range of an up-down, trackbar or scroll-bar item: two signed 16-bit
// ends in its second parameter.
bool RangeFits(const OPTTYPE &type, LONG selection) {
    if (!type.pOptParam || type.Count < 2) return false;
    const OPTPARAM &range = type.pOptParam[1];
    LONG low = static_cast<SHORT>(static_cast<WORD>(range.IconID));
    LONG high = static_cast<SHORT>(static_cast<WORD>(range.lParam));
    if (low > high) std::swap(low, high);
    return selection >= low && selection <= high;
}

bool OptionFits(const OPTTYPE &type, LONG selection) {
    // "None" is an answer only where the item offers it.
    if (selection == -1) return (type.Style & OTS_LBCB_INCL_ITEM_NONE) != 0;
    return selection >= 0 && selection < static_cast<LONG>(type.Count);
}

}  // namespace

StoredKind StoredKindOf(const OPTITEM &item) {
    if (!item.pOptType) return StoredKind::None;
    BYTE type = item.pOptType->Type;
    if (type <= kLastSelectionType) return StoredKind::Selection;
    if (type == TVOT_EDITBOX && item.pSel) return StoredKind::Text;
    return StoredKind::None;
}

void ItemValueName(const OPTITEM &item, wchar_t (&name)[kProfileNameChars]) {
    name[0] = L'\0';
    if (item.DMPubID != 0) {
        StringCchPrintfW(name, kProfileNameChars, L"%u", static_cast<unsigned>(item.DMPubID));
    } else if (HasStringName(item)) {
        // A longer name is cut; STRSAFE_E_INSUFFICIENT_BUFFER still leaves it terminated.
        StringCchCopyW(name, kProfileNameChars, item.pName);
    } else {
        StringCchPrintfW(name, kProfileNameChars, L"%u", static_cast<unsigned>(ResourceIdOf(item)));
    }
}

long ReadDecimal(const wchar_t *text) {
    if (!text) return 0;
    while (std::iswspace(*text)) ++text;
    bool negative = *text == L'-';
    if (*text == L'-' || *text == L'+') ++text;
    long long value = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text) {
        value = value * 10 + (*text - L'0');
        if (value > 0x7FFFFFFFLL) value = 0x80000000LL;  // saturates instead of wrapping
    }
    if (negative) value = -value;
    if (value > 0x7FFFFFFFLL) value = 0x7FFFFFFFLL;
    return static_cast<long>(value);
}

OPTITEM *FindDesignatedItem(OPTITEM *items, DWORD count, const wchar_t *valueName) {
    if (!items || !valueName) return nullptr;
    long number = ReadDecimal(valueName);
    for (DWORD i = 0; i < count; ++i) {
        OPTITEM &item = items[i];
        if (item.DMPubID != 0) {
            if (number == static_cast<long>(item.DMPubID)) return &item;
        } else if (HasStringName(item)) {
            if (std::wcscmp(valueName, item.pName) == 0) return &item;
        } else if (number == static_cast<long>(ResourceIdOf(item))) {
            return &item;
        }
    }
    return nullptr;
}

bool SelectionFits(const OPTITEM &item, LONG selection) {
    if (!item.pOptType) return false;
    const OPTTYPE &type = *item.pOptType;
    switch (type.Type) {
    case TVOT_2STATES:
        return selection == 0 || selection == 1;
    case TVOT_3STATES:
        return selection >= 0 && selection <= 2;
    case TVOT_UDARROW:
    case TVOT_TRACKBAR:
    case TVOT_SCROLLBAR:
        return RangeFits(type, selection);
    case TVOT_LISTBOX:
    case TVOT_COMBOBOX:
        return OptionFits(type, selection);
    default:
        return false;
    }
}

bool StoredSelection(const BYTE *data, DWORD size, LONG *selection) {
    if (!data || !selection || size < sizeof(LONG)) return false;
    std::memcpy(selection, data, sizeof(LONG));
    return true;
}

size_t EditBufferChars(const OPTITEM &item) {
    const OPTTYPE *type = item.pOptType;
    if (!type || type->Type != TVOT_EDITBOX || !type->pOptParam || type->Count < 2) return 0;
    // The documented unit of this size is bytes.
    return static_cast<size_t>(type->pOptParam[1].IconID) / sizeof(wchar_t);
}

size_t StoredTextLength(const BYTE *data, DWORD size, size_t limit) {
    if (!data) return 0;
    size_t chars = size / sizeof(wchar_t);
    if (chars > limit) chars = limit;
    // The data need not be aligned for wchar_t; read it byte-wise.
    for (size_t i = 0; i < chars; ++i) {
        wchar_t c;
        std::memcpy(&c, data + i * sizeof(wchar_t), sizeof(c));
        if (c == L'\0') return i;
    }
    return chars;
}
