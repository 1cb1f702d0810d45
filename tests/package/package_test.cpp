// The driver package as the printer class installer reads it, through the
// platform's INF parser: this build's, and the one for all three
// architectures that tools/package.sh writes.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "file_version.h"
#include "tests/host/pe_image.h"
#include "tests/host/wine_printer.h"
#include "tests/package/package_files.h"

using namespace pkgtest;

namespace {

WORD MachineOf(const std::wstring &path) {
    std::string image = testbed::ReadFileBytes(path);
    if (image.size() < sizeof(IMAGE_DOS_HEADER)) return 0;
    size_t at = static_cast<size_t>(reinterpret_cast<const IMAGE_DOS_HEADER *>(image.data())->e_lfanew);
    if (image.compare(0, 2, "MZ") != 0 || at + 4 + sizeof(IMAGE_FILE_HEADER) > image.size() ||
        image.compare(at, 4, std::string("PE\0\0", 4)) != 0)
        return 0;
    return reinterpret_cast<const IMAGE_FILE_HEADER *>(image.data() + at + 4)->Machine;
}

// The FileVersion string of the resource's first translation, as the About
// page reads it, and the fixed part; empty when there is none.
std::wstring FileVersionText(const std::wstring &path, VS_FIXEDFILEINFO *fixed = nullptr) {
    DWORD ignored = 0, size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::unique_ptr<BYTE[]> block(new BYTE[size ? size : 1]);
    void *value = nullptr;
    UINT length = 0;
    if (!size || !GetFileVersionInfoW(path.c_str(), 0, size, block.get())) return L"";
    if (fixed && VerQueryValueW(block.get(), L"\\", &value, &length) && length >= sizeof(*fixed))
        *fixed = *static_cast<VS_FIXEDFILEINFO *>(value);
    if (!VerQueryValueW(block.get(), L"\\VarFileInfo\\Translation", &value, &length) || length < 4) return L"";
    wchar_t query[64];
    auto *pair = static_cast<WORD *>(value);
    swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", pair[0], pair[1]);
    if (!VerQueryValueW(block.get(), query, &value, &length) || !length) return L"";
    return static_cast<wchar_t *>(value);
}

// Every file `arch`'s install section copies is in the package under `root`,
// and its DLLs are built for `arch` and carry `version`.
void ExpectArchComplete(const Inf &inf, const std::wstring &root, const Arch &arch, const std::wstring &version) {
    SCOPED_TRACE(Narrow(arch.folder));
    std::vector<std::wstring> files = inf.CopiedFiles(inf.InstallSection(arch));
    EXPECT_EQ(files.size(), 4u);
    for (const std::wstring &file : files) {
        std::wstring path = inf.SourcePath(root, arch, file);
        ASSERT_TRUE(FileExists(path)) << Narrow(file) << " not at " << Narrow(path);
        if (!IsPlugin(file)) continue;
        EXPECT_EQ(path, root + L"\\" + arch.folder + L"\\" + file);
        EXPECT_EQ(MachineOf(path), arch.machine) << Narrow(path);
        // Stripping for the package must leave the linker's mitigations be.
        EXPECT_EQ(testbed::MissingMitigations(testbed::ReadPeFacts(path)), "") << Narrow(path);
        EXPECT_EQ(FileVersionText(path), version) << Narrow(path);
    }
}

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

TEST_F(Package, InstallsTheModelWithTheSystemsPostScriptDriverOnEveryArchitecture) {
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

TEST(ReleasePackage, HoldsEveryArchitectureOfOneVersion) {
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
