// The plug-ins load into the spooler and into every printing application:
// their images must carry every mitigation the toolchain gives, and the
// stack protector must be a real one, seeded afresh at every load.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/host/pe_image.h"

namespace {

constexpr const wchar_t *kPlugins[] = {L"uiplug.dll", L"renderplug.dll"};
#if defined(__aarch64__)
constexpr WORD kOwnMachine = IMAGE_FILE_MACHINE_ARM64;
constexpr const wchar_t *kOwnBuild = L"arm64";
#elif defined(__x86_64__)
constexpr WORD kOwnMachine = IMAGE_FILE_MACHINE_AMD64;
constexpr const wchar_t *kOwnBuild = L"x64";
#else
constexpr WORD kOwnMachine = IMAGE_FILE_MACHINE_I386;
constexpr const wchar_t *kOwnBuild = L"x86";
#endif
// C names carry a leading underscore on x86.
const char *GuardSymbol(WORD machine) {
    return machine == IMAGE_FILE_MACHINE_I386 ? "___stack_chk_guard" : "__stack_chk_guard";
}
const char *FailSymbol(WORD machine) {
    return machine == IMAGE_FILE_MACHINE_I386 ? "___stack_chk_fail" : "__stack_chk_fail";
}

std::wstring Folder(const std::wstring &path) { return path.substr(0, path.find_last_of(L"\\/")); }

std::wstring OwnBin() {
    wchar_t self[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    return n && n < MAX_PATH ? Folder(self) : L".";
}

// tools/test.sh builds build/x86, build/x64 and build/arm64 side by side: a
// run of one architecture reads the others' images too, where they are there
// (not every machine runs the x86 or ARM64 programs; any can read their files).
std::vector<std::wstring> OtherBins() {
    std::wstring builds = Folder(Folder(OwnBin()));
    std::vector<std::wstring> bins;
    for (const wchar_t *build : {L"x86", L"x64", L"arm64"})
        if (std::wstring(build) != kOwnBuild) bins.push_back(builds + L"\\" + build + L"\\bin");
    return bins;
}

bool Exists(const std::wstring &path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void ExpectHardenedImage(const std::wstring &path) {
    SCOPED_TRACE(std::string(path.begin(), path.end()));
    testbed::PeFacts facts = testbed::ReadPeFacts(path);
    ASSERT_TRUE(facts.ok);
    EXPECT_EQ(testbed::MissingMitigations(facts), "");
    // The protector's check and guard are linked in (only protected code
    // pulls them from the runtime library), the check does something, and
    // the guard is seeded from the system's random source rather than left
    // at its fixed fallback.
    EXPECT_TRUE(testbed::HasSymbol(facts, FailSymbol(facts.machine)));
    EXPECT_TRUE(testbed::HasSymbol(facts, GuardSymbol(facts.machine)));
    EXPECT_FALSE(testbed::ReturnsAtOnce(path, FailSymbol(facts.machine)));
    EXPECT_TRUE(testbed::HasImport(facts, "advapi32.dll", "CryptGenRandom"));
}

TEST(PluginImages, CarryEveryMitigationOnEachBuiltArchitecture) {
    for (const wchar_t *dll : kPlugins) {
        ExpectHardenedImage(OwnBin() + L"\\" + dll);
        EXPECT_EQ(testbed::ReadPeFacts(OwnBin() + L"\\" + dll).machine, kOwnMachine);
    }
    for (const std::wstring &other : OtherBins()) {
        if (!Exists(other + L"\\uiplug.dll")) {
            std::printf("no build beside this one in %ls: its images were not read\n", other.c_str());
            continue;
        }
        for (const wchar_t *dll : kPlugins) {
            ExpectHardenedImage(other + L"\\" + dll);
            // The driver finds the same entry points on every architecture.
            EXPECT_EQ(testbed::ReadPeFacts(other + L"\\" + dll).exports,
                      testbed::ReadPeFacts(OwnBin() + L"\\" + dll).exports);
        }
    }
}

uintptr_t GuardOfFreshLoad(const std::wstring &path, DWORD guardRva) {
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module) return 0;
    uintptr_t guard = 0;
    std::memcpy(&guard, reinterpret_cast<const BYTE *>(module) + guardRva, sizeof(guard));
    FreeLibrary(module);
    return guard;
}

TEST(PluginImages, StackGuardIsSeededAtEveryLoad) {
    for (const wchar_t *dll : kPlugins) {
        std::wstring path = OwnBin() + L"\\" + dll;
        SCOPED_TRACE(std::string(path.begin(), path.end()));
        ASSERT_EQ(GetModuleHandleW(dll), nullptr) << "must be loaded afresh";
        DWORD rva = testbed::SymbolRva(path, GuardSymbol(kOwnMachine));
        ASSERT_NE(rva, 0u);
        uintptr_t first = GuardOfFreshLoad(path, rva);
        uintptr_t second = GuardOfFreshLoad(path, rva);
        // The fallback for a failed seed is a fixed terminator value; two
        // random seeds agree once in 2^32 at worst.
        EXPECT_NE(first, 0u);
        EXPECT_NE(first, second);
    }
}

}  // namespace
