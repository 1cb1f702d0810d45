#include "ui/profiles/name_dialog.h"

#include <strsafe.h>
#include <cwchar>
#include <cwctype>

#include "resources/resource.h"
#include "ui/frame/activation_context.h"
#include "ui/frame/module.h"
#include "ui/sheets/page_context.h"
#include "ui/profiles/item_values.h"
#include "ui/profiles/store.h"

namespace {

constexpr uint32_t kNameAccepted = 1;
constexpr uint32_t kNameCancelled = 2;

PageContext *ContextOf(HWND dialog) {
    return reinterpret_cast<PageContext *>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
}

HANDLE PrinterOf(const PageContext *ctx) { return ctx && ctx->params ? ctx->params->hPrinter : nullptr; }

bool IsBlank(const wchar_t *text) {
    for (; *text; ++text)
        if (!std::iswspace(*text)) return false;
    return true;
}

void ReadName(HWND dialog, wchar_t (&name)[kProfileNameChars]) {
    name[0] = L'\0';
    GetDlgItemTextW(dialog, IDC_PROFILE_NAME, name, kProfileNameChars);
}

bool IsReservedName(const wchar_t *name) {
    wchar_t factory[kUiStringChars], unknown[kUiStringChars];
    LoadUiString(IDS_FACTORY_DEFAULTS, factory, kUiStringChars);
    LoadUiString(IDS_UNKNOWN_PROFILE, unknown, kUiStringChars);
    return lstrcmpiW(name, factory) == 0 || lstrcmpiW(name, unknown) == 0;
}

// Shows the first failed test's message and keeps the dialog open.
bool AcceptName(HWND dialog, const wchar_t *name) {
    UINT message = CheckProfileName(name, PrinterOf(ContextOf(dialog)));
    if (message == 0) return true;
    ShowProfileMessage(dialog, message, MB_OK | MB_ICONERROR, name);
    SetFocus(GetDlgItem(dialog, IDC_PROFILE_NAME));
    return false;
}

void Finish(HWND dialog, uint32_t result) {
    if (PageContext *ctx = ContextOf(dialog)) ctx->nameDialogResult = result;
    EndDialog(dialog, result == kNameAccepted ? IDOK : IDCANCEL);
}

void StartDialog(HWND dialog, LPARAM lParam) {
    SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
    SendDlgItemMessageW(dialog, IDC_PROFILE_NAME, EM_SETLIMITTEXT, kStoredTextChars, 0);
}

void OnSaveOk(HWND dialog) {
    PageContext *ctx = ContextOf(dialog);
    wchar_t name[kProfileNameChars];
    ReadName(dialog, name);
    if (!ctx || !AcceptName(dialog, name)) return;
    StringCchCopyW(ctx->newProfileName, kProfileNameChars, name);
    Finish(dialog, kNameAccepted);
}

INT_PTR CALLBACK SaveNameProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        StartDialog(dialog, lParam);
        EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_PROFILE_NAME && HIWORD(wParam) == EN_CHANGE) {
            wchar_t name[kProfileNameChars];
            ReadName(dialog, name);
            EnableWindow(GetDlgItem(dialog, IDOK), !IsBlank(name));
        } else if (LOWORD(wParam) == IDOK) {
            OnSaveOk(dialog);
        } else if (LOWORD(wParam) == IDCANCEL) {
            Finish(dialog, kNameCancelled);
        }
        return TRUE;
    default:
        return FALSE;
    }
}

void OnRenameChange(HWND dialog) {
    PageContext *ctx = ContextOf(dialog);
    if (!ctx) return;
    wchar_t name[kProfileNameChars];
    ReadName(dialog, name);
    size_t length = std::wcslen(name);
    while (length > 0 && name[length - 1] == L' ') name[--length] = L'\0';
    StringCchCopyW(ctx->newProfileName, kProfileNameChars, name);
    bool differs = lstrcmpiW(name, ctx->selectedProfileName) != 0;
    EnableWindow(GetDlgItem(dialog, IDOK), !IsBlank(name) && differs);
}

void OnRenameOk(HWND dialog) {
    wchar_t name[kProfileNameChars];
    ReadName(dialog, name);
    if (ContextOf(dialog) && AcceptName(dialog, name)) Finish(dialog, kNameAccepted);
}

INT_PTR CALLBACK RenameNameProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        StartDialog(dialog, lParam);
        // The old name stays in selectedProfileName while the dialog is open.
        if (PageContext *ctx = ContextOf(dialog)) SetDlgItemTextW(dialog, IDC_PROFILE_NAME, ctx->selectedProfileName);
        EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
        SetFocus(GetDlgItem(dialog, IDC_PROFILE_NAME));
        return FALSE;  // the focus is set
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_PROFILE_NAME && HIWORD(wParam) == EN_CHANGE)
            OnRenameChange(dialog);
        else if (LOWORD(wParam) == IDOK)
            OnRenameOk(dialog);
        else if (LOWORD(wParam) == IDCANCEL)
            Finish(dialog, kNameCancelled);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

void RunNameDialog(HWND page, PageContext *ctx, NameDialogForm form) {
    if (!ctx) return;
    ctx->nameDialogResult = kNameCancelled;
    ActivationScope scope;
    DialogBoxParamW(UiModule(), MAKEINTRESOURCEW(IDD_PROFILE_NAME), page,
                    form == NameDialogForm::Save ? SaveNameProc : RenameNameProc, reinterpret_cast<LPARAM>(ctx));
}

UINT CheckProfileName(const wchar_t *name, HANDLE printer) {
    if (!name) return IDS_ERR_PROFILE_NAME_CHARACTERS;
    size_t length = std::wcslen(name);
    if (length > 0 && name[length - 1] == L' ') return IDS_ERR_PROFILE_TRAILING_SPACE;
    if (IsReservedName(name)) return IDS_ERR_PROFILE_NAME_RESERVED;
    if (std::wcspbrk(name, L"./\\")) return IDS_ERR_PROFILE_NAME_CHARACTERS;
    if (!IsProfileNameFree(name, printer)) return IDS_ERR_PROFILE_NAME_USED;
    return 0;
}

int ShowProfileMessage(HWND owner, UINT textId, UINT type, const wchar_t *name) {
    wchar_t format[kUiStringChars], text[kUiStringChars], caption[kUiStringChars];
    LoadUiString(textId, format, kUiStringChars);
    LoadUiString(IDS_PROFILES_CAPTION, caption, kUiStringChars);
    // Texts without a place for the name ignore the argument.
    if (FAILED(StringCchPrintfW(text, kUiStringChars, format, name ? name : L""))) StringCchCopyW(text, kUiStringChars, format);
    return MessageBoxW(owner, text, caption, type);
}
