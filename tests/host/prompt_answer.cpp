#include "tests/host/prompt_answer.h"

#include <cwchar>

#include "tests/host/ui_host.h"

namespace testbed {
namespace {

constexpr DWORD kWaitMs = 30000;
constexpr wchar_t kEntry[] = L",CreateManualDuplexDlg";

using PromptEntry = int(CALLBACK *)(HWND, HINSTANCE, LPSTR, int);

double NowMs() {
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// Prompts come from every job's thread: counts interlocked, the rest locked.
struct State {
    volatile LONG started = 0;
    volatile LONG answered = 0;
    SRWLOCK lock = SRWLOCK_INIT;
    double ms = 0.0;
    std::wstring fault;
} g_state;

void Fault(const std::wstring &what) {
    AcquireSRWLockExclusive(&g_state.lock);
    if (g_state.fault.empty()) g_state.fault = what;
    ReleaseSRWLockExclusive(&g_state.lock);
}

void AddTime(double ms) {
    AcquireSRWLockExclusive(&g_state.lock);
    g_state.ms += ms;
    ReleaseSRWLockExclusive(&g_state.lock);
}

struct PromptCall {
    PromptEntry entry;
    int result;
};

DWORD WINAPI RunPrompt(void *param) {
    auto *call = static_cast<PromptCall *>(param);
    char empty[] = "";
    call->result = call->entry(nullptr, nullptr, empty, SW_SHOW);
    return 0;
}

BOOL CALLBACK FirstWindow(HWND hwnd, LPARAM param) {
    *reinterpret_cast<HWND *>(param) = hwnd;
    return FALSE;
}

// What rundll32 would do with the command line: call the export, here on a
// thread whose dialog is found and closed with OK.
void Answer() {
    PromptCall call{reinterpret_cast<PromptEntry>(reinterpret_cast<void *>(
                        GetProcAddress(testbed::UiPlugModule(), "CreateManualDuplexDlg"))),
                    0};
    if (!call.entry) return Fault(L"uiplug.dll exports no CreateManualDuplexDlg");
    DWORD threadId = 0;
    HANDLE thread = CreateThread(nullptr, 0, RunPrompt, &call, 0, &threadId);
    if (!thread) return Fault(L"no thread for the prompt");
    HWND dialog = nullptr;
    for (DWORD waited = 0; waited < kWaitMs && !dialog; waited += 5) {
        HWND found = nullptr;
        EnumThreadWindows(threadId, FirstWindow, reinterpret_cast<LPARAM>(&found));
        if (found && IsWindowVisible(found)) dialog = found;
        else if (WaitForSingleObject(thread, 5) == WAIT_OBJECT_0) break;
    }
    // What the OK button tells its dialog when it is clicked. (BM_CLICK from
    // another thread takes Wine two seconds, for fifty prompts a run.)
    if (dialog)
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    if (WaitForSingleObject(thread, kWaitMs) != WAIT_OBJECT_0) {
        // Left open: end the thread's wait as far as possible, and report it.
        if (dialog) PostMessageW(dialog, WM_CLOSE, 0, 0);
        WaitForSingleObject(thread, kWaitMs);
        Fault(L"the prompt did not close with OK");
    } else if (!dialog) {
        Fault(L"the prompt showed no dialog, result " + std::to_wstring(call.result));
    } else if (call.result != 1) {
        Fault(L"the prompt returned " + std::to_wstring(call.result) + L" for OK");
    } else {
        InterlockedIncrement(&g_state.answered);
    }
    CloseHandle(thread);
}

// The product must close both handles it is given, as it would a real
// process's; events stand in for them so that a leak shows in the count.
BOOL WINAPI CaughtCreateProcessW(LPCWSTR, LPWSTR cmd, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD,
                                 LPVOID, LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION pi) {
    InterlockedIncrement(&g_state.started);
    const size_t length = cmd ? wcslen(cmd) : 0;
    const size_t entryLength = wcslen(kEntry);
    if (length < entryLength || wcscmp(cmd + length - entryLength, kEntry) != 0)
        Fault(L"unexpected prompt command line: " + std::wstring(cmd ? cmd : L"(none)"));
    else {
        const double start = NowMs();
        Answer();
        AddTime(NowMs() - start);
    }
    pi->hProcess = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    pi->hThread = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    pi->dwProcessId = 4242;
    pi->dwThreadId = 4243;
    return TRUE;
}

}  // namespace

PromptAnswerer::PromptAnswerer()
    : patch_(std::make_unique<ImportPatch>(testbed::UiPlugModule(), "kernel32.dll", "CreateProcessW",
                                           reinterpret_cast<void *>(&CaughtCreateProcessW))) {}

void PromptAnswerer::WarmUp(int prompts) {
    for (int i = 0; i < prompts; ++i) Answer();
    InterlockedExchange(&g_state.answered, 0);
    AcquireSRWLockExclusive(&g_state.lock);
    g_state.ms = 0.0;
    ReleaseSRWLockExclusive(&g_state.lock);
}

long PromptAnswerer::started() const { return InterlockedCompareExchange(&g_state.started, 0, 0); }
long PromptAnswerer::answered() const { return InterlockedCompareExchange(&g_state.answered, 0, 0); }

std::wstring PromptAnswerer::fault() const {
    AcquireSRWLockShared(&g_state.lock);
    std::wstring copy = g_state.fault;
    ReleaseSRWLockShared(&g_state.lock);
    return copy;
}

double PromptAnswerer::milliseconds() const {
    AcquireSRWLockShared(&g_state.lock);
    const double ms = g_state.ms;
    ReleaseSRWLockShared(&g_state.lock);
    return ms;
}

}  // namespace testbed
