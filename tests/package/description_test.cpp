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

std::vector<std::string> Lines(const std::wstring &path) {
    std::vector<std::string> lines;
    std::istringstream in(testbed::ReadFileBytes(path));
    for (std::string line; std::getline(in, line);) lines.push_back(line.substr(0, line.find('\r')));
    return lines;
}

TEST(PackageDescription, IsTheTestPrintersWithTheFeaturesThePlugInsLookFor) {
    std::vector<std::string> ours = Lines(Description());
    auto find = [&](auto matches, size_t from = 0) {
        while (from < ours.size() && !matches(ours[from])) ++from;
        return from;
    };
    auto is = [](const std::string &text) { return [text](const std::string &line) { return line == text; }; };
    auto starts = [](const std::string &text) { return [text](const std::string &line) { return line.rfind(text, 0) == 0; }; };
    // The test printer's lines in their order, under the package's file name.
    size_t at = 0;
    for (const std::string &line : Lines(testbed::DataPath(L"testprinter.ppd"))) {
        if (line.rfind("*PCFileName:", 0) == 0) continue;
        ASSERT_LT(at = find(is(line), at), ours.size()) << line;
    }
    EXPECT_LT(find(is("*PCFileName: \"PSPLUGIN.PPD\"")), ours.size());
    for (std::string k : {"FaxCard", "HasPrintandHold", "HasManualColorCorrection", "HasKeepPreviousPHJobs",
                          "HasManualDuplex"}) {
        size_t open = find(starts("*OpenUI *" + k + "/"));
        EXPECT_LT(find(starts("*" + k + " True/"), open), find(is("*CloseUI: *" + k), open)) << k;
        EXPECT_LT(find(is("*CloseUI: *" + k), open), ours.size()) << k;
    }
    // Whether a fax card is fitted is the user's to say; at first it is not.
    size_t group = find(is("*OpenGroup: InstallableOptions/Installable Options"));
    EXPECT_LT(find(is("*DefaultFaxCard: False"), group), find(is("*CloseGroup: InstallableOptions"), group));
}

TEST(PackageDescription, IsReadByWinesPostScriptDriver) {
    const testbed::PrinterSpec spec{L"PKG Description Printer", L"PKG Description Driver", {}};
    std::wstring error;
    ASSERT_TRUE(testbed::EnsurePrinter(spec, Description(), &error)) << Narrow(error);
    HDC dc = CreateDCW(nullptr, spec.printerName.c_str(), nullptr, nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 300);
    DeleteDC(dc);
    // The page sizes' names are the description's own.
    wchar_t names[8][64] = {};
    ASSERT_EQ(DeviceCapabilitiesW(spec.printerName.c_str(), L"FILE:", DC_PAPERNAMES, names[0], nullptr), 2);
    EXPECT_STREQ(names[0], L"US Letter");
    EXPECT_STREQ(names[1], L"A4");
}

}  // namespace
