#include "ui/printing/manual_duplex.h"

#include <winspool.h>
#include <strsafe.h>

#include <cwchar>

#include "platform/raii.h"
#include "resources/resource.h"
#include "ui/frame/activation_context.h"
#include "ui/frame/module.h"
#include "ui/frame/module_path.h"
#include "ui/frame/system_library.h"

namespace {

// program, module path. rundll32 takes the quoted module path up to its
// closing mark, and the entry point after the comma.
constexpr wchar_t kPromptCommandFormat[] = L"\"%s\" \"%s\",CreateManualDuplexDlg";

// GetPrinterDriverDirectoryW is asked with a buffer of this many bytes.
constexpr DWORD kDriverDirectoryBytes = 520;

#ifndef STARTF_FORCEOFFFEEDBACK
#define STARTF_FORCEOFFFEEDBACK 0x00000080
#endif

// The prompt's rundll32 starts where the driver's files are, so that nothing
// keeps the application's folder busy while the user deals with the paper.
void DriverDirectory(wchar_t (&out)[kDriverDirectoryBytes / sizeof(wchar_t)]) {
    DWORD needed = 0;
    if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE *>(out), sizeof(out), &needed)) {
        out[0] = L'\0';
        return;
    }
    out[kDriverDirectoryBytes / sizeof(wchar_t) - 1] = L'\0';
}

STARTUPINFOW PromptStartupInfo() {
    STARTUPINFOW si{};
    // 68 bytes in a 32-bit process; the platform's own size elsewhere.
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW | STARTF_FORCEOFFFEEDBACK;
    si.wShowWindow = SW_SHOW;
    si.dwX = CW_USEDEFAULT;
    si.dwY = CW_USEDEFAULT;
    si.dwXSize = CW_USEDEFAULT;
    si.dwYSize = CW_USEDEFAULT;
    return si;
}
static_assert(sizeof(void *) != 4 || sizeof(STARTUPINFOW) == 68, "STARTUPINFOW of a 32-bit process");

// There is no cancel path: the second pass must not start before the user
// has turned the stack over, so only OK ends the prompt.
INT_PTR CALLBACK PromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) != IDOK) return FALSE;
        EndDialog(dialog, 1);
        return TRUE;
    default:
        return FALSE;
    }
}

bool CanBeQuoted(const wchar_t *path) {
    if (!path || !path[0] || std::wcschr(path, L'"')) return false;
    return path[std::wcslen(path) - 1] != L'\\';
}

}  // namespace

bool PromptProgramPath(wchar_t (&out)[MAX_PATH]) { return SystemFilePath(L"rundll32.exe", out, MAX_PATH); }

bool BuildPromptCommandLine(const wchar_t *program, const wchar_t *modulePath, wchar_t *out, size_t chars) {
    if (!out || chars == 0) return false;
    out[0] = L'\0';
    if (!CanBeQuoted(program) || !CanBeQuoted(modulePath)) return false;
    if (FAILED(StringCchPrintfW(out, chars, kPromptCommandFormat, program, modulePath))) {
        out[0] = L'\0';
        return false;
    }
    return true;
}

void LaunchManualDuplexPrompt() {
    wchar_t program[MAX_PATH];
    ModulePath module;
    if (!PromptProgramPath(program) || !module.Read(UiModule())) return;
    unique_process_heap_ptr buffer(HeapAlloc(GetProcessHeap(), 0, kPromptCommandChars * sizeof(wchar_t)));
    auto *commandLine = static_cast<wchar_t *>(buffer.get());
    if (!commandLine || !BuildPromptCommandLine(program, module.text(), commandLine, kPromptCommandChars)) return;
    wchar_t directory[kDriverDirectoryBytes / sizeof(wchar_t)];
    DriverDirectory(directory);
    STARTUPINFOW si = PromptStartupInfo();
    PROCESS_INFORMATION pi{};
    // An empty folder name is no folder: the prompt then starts in ours
    // rather than not at all.
    if (!CreateProcessW(program, commandLine, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                        directory[0] ? directory : nullptr, &si, &pi))
        return;
    unique_handle process(pi.hProcess);
    unique_handle thread(pi.hThread);
}

extern "C" int CALLBACK CreateManualDuplexDlg(HWND hwnd, HINSTANCE, LPSTR, int) {
    ActivationScope scope;
    INT_PTR result = DialogBoxParamW(UiModule(), MAKEINTRESOURCEW(IDD_MANUAL_DUPLEX_PROMPT), hwnd, PromptProc, 0);
    // 0 is an owner that is no window, -1 any other failure; the dialog
    // itself only ends with 1.
    return result > 0 ? static_cast<int>(result) : -1;
}
