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
    HMODULE first = LoadLibraryW(copy.c_str());
    ASSERT_NE(first, nullptr);
    FreeLibrary(first);
    const size_t before = testbed::AllHeapBytes();
    const long handlesBefore = testbed::CountOpenHandles();
    const DWORD freeTlsBefore = testbed::LowestFreeTlsIndex();
    for (int i = 0; i < 8; ++i) {
        HMODULE module = LoadLibraryW(copy.c_str());
        ASSERT_NE(module, nullptr);
        ASSERT_TRUE(FreeLibrary(module));
    }
    EXPECT_LT(testbed::AllHeapBytes(), before + 16 * 1024);
    EXPECT_EQ(testbed::CountOpenHandles(), handlesBefore);
    EXPECT_EQ(testbed::LowestFreeTlsIndex(), freeTlsBefore);
    DeleteFileW(copy.c_str());
}

}  // namespace
