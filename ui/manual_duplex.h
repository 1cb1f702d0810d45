// The prompt between the two passes of a manual duplex job. The printing
// thread must not wait for the user, so the prompt runs in a process of its
// own: rundll32 loads this module again and calls CreateManualDuplexDlg.
#pragma once

#include <windows.h>

#include <cstddef>

// The command line is at most this many characters, terminator included.
constexpr size_t kPromptCommandChars = 350;

// Fills `out` with "rundll32 <module path>,CreateManualDuplexDlg". False when
// the module path cannot be read or the line does not fit.
bool BuildPromptCommandLine(HMODULE module, wchar_t (&out)[kPromptCommandChars]);

// Starts the prompt process and returns at once. A prompt that cannot be
// started is not reported: the job carries on either way.
void LaunchManualDuplexPrompt();

// rundll32's entry point: shows the prompt modally over `hwnd` and returns 1
// when the user confirmed it, -1 when the dialog could not be shown.
extern "C" int CALLBACK CreateManualDuplexDlg(HWND hwnd, HINSTANCE hinst, LPSTR cmdLine, int nCmdShow);
