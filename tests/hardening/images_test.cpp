// The plug-ins load into the spooler and into every printing application:
// their images must carry every mitigation the toolchain gives, and the
// stack protector must be a real one, seeded afresh at every load.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "tests/host/pe_image.h"

namespace {

constexpr const wchar_t *kPlugins[] = {L"uiplug.dll", L"renderplug.dll"};
constexpr bool kIs64 = sizeof(void *) == 8;
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

// tools/test.sh builds build/x86 before build/x64: a run of one architecture
// reads the other's images too, where they are there (the x86 programs
// cannot run on every machine, the x64 one can read x86 files anywhere).
std::wstring OtherBin() {
    std::wstring builds = Folder(Folder(OwnBin()));
    return builds + (kIs64 ? L"\\x86\\bin" : L"\\x64\\bin");
}

bool Exists(const std::wstring &path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void ExpectHardenedImage(const std::wstring &path) {
    SCOPED_TRACE(std::string(path.begin(), path.end()));
    testbed::PeFacts facts = testbed::ReadPeFacts(path);
    ASSERT_TRUE(facts.ok);
    EXPECT_EQ(testbed::MissingMitigations(facts), "");
    // The protector's check and guard are linked in, and the guard is seeded
    // from the system's random source rather than left at its fixed fallback.
    EXPECT_TRUE(testbed::HasSymbol(facts, FailSymbol(facts.machine)));
    EXPECT_TRUE(testbed::HasSymbol(facts, GuardSymbol(facts.machine)));
    EXPECT_TRUE(testbed::HasImport(facts, "advapi32.dll", "CryptGenRandom"));
}

TEST(PluginImages, CarryEveryMitigationOnEachBuiltArchitecture) {
    for (const wchar_t *dll : kPlugins) ExpectHardenedImage(OwnBin() + L"\\" + dll);
    std::wstring other = OtherBin();
    if (!Exists(other + L"\\uiplug.dll")) {
        std::printf("no build of the other architecture beside this one: its images were not read\n");
        return;
    }
    for (const wchar_t *dll : kPlugins) ExpectHardenedImage(other + L"\\" + dll);
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
        DWORD rva = testbed::SymbolRva(path, GuardSymbol(kIs64 ? IMAGE_FILE_MACHINE_AMD64 : IMAGE_FILE_MACHINE_I386));
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
