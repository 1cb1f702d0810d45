// The named watermarks of a user and printer driver, kept as REG_BINARY values
// (value name = watermark name, data = the WatermarkRecord) under the driver
// key's "Watermarks" sub-key. Nothing is cached; every call opens and closes
// its own keys, and none shows a message: callers report failures.
#pragma once

#include <windows.h>

#include "platform/raii.h"
#include "settings/private_devmode.h"

bool OpenWatermarksKeyForRead(HANDLE printer, unique_hkey *key);
bool CreateWatermarksKey(HANDLE printer, unique_hkey *key, DWORD *disposition);

// Reads a stored value of 1..704 bytes over a defaulted record (a shorter
// value fills the start). The record is left untouched when no such value
// exists and reset to defaults when the read itself fails. Not validated.
bool ReadWatermark(HANDLE printer, WatermarkRecord *record, const wchar_t *name);
bool WatermarkExists(HANDLE printer, const wchar_t *name);
// Adds or replaces the watermark named by record->name. Each of these leaves
// the store as it was when it fails, NumberOfWaterMarks included.
bool SaveWatermark(HANDLE printer, const WatermarkRecord *record);
// Stores the record under its (new) name in place of `oldName`; false when
// another watermark already has the new name.
bool RenameWatermark(HANDLE printer, const WatermarkRecord *record, const wchar_t *oldName);
bool DeleteWatermark(HANDLE printer, const wchar_t *name);

// The number of stored watermarks as the registry lists them (0 on failure).
DWORD CountWatermarks(HANDLE printer);
// Appends every stored name to a list box, in the registry's order.
bool FillWatermarkList(HANDLE printer, HWND listBox);
// Calls `take` with every stored name, in the registry's order, until it
// returns false. False when the names could not all be listed.
bool ForEachWatermarkName(HANDLE printer, bool (*take)(const wchar_t *name, void *context), void *context);

DWORD ReadWatermarkCount(HANDLE printer);
bool WriteWatermarkCount(HANDLE printer, DWORD count);

// The four watermarks a freshly installed driver offers, in HKEY_CURRENT_USER
// of the installing account.
bool SeedDefaultWatermarks(const wchar_t *driverName);
// Removes the driver's settings from the current user and every other user
// hive loaded under HKEY_USERS, except the default user's. A registry link
// met on the way or inside is neither followed nor deleted: it stays, and so
// do the keys that hold it.
bool DeleteDriverSettings(const wchar_t *driverName);
// A user without settings for the printer's driver gets the default user's.
// True when anything was copied.
bool CopyDefaultUserSettings(HANDLE printer);

// The default watermark at `index` (0..3) with its texts from the string table.
constexpr int kDefaultWatermarkCount = 4;
bool MakeSeedWatermark(int index, WatermarkRecord *record);
