#include "ui/printer/registry_keys.h"

#include <winspool.h>
#include <strsafe.h>

#include "ui/printer/spooler_info.h"

const wchar_t kSettingsRoot[] = L"Software\\Corvane\\PSPlugIn";
const wchar_t kSettingsCompany[] = L"Software\\Corvane";

namespace {

bool OpenDriverKey(HANDLE printer, REGSAM access, unique_hkey *key) {
    DriverKeyPath path;
    if (!key || !BuildDriverKeyPath(printer, &path)) return false;
    return RegOpenKeyExW(HKEY_CURRENT_USER, path.text, 0, access, key->put()) == ERROR_SUCCESS;
}

}  // namespace

bool BuildDriverKeyPathFromName(const wchar_t *driverName, DriverKeyPath *path) {
    if (!driverName || !path || !driverName[0]) return false;
    return SUCCEEDED(StringCchPrintfW(path->text, kDriverKeyPathChars, L"%s\\%s", kSettingsRoot, driverName));
}

bool BuildDriverKeyPath(HANDLE printer, DriverKeyPath *path) {
    unique_process_heap_ptr buffer;
    if (!path || !ReadPrinterInfo2(printer, &buffer)) return false;
    return BuildDriverKeyPathFromName(static_cast<PRINTER_INFO_2W *>(buffer.get())->pDriverName, path);
}

bool OpenDriverKeyForRead(HANDLE printer, unique_hkey *key) { return OpenDriverKey(printer, KEY_READ, key); }

bool OpenDriverKeyForWrite(HANDLE printer, unique_hkey *key) { return OpenDriverKey(printer, KEY_WRITE, key); }

bool CreateDriverKey(HANDLE printer, unique_hkey *key, DWORD *disposition) {
    DriverKeyPath path;
    if (!key || !BuildDriverKeyPath(printer, &path)) return false;
    return RegCreateKeyExW(HKEY_CURRENT_USER, path.text, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                           key->put(), disposition) == ERROR_SUCCESS;
}
