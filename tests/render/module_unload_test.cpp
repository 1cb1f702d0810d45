// A driver loads and unloads its rendering plug-in with its device contexts,
// many times in one process: an unload gives back what the load took.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/host/process_usage.h"
#include "tests/host/ui_host.h"

namespace {

TEST(RenderModule, UnloadingGivesBackWhatLoadingTook) {
    const std::wstring path = testbed::ProgramDirFile(L"renderplug.dll");
    // The first load's one-time costs belong to the process.
    ASSERT_TRUE(testbed::CycleModule(path, 1));
    const testbed::Holdings before = testbed::HoldingsNow();
    ASSERT_TRUE(testbed::CycleModule(path, 8));
    const testbed::Holdings after = testbed::HoldingsNow();
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
#ifdef NO_THREAD_LIBRARY_PROBE
    GTEST_SKIP() << "this architecture's runtime has no winpthreads, so no module keeps a record of a thread";
#endif
    const std::wstring path = testbed::ProgramDirFile(L"runtime_probe.dll");
    ASSERT_TRUE(testbed::CycleModule(path, 1));
    const testbed::Holdings before = testbed::HoldingsNow();
    HMODULE module = LoadLibraryW(path.c_str());
    ASSERT_NE(module, nullptr);
    const testbed::Holdings loaded = testbed::HoldingsNow();
    FreeLibrary(module);
    EXPECT_GE(loaded.handles, before.handles + 2);  // the record exists while loaded
    EXPECT_NE(loaded.freeTlsIndex, before.freeTlsIndex);
    ASSERT_TRUE(testbed::CycleModule(path, 8));
    const testbed::Holdings after = testbed::HoldingsNow();
    EXPECT_EQ(after.handles, before.handles);
    EXPECT_EQ(after.freeTlsIndex, before.freeTlsIndex);
}

}  // namespace
