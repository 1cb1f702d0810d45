// Printers and registry helpers shared by the uiplug tests.
#pragma once

#include <windows.h>
#include <shlwapi.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/raii.h"
#include "tests/host/wine_printer.h"

namespace uitest {

inline std::string Narrow(const std::wstring &w) { return std::string(w.begin(), w.end()); }

// Two printers on one driver and a third on another driver.
inline testbed::PrinterSetup StorePrinterA() { return {L"UIF Store Printer A", L"UIF Store Driver 1", {}}; }
inline testbed::PrinterSetup StorePrinterB() { return {L"UIF Store Printer B", L"UIF Store Driver 1", {}}; }
inline testbed::PrinterSetup StorePrinterC() { return {L"UIF Store Printer C", L"UIF Store Driver 2", {}}; }

// A printer whose driver lists a help file, a file without a version
// resource and a file with one.
constexpr wchar_t kVersionedCopy[] = L"uifversioned.dll";
constexpr wchar_t kUnversionedFile[] = L"uifnoversion.dat";
constexpr wchar_t kHelpFile[] = L"uifguide.chm";
inline testbed::PrinterSetup FramePrinter() {
    return {L"UIF Frame Printer", L"UIF Frame Driver", {kUnversionedFile, kHelpFile, kVersionedCopy}};
}

inline std::wstring DriverDirectory() {
    wchar_t dir[MAX_PATH];
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE *>(dir), sizeof(dir), &needed))
        return L"";
    return dir;
}

// Installs the printer (once per prefix) and opens it.
inline unique_hprinter OpenTestPrinter(const testbed::PrinterSetup &wanted) {
    std::wstring error;
    EXPECT_TRUE(testbed::EnsurePrinter(wanted, &error)) << Narrow(error);
    unique_hprinter printer;
    EXPECT_TRUE(OpenPrinterW(const_cast<wchar_t *>(wanted.printerName.c_str()), printer.put(), nullptr));
    return printer;
}

inline std::wstring DriverKey(const std::wstring &driver) { return L"Software\\Corvane\\PSPlugIn\\" + driver; }

inline bool KeyExists(HKEY root, const std::wstring &path) {
    unique_hkey key;
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

inline void DeleteTree(HKEY root, const std::wstring &path) { SHDeleteKeyW(root, path.c_str()); }

inline bool ReadDword(HKEY root, const std::wstring &path, const wchar_t *value, DWORD *out) {
    DWORD size = sizeof(*out), type = 0;
    return RegGetValueW(root, path.c_str(), value, RRF_RT_ANY, &type, out, &size) == ERROR_SUCCESS &&
           type == REG_DWORD;
}

inline bool WriteValue(HKEY root, const std::wstring &path, const wchar_t *value, DWORD type, const void *data,
                       DWORD size) {
    unique_hkey key;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return false;
    return RegSetValueExW(key.get(), value, 0, type, static_cast<const BYTE *>(data), size) == ERROR_SUCCESS;
}

// The frame printer, with a copy of a system DLL (which carries a version
// resource) as its versioned dependent file.
inline unique_hprinter OpenFramePrinter() {
    std::wstring dir = DriverDirectory();
    CreateDirectoryW(dir.c_str(), nullptr);  // a fresh prefix has none yet
    std::wstring target = dir + L"\\" + kVersionedCopy;
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    CopyFileW((std::wstring(system) + L"\\kernel32.dll").c_str(), target.c_str(), TRUE);
    return OpenTestPrinter(FramePrinter());
}

}  // namespace uitest
