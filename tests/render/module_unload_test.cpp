// A driver loads and unloads its rendering plug-in with its device contexts,
// many times in one process: an unload gives back what the load took.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/host/process_usage.h"
#include "tests/host/ui_host.h"

namespace {

struct Held {
    size_t heapBytes;
    long handles;
    DWORD freeTlsIndex;
};

Held HeldNow() {
    return {testbed::AllHeapBytes(), testbed::CountOpenHandles(), testbed::LowestFreeTlsIndex()};
}

// Eight cycles after a first one (whose one-time costs belong to the process).
Held AfterCycles(const std::wstring &path) {
    HMODULE first = LoadLibraryW(path.c_str());
    EXPECT_NE(first, nullptr);
    if (first) FreeLibrary(first);
    for (int i = 0; i < 8; ++i) {
        HMODULE module = LoadLibraryW(path.c_str());
        EXPECT_NE(module, nullptr);
        if (module) {
            EXPECT_TRUE(FreeLibrary(module));
        }
    }
    return HeldNow();
}

TEST(RenderModule, UnloadingGivesBackWhatLoadingTook) {
    const std::wstring path = testbed::ProgramDirFile(L"renderplug.dll");
    AfterCycles(path);
    const Held before = HeldNow();
    const Held after = AfterCycles(path);
    // A whole load's worth per cycle (the runtime's reserve is 73 KB on x64,
    // 37 KB on x86) would be far above this.
    EXPECT_LT(after.heapBytes, before.heapBytes + 16 * 1024);
    // On x86 each load makes the thread library's record of this thread (two
    // handles and a TLS index) when the unwinder registers the module's frames.
    EXPECT_EQ(after.handles, before.handles);
    EXPECT_EQ(after.freeTlsIndex, before.freeTlsIndex);
}

// The unload path meets the thread library's record on every architecture:
// the probe's load makes one, as the plug-ins' loads do on x86.
TEST(RenderModule, ThreadLibraryRecordGoesWithTheModule) {
    const std::wstring path = testbed::ProgramDirFile(L"runtime_probe.dll");
    AfterCycles(path);
    const Held before = HeldNow();
    HMODULE module = LoadLibraryW(path.c_str());
    ASSERT_NE(module, nullptr);
    const Held loaded = HeldNow();
    FreeLibrary(module);
    EXPECT_GE(loaded.handles, before.handles + 2);  // the record exists while loaded
    EXPECT_NE(loaded.freeTlsIndex, before.freeTlsIndex);
    const Held after = AfterCycles(path);
    EXPECT_EQ(after.handles, before.handles);
    EXPECT_EQ(after.freeTlsIndex, before.freeTlsIndex);
}

}  // namespace
