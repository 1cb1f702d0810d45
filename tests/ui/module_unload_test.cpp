// The driver loads and unloads uiplug with every sheet and document-event
// call, many times in one application: an unload gives back what the load
// took. A copy under another name is loaded, since the hosts of this program
// keep uiplug.dll itself loaded.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/host/process_usage.h"
#include "tests/host/ui_host.h"

namespace {

TEST(UiPlugModule, UnloadingGivesBackWhatLoadingTook) {
    const std::wstring copy = testbed::ProgramDirFile(L"uiplug_unload.dll");
    ASSERT_TRUE(CopyFileW(testbed::ProgramDirFile(L"uiplug.dll").c_str(), copy.c_str(), FALSE));
    // The first load's one-time costs belong to the process.
    ASSERT_TRUE(testbed::CycleModule(copy, 1));
    const testbed::Holdings before = testbed::HoldingsNow();
    ASSERT_TRUE(testbed::CycleModule(copy, 8));
    const testbed::Holdings after = testbed::HoldingsNow();
    EXPECT_LT(after.heapBytes, before.heapBytes + 16 * 1024);
    EXPECT_EQ(after.handles, before.handles);
    EXPECT_EQ(after.freeTlsIndex, before.freeTlsIndex);
    DeleteFileW(copy.c_str());
}

}  // namespace
