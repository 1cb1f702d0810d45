// How one of the driver's option items is kept in a profile: the name of its
// registry value, which stored values designate it, and which stored
// selections and texts it can take.
#pragma once

#include <windows.h>

#include "platform/oem_abi.h"

// Profile and value names are at most this long (plus the terminator).
constexpr size_t kProfileNameChars = 128;
// Edit-box texts are stored cut to this many characters.
constexpr size_t kStoredTextChars = 127;

enum class StoredKind {
    None,       // the item stores nothing
    Selection,  // a REG_DWORD of Sel
    Text,       // a REG_SZ of the text behind pSel
};

StoredKind StoredKindOf(const OPTITEM &item);

// The public id in decimal, else the item's own name (cut), else its
// resource id in decimal.
void ItemValueName(const OPTITEM &item, wchar_t (&name)[kProfileNameChars]);

// The first item that `valueName` designates, or null.
OPTITEM *FindDesignatedItem(OPTITEM *items, DWORD count, const wchar_t *valueName);

// A number read the way _wtoi reads one: leading white space, a sign, digits.
long ReadDecimal(const wchar_t *text);

// Whether the item offers `selection` (an option index or a value in its range).
bool SelectionFits(const OPTITEM &item, LONG selection);

// The selection a stored value holds: its first four bytes. False for less.
bool StoredSelection(const BYTE *data, DWORD size, LONG *selection);

// The characters (terminator included) of the item's text buffer as its
// option type declares them; 0 when it declares none.
size_t EditBufferChars(const OPTITEM &item);

// The characters of a stored text (without terminator), at most `limit`.
size_t StoredTextLength(const BYTE *data, DWORD size, size_t limit);
