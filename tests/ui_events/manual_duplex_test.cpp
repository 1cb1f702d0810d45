// The manual-duplex prompt: how the process is started, the real rundll32
// process that a prompt escape starts and its dialog, and the export itself.
#include "tests/ui_events/events_fixture.h"

#include <winspool.h>

#include "platform/raii.h"
#include "tests/host/import_patch.h"
#include "tests/host/ui_host.h"
#include "tests/ui/ui_fixtures.h"
#include "tests/ui_events/prompt_fixture.h"
#include "ui/printing/manual_duplex.h"

using namespace prompttest;

namespace {

std::wstring WithoutTrailingSlash(std::wstring s) {
    while (!s.empty() && (s.back() == L'\\' || s.back() == L'/')) s.pop_back();
    return s;
}

// ---- The launch as CreateProcessW sees it --------------------------------

struct CapturedLaunch {
    int calls = 0;
    bool hadApplicationName = false;
    std::wstring applicationName;
    std::wstring commandLine;
    bool hadProcessAttributes = true, hadThreadAttributes = true;
    BOOL inherit = TRUE;
    DWORD flags = 0;
    bool hadEnvironment = true;
    bool hadDirectory = false;
    std::wstring directory;
    STARTUPINFOW startup{};
    HANDLE process = nullptr, thread = nullptr;
} g_launch;

BOOL WINAPI CapturingCreateProcessW(LPCWSTR app, LPWSTR cmd, LPSECURITY_ATTRIBUTES pa, LPSECURITY_ATTRIBUTES ta,
                                    BOOL inherit, DWORD flags, LPVOID env, LPCWSTR dir, LPSTARTUPINFOW si,
                                    LPPROCESS_INFORMATION pi) {
    ++g_launch.calls;
    g_launch.hadApplicationName = app != nullptr;
    g_launch.applicationName = app ? app : L"";
    g_launch.commandLine = cmd ? cmd : L"";
    g_launch.hadProcessAttributes = pa != nullptr;
    g_launch.hadThreadAttributes = ta != nullptr;
    g_launch.inherit = inherit;
    g_launch.flags = flags;
    g_launch.hadEnvironment = env != nullptr;
    g_launch.hadDirectory = dir != nullptr;
    g_launch.directory = dir ? dir : L"";
    if (si) g_launch.startup = *si;
    // Stand-ins for the process and thread handles the caller must close.
    g_launch.process = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    g_launch.thread = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    pi->hProcess = g_launch.process;
    pi->hThread = g_launch.thread;
    pi->dwProcessId = 4242;
    pi->dwThreadId = 4243;
    return TRUE;
}

BOOL WINAPI FailingDriverDirectory(LPWSTR, LPWSTR, DWORD, LPBYTE, DWORD, LPDWORD) {
    SetLastError(ERROR_INVALID_ENVIRONMENT);
    return FALSE;
}

bool IsOpen(HANDLE h) {
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != FALSE;
}

TEST(PromptLaunchTest, StartsTheSystemRundll32WithTheModuleAndTheDriverDirectory) {
    g_launch = CapturedLaunch{};
    {
        ImportPatch create(GetModuleHandleW(nullptr), "kernel32.dll", "CreateProcessW",
                           reinterpret_cast<void *>(&CapturingCreateProcessW));
        ASSERT_TRUE(create.ok());
        LaunchManualDuplexPrompt();
    }
    ASSERT_EQ(g_launch.calls, 1);
    // In this program the code's module is the program itself. Without the
    // program's full path the application's folder would be searched first.
    ASSERT_TRUE(g_launch.hadApplicationName);
    EXPECT_EQ(Lower(g_launch.applicationName), Lower(SystemRundll32()));
    EXPECT_EQ(g_launch.commandLine, ExpectedPromptLine(ModuleFile(nullptr)));
    EXPECT_FALSE(g_launch.hadProcessAttributes);
    EXPECT_FALSE(g_launch.hadThreadAttributes);
    EXPECT_EQ(g_launch.inherit, FALSE);
    EXPECT_EQ(g_launch.flags, static_cast<DWORD>(NORMAL_PRIORITY_CLASS));
    EXPECT_FALSE(g_launch.hadEnvironment);
    EXPECT_EQ(g_launch.directory, uitest::DriverDirectory());

    const STARTUPINFOW &si = g_launch.startup;
    EXPECT_EQ(si.cb, sizeof(STARTUPINFOW));
    if (sizeof(void *) == 4) {
        EXPECT_EQ(si.cb, 68u);
    }
    EXPECT_EQ(si.dwFlags, 0x81u);
    EXPECT_EQ(si.wShowWindow, SW_SHOW);
    EXPECT_EQ(si.dwX, 0x80000000u);
    EXPECT_EQ(si.dwY, 0x80000000u);
    EXPECT_EQ(si.dwXSize, 0x80000000u);
    EXPECT_EQ(si.dwYSize, 0x80000000u);
    STARTUPINFOW rest = si;
    rest.cb = 0;
    rest.dwFlags = 0;
    rest.wShowWindow = 0;
    rest.dwX = rest.dwY = rest.dwXSize = rest.dwYSize = 0;
    const STARTUPINFOW zero{};
    EXPECT_EQ(memcmp(&rest, &zero, sizeof(rest)), 0) << "another member is set";

    EXPECT_FALSE(IsOpen(g_launch.process)) << "process handle left open";
    EXPECT_FALSE(IsOpen(g_launch.thread)) << "thread handle left open";
}

// Without the driver directory the prompt still starts, in the caller's folder.
TEST(PromptLaunchTest, StartsWithoutTheDriverDirectory) {
    g_launch = CapturedLaunch{};
    {
        ImportPatch create(GetModuleHandleW(nullptr), "kernel32.dll", "CreateProcessW",
                           reinterpret_cast<void *>(&CapturingCreateProcessW));
        ImportPatch directory(GetModuleHandleW(nullptr), "winspool.drv", "GetPrinterDriverDirectoryW",
                              reinterpret_cast<void *>(&FailingDriverDirectory));
        ASSERT_TRUE(create.ok());
        ASSERT_TRUE(directory.ok());
        LaunchManualDuplexPrompt();
    }
    ASSERT_EQ(g_launch.calls, 1);
    EXPECT_FALSE(g_launch.hadDirectory) << "folder \"" << testbed::Narrow(g_launch.directory) << "\"";
    EXPECT_FALSE(IsOpen(g_launch.process));
    EXPECT_FALSE(IsOpen(g_launch.thread));
}

// A module deeper than MAX_PATH is named whole; a cut path would name another
// file, or none.
TEST(PromptLaunchTest, ModulePathBeyondMaxPathReachesTheCommandLineWhole) {
    std::wstring folder = L"\\\\?\\" + testbed::ScratchDir(L"prompt-long");
    for (int i = 0; i < 3; ++i) {
        folder += L"\\" + std::wstring(100, static_cast<wchar_t>(L'a' + i));
        CreateDirectoryW(folder.c_str(), nullptr);
    }
    PluginCopy copy;
    std::wstring error;
    ASSERT_TRUE(copy.Load(folder, &error)) << testbed::Narrow(error);
    const std::wstring loadedAs = ModuleFile(copy.module);
    ASSERT_GT(loadedAs.size(), static_cast<size_t>(MAX_PATH));

    g_launch = CapturedLaunch{};
    {
        ImportPatch create(copy.module, "kernel32.dll", "CreateProcessW",
                           reinterpret_cast<void *>(&CapturingCreateProcessW));
        ASSERT_TRUE(create.ok());
        EXPECT_EQ(RequestPrompt(copy.plugin), DOCUMENTEVENT_FAILURE);
    }
    ASSERT_EQ(g_launch.calls, 1);
    EXPECT_EQ(g_launch.commandLine, ExpectedPromptLine(loadedAs));
}

// ---- The real prompt process ---------------------------------------------

class PromptProcessTest : public eventtest::EventJobTest {
protected:
    void TearDown() override { CloseStrayPrompts(); }
};

TEST_F(PromptProcessTest, EachPromptEscapeStartsItsOwnRundll32WithTheDialog) {
    ASSERT_TRUE(WaitForPrompts(0).empty()) << "a prompt from elsewhere is open";
    output = OutputPath(L"prompt");
    ASSERT_GT(job.StartDocument(L"prompt", output), 0);
    for (int i = 0; i < 2; ++i) {
        const size_t from = job.events.size();
        job.Escape(static_cast<int>(ESC_MANUAL_DUPLEX_PROMPT), 0, nullptr, 0, nullptr);
        const testbed::EventRecord *e = Outermost(from, DOCUMENTEVENT_ESCAPE);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->result, DOCUMENTEVENT_FAILURE);
        EXPECT_TRUE(e->escapes.empty());
    }
    ASSERT_GT(job.EndDoc(), 0);

