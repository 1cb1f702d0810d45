// The prompt between the two passes of a manual duplex job. The printing
// thread must not wait for the user, so the prompt runs in a process of its
// own: rundll32 loads this module again and calls CreateManualDuplexDlg.
//
// The program is named by its full path in the system folder: a bare
// "rundll32" is looked for in the application's folder and the current
// folder first, where anyone who can leave a file beside a document could
// put one. Both paths are quoted, since either may hold blanks.
#pragma once

#include <windows.h>

#include <cstddef>

// The longest command line CreateProcessW takes, terminator included.
constexpr size_t kPromptCommandChars = 32767;

// The system folder's rundll32.exe; under WOW64 the folder a 32-bit process
// is shown holds the 32-bit one. False when the path does not fit.
bool PromptProgramPath(wchar_t (&out)[MAX_PATH]);

// Fills `out` (of `chars` characters) with
// "\"<program>\" \"<module path>\",CreateManualDuplexDlg". False, with `out`
// empty, when the line does not fit or a path cannot be quoted: one holding
// a quotation mark, or ending in a backslash (which would escape the closing
// mark), would let the rest of the line be read as something else.
bool BuildPromptCommandLine(const wchar_t *program, const wchar_t *modulePath, wchar_t *out, size_t chars);

// Starts the prompt process and returns at once. A prompt that cannot be
// started is not reported: the job carries on either way.
void LaunchManualDuplexPrompt();

// rundll32's entry point: shows the prompt modally over `hwnd` and returns 1
// when the user confirmed it, -1 when the dialog could not be shown.
extern "C" int CALLBACK CreateManualDuplexDlg(HWND hwnd, HINSTANCE hinst, LPSTR cmdLine, int nCmdShow);
