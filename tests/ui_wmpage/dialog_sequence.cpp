#include "tests/ui_wmpage/dialog_sequence.h"

#include <set>

namespace wmpage {
namespace {

struct Sequence {
    std::set<HWND> seen;
    const std::vector<DialogAction> *actions = nullptr;
    size_t next = 0;
    HWND current = nullptr;
    DWORD timeout = 0;
    DWORD since = 0;
    bool acting = false;
    bool failed = false;
};

Sequence *g_sequence = nullptr;

BOOL CALLBACK Collect(HWND window, LPARAM lParam) {
    reinterpret_cast<std::set<HWND> *>(lParam)->insert(window);
    return TRUE;
}

std::set<HWND> ThreadWindows() {
    std::set<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), Collect, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

bool IsShownDialog(HWND window) {
    wchar_t name[16] = L"";
    GetClassNameW(window, name, 16);
    return lstrcmpW(name, L"#32770") == 0 && IsWindowVisible(window);
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD now) {
    Sequence *s = g_sequence;
    if (!s || s->acting) return;
    if (s->current && IsWindow(s->current) && IsWindowVisible(s->current)) {
        if (now - s->since > s->timeout) {
            s->failed = true;
            EndDialog(s->current, IDCANCEL);
        }
        return;
    }
    s->current = nullptr;
    for (HWND window : ThreadWindows()) {
        if (s->seen.count(window) || !IsShownDialog(window)) continue;
        s->seen.insert(window);
        if (s->next >= s->actions->size()) {
            s->failed = true;  // a dialog nobody expected
            EndDialog(window, IDCANCEL);
            return;
        }
        s->current = window;
        s->acting = true;
        (*s->actions)[s->next++](window);
        s->acting = false;
        s->since = GetTickCount();
        return;
    }
}

}  // namespace

bool RunDialogSequence(const std::function<void()> &open, const std::vector<DialogAction> &actions,
                       DWORD timeoutMs) {
    Sequence sequence;
    sequence.seen = ThreadWindows();
    sequence.actions = &actions;
    sequence.timeout = timeoutMs;
    sequence.since = GetTickCount();
    Sequence *outer = g_sequence;
    g_sequence = &sequence;
    UINT_PTR timer = SetTimer(nullptr, 0, 30, Tick);
    if (timer) open();
    KillTimer(nullptr, timer);
    g_sequence = outer;
    return timer && !sequence.failed && sequence.next == actions.size();
}

}  // namespace wmpage