    std::vector<PromptWindow> prompts = WaitForPrompts(2);
    ASSERT_EQ(prompts.size(), 2u);
    ASSERT_NE(prompts[0].processId, prompts[1].processId) << "one process for both prompts";

    const std::wstring expectedLine = ExpectedPromptLine(ModuleFile(testbed::UiPlugModule()));
    std::vector<unique_handle> processes;
    for (const PromptWindow &w : prompts) {
        unique_handle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE,
                                          w.processId));
        ASSERT_TRUE(process);
        std::wstring line, directory;
        const StartRead start = ReadStartParameters(process.get(), &line, &directory);
        ASSERT_NE(start, StartRead::kFailed);
        if (start == StartRead::kRead) {
            EXPECT_EQ(line, expectedLine);
            EXPECT_EQ(Lower(WithoutTrailingSlash(directory)), Lower(WithoutTrailingSlash(uitest::DriverDirectory())));
        } else {
            NoteStartNotObservable();
        }

        wchar_t className[32] = {};
        GetClassNameW(w.window, className, 32);
        EXPECT_STREQ(className, L"#32770");
        // The window can be found between its creation and its first showing.
        for (DWORD waited = 0; !IsWindowVisible(w.window) && waited < kWaitMs; waited += 20) Sleep(20);
        EXPECT_TRUE(IsWindowVisible(w.window));
        EXPECT_NE(GetDlgItem(w.window, IDOK), nullptr);
        processes.push_back(std::move(process));
    }

    // Cancel and closing are not ways out.
    PostMessageW(prompts[0].window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    PostMessageW(prompts[0].window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(processes[0].get(), 1000), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(IsWindow(prompts[0].window));

    // OK ends one prompt and its process; the other stays.
    PressOk(prompts[0].window);
    EXPECT_EQ(WaitForSingleObject(processes[0].get(), kWaitMs), WAIT_OBJECT_0);
    EXPECT_TRUE(IsWindow(prompts[1].window));
    EXPECT_EQ(WaitForSingleObject(processes[1].get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    PressOk(prompts[1].window);
    EXPECT_EQ(WaitForSingleObject(processes[1].get(), kWaitMs), WAIT_OBJECT_0);
}

// ---- The export, called in this process ----------------------------------

using PromptEntry = int(CALLBACK *)(HWND, HINSTANCE, LPSTR, int);

struct PromptCall {
    PromptEntry entry;
    HWND owner;
    int result;
};

DWORD WINAPI RunPrompt(void *param) {
    auto *call = static_cast<PromptCall *>(param);
    char empty[] = "";
    call->result = call->entry(call->owner, nullptr, empty, SW_SHOW);
    return 0;
}

BOOL CALLBACK FirstWindow(HWND hwnd, LPARAM param) {
    *reinterpret_cast<HWND *>(param) = hwnd;
    return FALSE;
}

HWND WaitForThreadWindow(DWORD threadId, HANDLE thread) {
    for (DWORD waited = 0; waited < kWaitMs; waited += 50) {
        HWND found = nullptr;
        EnumThreadWindows(threadId, FirstWindow, reinterpret_cast<LPARAM>(&found));
        if (found && IsWindowVisible(found)) return found;
        if (WaitForSingleObject(thread, 50) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
}

PromptEntry Export() {
    return reinterpret_cast<PromptEntry>(
        reinterpret_cast<void *>(GetProcAddress(testbed::UiPlugModule(), "CreateManualDuplexDlg")));
}

TEST(PromptExportTest, EndsOnlyWithOkAndReturnsOne) {
    PromptCall call{Export(), nullptr, 0};
    ASSERT_NE(call.entry, nullptr) << "no undecorated export";
    DWORD threadId = 0;
    unique_handle thread(CreateThread(nullptr, 0, RunPrompt, &call, 0, &threadId));
    ASSERT_TRUE(thread);
    HWND dialog = WaitForThreadWindow(threadId, thread.get());
    ASSERT_NE(dialog, nullptr) << "no dialog shown, result " << call.result;

    wchar_t title[64] = {};
    GetWindowTextW(dialog, title, 64);
    EXPECT_STREQ(title, kPromptCaption);
    EXPECT_EQ(GetDlgItem(dialog, IDCANCEL), nullptr);

    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(WaitForSingleObject(thread.get(), 500), static_cast<DWORD>(WAIT_TIMEOUT));

    PressOk(dialog);
    ASSERT_EQ(WaitForSingleObject(thread.get(), kWaitMs), WAIT_OBJECT_0);
    EXPECT_EQ(call.result, 1);
}

TEST(PromptExportTest, OwnerThatIsNoWindowGivesMinusOne) {
    PromptCall call{Export(), reinterpret_cast<HWND>(static_cast<uintptr_t>(0x5EED0)), 0};
    ASSERT_NE(call.entry, nullptr);
    ASSERT_FALSE(IsWindow(call.owner));
    DWORD threadId = 0;
    unique_handle thread(CreateThread(nullptr, 0, RunPrompt, &call, 0, &threadId));
    ASSERT_TRUE(thread);
    if (WaitForSingleObject(thread.get(), 10000) != WAIT_OBJECT_0) {
        HWND dialog = WaitForThreadWindow(threadId, thread.get());
        if (dialog) PressOk(dialog);
        WaitForSingleObject(thread.get(), kWaitMs);
        FAIL() << "a dialog was shown over no window";
    }
    EXPECT_EQ(call.result, -1);
}

}  // namespace
