#include "ui/sheets/page_help.h"

#include <winspool.h>
#include <cwchar>

#include "platform/raii.h"
#include "ui/frame/activation_context.h"
#include "ui/printer/spooler_info.h"
#include "ui/frame/system_library.h"

namespace {

constexpr UINT kHhDisplayIndex = 2;
constexpr size_t kDependentNameChars = 260;

using HtmlHelpFn = HWND(WINAPI *)(HWND, LPCWSTR, UINT, DWORD_PTR);

enum class HelpKind { None, Html, WinHelp };

// hhctrl.ocx stays loaded once used: the help window it opens runs on its code
// after the call returns, and after this module has gone. Two sheets may ask
// for it first at the same time on two threads; one reference is taken.
INIT_ONCE g_helpLibraryOnce = INIT_ONCE_STATIC_INIT;
HMODULE g_helpLibrary = nullptr;

// A failed load is not remembered: the next Help press tries again.
BOOL CALLBACK LoadHelpLibrary(PINIT_ONCE, PVOID, PVOID *) {
    ActivationScope scope;
    g_helpLibrary = LoadSystemLibrary(L"hhctrl.ocx", 0).release();
    return g_helpLibrary != nullptr;
}

HtmlHelpFn HtmlHelpEntry() {
    if (!InitOnceExecuteOnce(&g_helpLibraryOnce, LoadHelpLibrary, nullptr, nullptr)) return nullptr;
    return reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void *>(GetProcAddress(g_helpLibrary, "HtmlHelpW")));
}

// File names compare without regard to case; only the last extension says
// what a file is ("guide.chm.exe" is a program).
bool EndsWith(const wchar_t *name, size_t length, const wchar_t *extension) {
    const size_t tail = std::wcslen(extension);
    if (length <= tail) return false;
    return CompareStringOrdinal(name + length - tail, static_cast<int>(tail), extension, static_cast<int>(tail),
                                TRUE) == CSTR_EQUAL;
}

HelpKind HelpKindOf(const wchar_t *name, size_t length) {
    if (EndsWith(name, length, L".chm")) return HelpKind::Html;
    if (EndsWith(name, length, L".hlp")) return HelpKind::WinHelp;
    return HelpKind::None;
}

void ShowHtmlHelpBesideSheet(HWND page, const wchar_t *path) {
    HtmlHelpFn htmlHelp = HtmlHelpEntry();
    if (!htmlHelp) return;
    HWND help = htmlHelp(page, path, kHhDisplayIndex, 0);
    if (!help) return;
    HWND sheet = GetAncestor(page, GA_ROOT);
    WINDOWPLACEMENT sp{}, hp{}, dp{};
    sp.length = hp.length = dp.length = sizeof(WINDOWPLACEMENT);
    if (!GetWindowPlacement(sheet, &sp) || !GetWindowPlacement(help, &hp) ||
        !GetWindowPlacement(GetDesktopWindow(), &dp))
        return;
    ArrangeSideBySide(dp.rcNormalPosition, &sp.rcNormalPosition, &hp.rcNormalPosition);
    sp.flags = 0;
    sp.showCmd = SW_SHOWNA;
    hp.flags = 0;
    hp.showCmd = SW_SHOW;
    SetWindowPlacement(sheet, &sp);
    SetWindowPlacement(help, &hp);
}

}  // namespace

bool FindHelpFile(HANDLE printer, wchar_t *buffer, DWORD bufferBytes, DWORD *bytes) {
    if (!printer || !bytes) return false;
    unique_process_heap_ptr info;
    if (!ReadDriverInfo(printer, 6, &info)) return false;
    const wchar_t *name = static_cast<DRIVER_INFO_6W *>(info.get())->pDependentFiles;
    if (!name) return false;
    for (; *name; name += std::wcslen(name) + 1) {
        size_t len = wcsnlen(name, kDependentNameChars);
        if (len == kDependentNameChars || HelpKindOf(name, len) == HelpKind::None) continue;
        DWORD size = static_cast<DWORD>((len + 1) * sizeof(wchar_t));
        *bytes = size;
        if (!buffer) return true;
        if (bufferBytes < size) return false;
        std::wmemcpy(buffer, name, len + 1);
        return true;
    }
    return false;
}

void ArrangeSideBySide(const RECT &desktop, RECT *sheet, RECT *help) {
    LONG width = sheet->right - sheet->left;
    LONG left = (desktop.right - desktop.left) / 2 - width;
    sheet->left = left < 0 ? 0 : left;
    sheet->right = sheet->left + width;
    help->left = sheet->right;
    help->top = sheet->top;
    help->bottom = sheet->bottom;
    help->right = sheet->right + width;
    if (help->right > desktop.right) help->right = desktop.right;
}

void ShowPageHelp(HWND page, const wchar_t *helpFilePath) {
    if (!helpFilePath) return;
    switch (HelpKindOf(helpFilePath, std::wcslen(helpFilePath))) {
    case HelpKind::Html:
        ShowHtmlHelpBesideSheet(page, helpFilePath);
        return;
    case HelpKind::WinHelp:
        WinHelpW(page, helpFilePath, HELP_FINDER, 0);
        return;
    case HelpKind::None:
        return;
    }
}

void ShowFrameContextHelp(HWND page, bool show) {
    HWND frame = page ? GetParent(page) : nullptr;
    if (!frame) return;
    LONG_PTR style = GetWindowLongPtrW(frame, GWL_EXSTYLE);
    bool has = (style & WS_EX_CONTEXTHELP) != 0;
    if (has == show) return;
    SetWindowLongPtrW(frame, GWL_EXSTYLE, show ? (style | WS_EX_CONTEXTHELP) : (style & ~WS_EX_CONTEXTHELP));
    SendMessageW(frame, WM_NCPAINT, 1, 0);
}
