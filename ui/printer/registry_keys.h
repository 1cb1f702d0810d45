// Where uiplug keeps per-user settings: one key per printer driver under the
// plug-in's root in HKEY_CURRENT_USER, shared by every printer of that driver.
#pragma once

#include <windows.h>

#include "platform/raii.h"

extern const wchar_t kSettingsRoot[];     // "Software\Corvane\PSPlugIn"
extern const wchar_t kSettingsCompany[];  // "Software\Corvane"

// Root + backslash + the longest key name the registry allows.
constexpr size_t kDriverKeyPathChars = 25 + 1 + 255 + 1;

struct DriverKeyPath {
    wchar_t text[kDriverKeyPathChars];
};

// The driver key path of the printer's driver (its PRINTER_INFO_2 driver name).
bool BuildDriverKeyPath(HANDLE printer, DriverKeyPath *path);
bool BuildDriverKeyPathFromName(const wchar_t *driverName, DriverKeyPath *path);

bool OpenDriverKeyForRead(HANDLE printer, unique_hkey *key);
bool OpenDriverKeyForWrite(HANDLE printer, unique_hkey *key);
// Creates the key when missing; `disposition` may be null.
bool CreateDriverKey(HANDLE printer, unique_hkey *key, DWORD *disposition);
