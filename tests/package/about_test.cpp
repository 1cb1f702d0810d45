// A printer installed as the package installs it, with the packaged DLLs and
// the configuration file as its dependent files: its About page shows the
// build's file version of each plug-in.
#include <windows.h>

#include <gtest/gtest.h>

#include <commctrl.h>

#include "file_version.h"
#include "resources/resource.h"
#include "tests/host/screenshot.h"
#include "tests/host/ui_host.h"
#include "tests/host/ui_sheet_host.h"
#include "tests/package/package_files.h"
#include "tests/ui/ui_fixtures.h"

using namespace pkgtest;

namespace {

const testbed::PrinterSetup kAboutPrinter{L"PKG About Printer", L"PKG About Driver", {}};

std::wstring CellText(HWND list, int row, int column) {
    wchar_t text[260] = L"";
    ListView_GetItemText(list, row, column, text, 260);
    return text;
}

// The driver's files as the installer leaves them: the copied files in the
// driver directory, dependent files all but the data file. The driver is
// added afresh so that it holds this build's copies.
unique_hprinter InstallAsThePackageDoes() {
    Inf inf(BuildPackage());
    std::wstring install = inf.InstallSection(BuildArch());
    std::wstring dataFile = inf.Text(install, L"DataFile");
    testbed::PrinterSetup printerSetup = kAboutPrinter;
    for (const std::wstring &file : inf.CopiedFiles(install)) {
        if (file == dataFile) continue;
        std::wstring target = uitest::DriverDirectory() + L"\\" + file;
        EXPECT_TRUE(CopyFileW(inf.SourcePath(BuildPackage(), BuildArch(), file).c_str(), target.c_str(), FALSE));
        printerSetup.dependentFiles.push_back(file);
    }
    unique_hprinter old;
    PRINTER_DEFAULTSW all{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (OpenPrinterW(const_cast<wchar_t *>(printerSetup.printerName.c_str()), old.put(), &all)) DeletePrinter(old.get());
    old.reset();
    DeletePrinterDriverW(nullptr, nullptr, const_cast<wchar_t *>(printerSetup.driverName.c_str()));
    std::wstring error;
    EXPECT_TRUE(testbed::EnsurePrinter(printerSetup, BuildPackage() + L"\\" + dataFile, &error)) << Narrow(error);
    unique_hprinter printer;
    OpenPrinterW(const_cast<wchar_t *>(printerSetup.printerName.c_str()), printer.put(), nullptr);
    return printer;
}

TEST(PackagedAbout, ListsThePlugInsWithTheBuildsVersion) {
    unique_hprinter printer = InstallAsThePackageDoes();
    ASSERT_TRUE(printer);
    testbed::UiPluginHost host;
    std::wstring error;
    ASSERT_TRUE(host.Create(&error)) << Narrow(error);
    ASSERT_EQ(host.Publish(), S_OK);
    ASSERT_TRUE(host.BuildDevmodes(printer.get()));
    host.core.hasNickName = true;  // for the picture; the driver reads it from the description
    host.core.nickName = L"PS Plug-in Test Printer";
    OEMUIPSPARAM param = host.SheetParam(printer.get());
    testbed::SheetHost sheet;
    PROPSHEETUI_INFO &info = sheet.Info(PROPSHEETUI_REASON_INIT, reinterpret_cast<LPARAM>(&param));
    ASSERT_EQ(host.plugin->DocumentPropertySheets(&info, 0), S_OK);
    ASSERT_TRUE(sheet.Show());
    sheet.Activate(static_cast<int>(sheet.pages.size()));
    HWND list = GetDlgItem(sheet.CurrentPage(), IDC_ABOUT_FILES);
    ASSERT_NE(list, nullptr);

    // Sorted by name: the configuration file, the two plug-ins, then Wine's
    // driver as configuration and driver file.
    const wchar_t *rows[][2] = {{L"PSPLUGIN.INI", L"N/A"},
                                {L"renderplug.dll", PSPLUGIN_FILE_VERSION_WTEXT},
                                {L"uiplug.dll", PSPLUGIN_FILE_VERSION_WTEXT}};
    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 5);
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(CellText(list, row, 0), rows[row][0]);
        EXPECT_EQ(CellText(list, row, 1), rows[row][1]) << Narrow(rows[row][0]);
    }
    EXPECT_FALSE(testbed::SaveWindowPicture(sheet.sheet(), L"package-about-page").empty());
    sheet.Close();
    host.plugin->DocumentPropertySheets(&sheet.Info(PROPSHEETUI_REASON_DESTROY), 0);
}

}  // namespace
