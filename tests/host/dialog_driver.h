// Drives the plug-in's dialogs as a user does: message boxes are captured
// through the module's import of MessageBoxW (so none ever waits for a
// click), and a modal dialog that a click opens is handed to the test while
// its own message loop runs, so the test can fill it in and close it.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "tests/host/import_patch.h"

namespace testbed {

class MessageBoxCapture {
public:
    // Captures the message boxes `module` shows while this object lives.
    explicit MessageBoxCapture(HMODULE module);
    ~MessageBoxCapture();
    MessageBoxCapture(const MessageBoxCapture &) = delete;
    MessageBoxCapture &operator=(const MessageBoxCapture &) = delete;

    bool ok() const { return patch_.ok(); }

    struct Shown {
        HWND owner;
        std::wstring text;
        std::wstring caption;  // empty for a null caption
        bool nullCaption;
        UINT type;
        HWND focusAtShow;  // where the focus was when the box came up
    };
    std::vector<Shown> shown;
    // The answers the "user" gives, in order; `defaultAnswer` once they run out.
    std::deque<int> answers;
    int defaultAnswer = IDOK;

    void Clear() { shown.clear(); }

private:
    static int WINAPI Replacement(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);
    static MessageBoxCapture *current_;
    MessageBoxCapture *previous_ = nullptr;
    ImportPatch patch_;
};

// Runs `open`, which starts a modal dialog (a click on a page button, say),
// and calls `act` with that dialog once it shows; `act` must end it (Click on
// IDOK or IDCANCEL). A dialog still open `timeoutMs` after `act` returned, or
// none appearing, is cancelled and the call answers false, so no modal window
// outlives a failing test. `act` may itself call RunModal for a nested dialog.
bool RunModal(const std::function<void()> &open, const std::function<void(HWND dialog)> &act,
              DWORD timeoutMs = 5000);

// A user's click on a dialog's button: BM_CLICK, as the keyboard and mouse
// deliver it (WM_COMMAND with BN_CLICKED to the owner).
void Click(HWND dialog, int id);
// Types `text` into an edit control: WM_SETTEXT, which sends EN_CHANGE.
void SetText(HWND dialog, int id, const std::wstring &text);
std::wstring GetText(HWND dialog, int id);
// Selects item `index` of a combo box and tells its owner, as a user's
// choice does (CBN_SELCHANGE).
void SelectComboItem(HWND dialog, int id, int index);
// Lets the thread's message queue run for `milliseconds`.
void PumpMessages(DWORD milliseconds);

}  // namespace testbed
