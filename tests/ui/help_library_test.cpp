// The libraries the pages load for themselves, and the help file they show:
// a library under a system library's name beside the application is never
// taken, and a help file is known by its extension.
#include <windows.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/host/ui_host.h"
#include "tests/host/ui_sheet_host.h"
#include "tests/ui/ui_fixtures.h"
#include "ui/sheets/page_help.h"
#include "ui/frame/system_library.h"

using namespace uitest;

namespace {

std::wstring Lower(std::wstring s) {
    for (wchar_t &c : s) c = static_cast<wchar_t>(towlower(c));
    return s;
}

std::wstring SystemFile(const wchar_t *name) {
    wchar_t dir[MAX_PATH];
    const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
    return std::wstring(dir, n) + L"\\" + name;
}

std::wstring LoadedFrom(HMODULE module) {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
    return std::wstring(path, n);
}

bool Exists(const std::wstring &path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The probe library beside this program under `name`; it leaves
// "<name>.ran" there if anything loads it.
class PlantedLibrary {
public:
    explicit PlantedLibrary(const wchar_t *name)
        : path_(testbed::ProgramDirFile(name)), marker_(path_ + L".ran") {
        DeleteFileW(marker_.c_str());
        planted_ = CopyFileW(testbed::ProgramDirFile(L"planted_library.dll").c_str(), path_.c_str(), FALSE) != 0;
    }
    ~PlantedLibrary() {
        DeleteFileW(path_.c_str());
        DeleteFileW(marker_.c_str());
    }
    bool planted() const { return planted_; }
    bool ran() const { return Exists(marker_); }

private:
    std::wstring path_, marker_;
    bool planted_ = false;
};

bool RunningOnWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

TEST(SystemLibrary, ComesFromTheSystemFolderOrTheProcessOnly) {
    // A name that exists beside this program only is not found at all, as a
    // module or as a data file.
    ASSERT_TRUE(Exists(testbed::ProgramDirFile(L"planted_library.dll")));
    DeleteFileW(testbed::ProgramDirFile(L"planted_library.dll.ran").c_str());
    EXPECT_FALSE(LoadSystemLibrary(L"planted_library.dll", 0));
    EXPECT_FALSE(Exists(testbed::ProgramDirFile(L"planted_library.dll.ran")));
    // Wine maps a data file found on the default search path whatever search
    // flags are given (Windows searches only the folders the flags name), so
    // there the data-file case would find this program's folder.
    if (!RunningOnWine()) {
        EXPECT_FALSE(LoadSystemLibrary(L"planted_library.dll", LOAD_LIBRARY_AS_DATAFILE));
    }

    // A system library is found as a data file by its bare name.
    EXPECT_TRUE(LoadSystemLibrary(L"compstui.dll", LOAD_LIBRARY_AS_DATAFILE));
}

// Only the last extension counts, in any case: "guide.chm.exe" is no help file.
TEST(HelpFile, IsKnownByItsExtension) {
    const testbed::PrinterSetup setup{L"UIF Help Printer", L"UIF Help Driver",
                                      {L"guide.chm.exe", L"notes.hlp.txt", L"chm", L"MANUAL.CHM"}};
    unique_hprinter printer = OpenTestPrinter(setup);
    ASSERT_TRUE(printer);
    DWORD bytes = 0;
    ASSERT_TRUE(FindHelpFile(printer.get(), nullptr, 0, &bytes));
    std::wstring found(bytes / sizeof(wchar_t), L'\0');
    ASSERT_TRUE(FindHelpFile(printer.get(), found.data(), bytes, &bytes));
    found.resize(wcslen(found.c_str()));
    EXPECT_EQ(Lower(found.substr(found.size() - 10)), L"manual.chm") << Narrow(found);
}

// Help pressed on the watermark page loads HTML Help. hhctrl.ocx beside the
// application would be found before the system's copy by a bare name.
TEST(HelpFile, HelpLoadsHtmlHelpFromTheSystemFolderOnly) {
    ASSERT_EQ(GetModuleHandleW(L"hhctrl.ocx"), nullptr) << "loaded already: the load would not be seen";
    PlantedLibrary planted(L"hhctrl.ocx");
    ASSERT_TRUE(planted.planted());

    // A name that only contains the extension shows nothing.
    HWND owner = CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ShowPageHelp(owner, (DriverDirectory() + L"\\guide.chm.exe").c_str());
    EXPECT_EQ(GetModuleHandleW(L"hhctrl.ocx"), nullptr);
    DestroyWindow(owner);

    unique_hprinter printer = OpenFramePrinter();
    ASSERT_TRUE(printer);
    testbed::UiPluginHost host;
    std::wstring error;
    ASSERT_TRUE(host.Create(&error)) << Narrow(error);
    ASSERT_EQ(host.Publish(), S_OK);
    ASSERT_TRUE(host.BuildDevmodes(printer.get()));
    OEMUIPSPARAM param = host.SheetParam(printer.get());
    testbed::SheetHost sheet;
    PROPSHEETUI_INFO &info = sheet.Info(PROPSHEETUI_REASON_INIT, reinterpret_cast<LPARAM>(&param));
    ASSERT_EQ(host.plugin->DocumentPropertySheets(&info, 0), S_OK);
    ASSERT_TRUE(sheet.Show());
    ASSERT_TRUE(sheet.Activate(1));  // the watermark page, after the driver's own
    SendMessageW(sheet.sheet(), WM_COMMAND, MAKEWPARAM(IDHELP, BN_CLICKED), 0);
    sheet.Pump(200);

    // Windows runs a planted file's code, which leaves the marker. Wine,
    // which has hhctrl.ocx built in, runs its own code for a file of that
    // name found anywhere but records the path it was found at; the path
    // below tells there.
    EXPECT_FALSE(planted.ran()) << "the planted hhctrl.ocx was loaded";
    HMODULE help = GetModuleHandleW(L"hhctrl.ocx");
    ASSERT_NE(help, nullptr) << "Help loaded no HTML Help";
    EXPECT_EQ(Lower(LoadedFrom(help)), Lower(SystemFile(L"hhctrl.ocx")));
    sheet.Close();
    host.plugin->DocumentPropertySheets(&sheet.Info(PROPSHEETUI_REASON_DESTROY), 0);
}

}  // namespace
