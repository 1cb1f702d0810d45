// The package's printer description: the test printer's with the features
// the plug-ins look for, and one that a real PostScript driver reads.
#include <windows.h>

#include <gtest/gtest.h>

#include <sstream>

#include "tests/host/wine_printer.h"
#include "tests/package/package_files.h"

using namespace pkgtest;

namespace {

std::wstring Description() { return BuildPackage() + L"\\PSPLUGIN.PPD"; }

TEST(PackageDescription, IsTheTestPrintersWithTheFeaturesThePlugInsLookFor) {
    std::string ours = testbed::ReadFileBytes(Description());
    // The test printer's lines in their order, under the package's file name.
    std::istringstream test(testbed::ReadFileBytes(testbed::DataPath(L"testprinter.ppd")));
    size_t at = 0;
    for (std::string line; std::getline(test, line);) {
        if (line.rfind("*PCFileName:", 0) == 0) line = "*PCFileName: \"PSPLUGIN.PPD\"";
        ASSERT_NE(at = ours.find(line + "\n", at), std::string::npos) << line;
    }
    for (std::string k : {"FaxCard", "HasPrintandHold", "HasManualColorCorrection", "HasKeepPreviousPHJobs",
                          "HasManualDuplex"}) {
        size_t open = ours.find("\n*OpenUI *" + k + "/"), close = ours.find("\n*CloseUI: *" + k + "\n");
        EXPECT_LT(open, ours.find("\n*" + k + " True/", open)) << k;
        EXPECT_LT(ours.find("\n*" + k + " True/", open), close) << k;
        EXPECT_NE(close, std::string::npos) << k;
    }
    // Whether a fax card is fitted is the user's to say; at first it is not.
    size_t group = ours.find("\n*OpenGroup: InstallableOptions/");
    EXPECT_LT(group, ours.find("\n*DefaultFaxCard: False\n"));
    EXPECT_LT(ours.find("\n*DefaultFaxCard: False\n"), ours.find("\n*CloseGroup: InstallableOptions\n", group));
}

TEST(PackageDescription, IsReadByWinesPostScriptDriver) {
    const testbed::PrinterSetup printerSetup{L"PKG Description Printer", L"PKG Description Driver", {}};
    std::wstring error;
    ASSERT_TRUE(testbed::EnsurePrinter(printerSetup, Description(), &error)) << Narrow(error);
    HDC dc = CreateDCW(nullptr, printerSetup.printerName.c_str(), nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 300);
    DeleteDC(dc);
    // The page sizes' names are the description's own.
    wchar_t names[8][64] = {};
    ASSERT_EQ(DeviceCapabilitiesW(printerSetup.printerName.c_str(), L"FILE:", DC_PAPERNAMES, names[0], nullptr), 2);
    EXPECT_STREQ(names[0], L"US Letter");
    EXPECT_STREQ(names[1], L"A4");
}

}  // namespace
