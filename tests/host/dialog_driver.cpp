#include "tests/host/dialog_driver.h"

#include <map>
#include <set>

namespace testbed {

MessageBoxCapture *MessageBoxCapture::current_ = nullptr;

MessageBoxCapture::MessageBoxCapture(HMODULE module)
    : patch_(module, "user32.dll", "MessageBoxW", reinterpret_cast<void *>(&MessageBoxCapture::Replacement)) {
    previous_ = current_;
    current_ = this;
}

MessageBoxCapture::~MessageBoxCapture() { current_ = previous_; }

int WINAPI MessageBoxCapture::Replacement(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    MessageBoxCapture *self = current_;
    if (!self) return IDOK;
    self->shown.push_back({owner, text ? text : L"", caption ? caption : L"", caption == nullptr, type, GetFocus()});
    if (self->answers.empty()) return self->defaultAnswer;
    int answer = self->answers.front();
    self->answers.pop_front();
    return answer;
}

namespace {

struct ModalRun {
    std::set<HWND> before;
    const std::function<void(HWND)> *act;
    DWORD timeout;
    DWORD started;
    DWORD actedAt = 0;
    HWND dialog = nullptr;
    bool acting = false;
    bool failed = false;
};

std::map<UINT_PTR, ModalRun *> g_runs;

BOOL CALLBACK CollectWindow(HWND window, LPARAM lParam) {
    reinterpret_cast<std::set<HWND> *>(lParam)->insert(window);
    return TRUE;
}

std::set<HWND> ThreadWindows() {
    std::set<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

bool IsDialogWindow(HWND window) {
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    return lstrcmpW(name, L"#32770") == 0 && IsWindowVisible(window);
}

void CALLBACK ModalTimer(HWND, UINT, UINT_PTR id, DWORD now) {
    auto found = g_runs.find(id);
    if (found == g_runs.end()) return;
    ModalRun &run = *found->second;
    if (run.acting) return;
    if (!run.dialog) {
        for (HWND window : ThreadWindows()) {
            if (run.before.count(window) || !IsDialogWindow(window)) continue;
            run.dialog = window;
            break;
        }
        if (!run.dialog) {
            if (now - run.started > run.timeout) {
                run.failed = true;
                KillTimer(nullptr, id);
            }
            return;
        }
        run.acting = true;
        (*run.act)(run.dialog);
        run.acting = false;
        run.actedAt = GetTickCount();
        return;
    }
    if (IsWindow(run.dialog) && GetTickCount() - run.actedAt > run.timeout) {
        run.failed = true;
        EndDialog(run.dialog, IDCANCEL);
    }
}

}  // namespace

bool RunModal(const std::function<void()> &open, const std::function<void(HWND dialog)> &act, DWORD timeoutMs) {
    ModalRun run;
    run.before = ThreadWindows();
    run.act = &act;
    run.timeout = timeoutMs;
    run.started = GetTickCount();
    UINT_PTR id = SetTimer(nullptr, 0, 30, ModalTimer);
    if (!id) return false;
    g_runs[id] = &run;
    open();
    KillTimer(nullptr, id);
    g_runs.erase(id);
    return run.dialog != nullptr && !run.failed;
}

void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void SetText(HWND dialog, int id, const std::wstring &text) { SetDlgItemTextW(dialog, id, text.c_str()); }

std::wstring GetText(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    int length = GetWindowTextLengthW(control);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(control, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

void SelectComboItem(HWND dialog, int id, int index) {
    HWND combo = GetDlgItem(dialog, id);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void PumpMessages(DWORD milliseconds) {
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

}  // namespace testbed
