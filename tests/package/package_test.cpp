// The driver package as the printer class installer reads it, through the
// platform's INF parser: this build's, and the one for both architectures
// that tools/package.sh writes.
#include <windows.h>

#include <gtest/gtest.h>

#include "file_version.h"
#include "tests/host/wine_printer.h"
#include "tests/package/package_files.h"

using namespace pkgtest;

namespace {

class Package : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(inf.ok()) << "error on line " << inf.errorLine; }
    Inf inf{BuildPackage()};
};

TEST_F(Package, IsAnIsolatedPrinterClassDriverOfThisBuildsVersion) {
    EXPECT_EQ(inf.Text(L"Version", L"Signature"), L"$Windows NT$");
    EXPECT_EQ(inf.Text(L"Version", L"Class"), L"Printer");
    EXPECT_EQ(inf.Text(L"Version", L"ClassGUID"), L"{4D36E979-E325-11CE-BFC1-08002BE10318}");
    EXPECT_EQ(inf.Text(L"Version", L"CatalogFile"), L"psplugin.cat");
    EXPECT_EQ(inf.Text(L"Version", L"DriverIsolation"), L"2");
    EXPECT_EQ(inf.Values(L"Version", L"DriverVer"),
              (std::vector<std::wstring>{PSPLUGIN_DRIVER_DATE_WTEXT, PSPLUGIN_FILE_VERSION_WTEXT}));
}

TEST_F(Package, InstallsTheModelWithTheSystemsPostScriptDriverOnBothArchitectures) {
    for (const Arch &arch : kArches) {
        SCOPED_TRACE(Narrow(arch.decoration));
        std::wstring model, install = inf.InstallSection(arch, &model);
        ASSERT_FALSE(install.empty());
        EXPECT_EQ(model, L"PS Plug-in Test Printer") << "the printer description's NickName";
        EXPECT_EQ(inf.Text(install, L"Include"), L"ntprint.inf");
        EXPECT_TRUE(Contains(inf.Values(install, L"Needs"), L"PSCRIPT.OEM"));
        EXPECT_EQ(inf.Text(install, L"DataSection"), L"PSCRIPT_DATA");
        for (const std::wstring &list : inf.Values(install, L"CopyFiles"))
            EXPECT_EQ(inf.Text(L"DestinationDirs", list.c_str()), L"66000") << Narrow(list);
        // Every copied file but the data file becomes a dependent file.
        std::wstring dataFile = inf.Text(install, L"DataFile");
        EXPECT_EQ(dataFile, L"PSPLUGIN.PPD");
        std::vector<std::wstring> copied = inf.CopiedFiles(install);
        for (const wchar_t *file : {L"PSPLUGIN.PPD", L"PSPLUGIN.INI", L"uiplug.dll", L"renderplug.dll"})
            EXPECT_TRUE(Contains(copied, file)) << Narrow(file);
        for (const std::wstring &file : copied) {
            if (!IsPlugin(file)) continue;
            EXPECT_EQ(inf.SourcePath(L"", arch, file), L"\\" + (arch.folder + (L"\\" + file)));
        }
    }
}

TEST_F(Package, ConfigurationFileNamesBothPlugInsToTheDriver) {
    std::wstring ini = BuildPackage() + L"\\PSPLUGIN.INI";
    wchar_t ui[64] = L"", render[64] = L"";
    GetPrivateProfileStringW(L"OEMFiles", L"OEMConfigFile1", L"", ui, 64, ini.c_str());
    GetPrivateProfileStringW(L"OEMFiles", L"OEMDriverFile1", L"", render, 64, ini.c_str());
    EXPECT_STREQ(ui, L"uiplug.dll");
    EXPECT_STREQ(render, L"renderplug.dll");
    // The driver allows no spaces around the equal signs.
    std::string text = testbed::ReadFileBytes(ini);
    EXPECT_NE(text.find("\r\nOEMConfigFile1=uiplug.dll\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\nOEMDriverFile1=renderplug.dll\r\n"), std::string::npos) << text;
}

TEST_F(Package, HoldsThisBuildsDllsWithTheirVersionResources) {
    ExpectArchComplete(inf, BuildPackage(), BuildArch(), PSPLUGIN_FILE_VERSION_WTEXT);
    for (const wchar_t *file : {L"uiplug.dll", L"renderplug.dll"}) {
        VS_FIXEDFILEINFO fixed{};
        FileVersionText(inf.SourcePath(BuildPackage(), BuildArch(), file), &fixed);
        EXPECT_EQ(fixed.dwFileVersionMS, MAKELONG(PSPLUGIN_VERSION_MINOR, PSPLUGIN_VERSION_MAJOR));
        EXPECT_EQ(fixed.dwFileVersionLS, static_cast<DWORD>(MAKELONG(0, PSPLUGIN_VERSION_BUILD)));
        EXPECT_EQ(fixed.dwProductVersionMS, MAKELONG(0, 3)) << "3.0, as the About page says";
        EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_DLL));
    }
}

TEST(ReleasePackage, HoldsBothArchitecturesOfOneVersion) {
    std::wstring root = ReleasePackage();
    if (!FileExists(root + L"\\psplugin.inf")) GTEST_SKIP() << "tools/package.sh has not written out/package";
    Inf inf(root);
    ASSERT_TRUE(inf.ok()) << "error on line " << inf.errorLine;
    std::vector<std::wstring> driverVer = inf.Values(L"Version", L"DriverVer");
    ASSERT_EQ(driverVer.size(), 2u);
    for (const Arch &arch : kArches) ExpectArchComplete(inf, root, arch, driverVer[1]);
    EXPECT_TRUE(FileExists(root + L"\\..\\psplugin-" + driverVer[1] + L".zip"));
}

}  // namespace
