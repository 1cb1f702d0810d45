#include "ui/watermark/variable_dialog.h"

#include <strsafe.h>
#include <cwchar>

#include "resources/resource.h"
#include "ui/frame/activation_context.h"
#include "ui/frame/module.h"
#include "ui/sheets/page_context.h"
#include "ui/watermark/editor_fields.h"

namespace {

constexpr int kTokenChars = 50;
constexpr int kDescriptionChars = 128;
constexpr int kTextChars = ARRAYSIZE(PageContext::dynamicDialogText);

struct VariableRow {
    UINT descriptionId;
    UINT tokenId;
};

// In the order the first match is looked for.
const VariableRow kVariables[] = {
    {IDS_VARDESC_USERNAME, IDS_VAR_USERNAME},       {IDS_VARDESC_DATESHORT, IDS_VAR_DATESHORT},
    {IDS_VARDESC_DATELONG, IDS_VAR_DATELONG},       {IDS_VARDESC_DATEDDMMYYYY, IDS_VAR_DATEDDMMYYYY},
    {IDS_VARDESC_TIME, IDS_VAR_TIME},               {IDS_VARDESC_TIMEMIL, IDS_VAR_TIMEMIL},
    {IDS_VARDESC_TIMEHRMN, IDS_VAR_TIMEHRMN},       {IDS_VARDESC_PAGENUMBER, IDS_VAR_PAGENUMBER},
    {IDS_VARDESC_HOSTNAME, IDS_VAR_HOSTNAME},       {IDS_VARDESC_PRINTER, IDS_VAR_PRINTER},
    {IDS_VARDESC_MODELNAME, IDS_VAR_MODELNAME},     {IDS_VARDESC_PERCENT, IDS_VAR_PERCENT_INSERT},
};

PageContext *ContextOf(HWND dialog) {
    return reinterpret_cast<PageContext *>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
}

bool Usable(const PageContext *ctx) { return ctx && ctx->params && ctx->params->hPrinter && ctx->params->pOEMDM; }

void OnInitDialog(HWND dialog, PageContext *ctx) {
    if (!ctx) return;
    SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ctx));
    if (!Usable(ctx)) return;
    ctx->dynamicDialogText[kTextChars - 1] = L'\0';
    SetDlgItemTextW(dialog, IDC_WMVAR_TEXT, ctx->dynamicDialogText);
    HWND list = GetDlgItem(dialog, IDC_WMVAR_LIST);
    wchar_t description[kDescriptionChars];
    for (const VariableRow &row : kVariables) {
        LoadUiString(row.descriptionId, description, kDescriptionChars);
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(description));
    }
    EnableWindow(GetDlgItem(dialog, IDOK), FALSE);
    EnableWindow(GetDlgItem(dialog, IDC_WMVAR_ADD), FALSE);
}

// The token of the selected description, or false when none matches.
bool SelectedToken(HWND dialog, wchar_t (&token)[kTokenChars]) {
    HWND list = GetDlgItem(dialog, IDC_WMVAR_LIST);
    LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (selected == LB_ERR) return false;
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(selected), 0);
    if (length == LB_ERR || length >= kDescriptionChars) return false;
    wchar_t chosen[kDescriptionChars];
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(chosen));
    wchar_t description[kDescriptionChars];
    for (const VariableRow &row : kVariables) {
        LoadUiString(row.descriptionId, description, kDescriptionChars);
        if (lstrcmpiW(description, chosen) != 0) continue;
        LoadUiString(row.tokenId, token, kTokenChars);
        return token[0] != L'\0';
    }
    return false;
}

void AddVariable(HWND dialog) {
    wchar_t token[kTokenChars];
    if (!SelectedToken(dialog, token)) return;
    DWORD start = 0, end = 0;
    SendDlgItemMessageW(dialog, IDC_WMVAR_TEXT, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                        reinterpret_cast<LPARAM>(&end));
    if (start != end) {
        SendDlgItemMessageW(dialog, IDC_WMVAR_TEXT, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(token));
        return;
    }
    // A token cut short would be a broken variable: it is added whole or not.
    wchar_t text[kTextChars];
    ReadFieldText(dialog, IDC_WMVAR_TEXT, text, kTextChars);
    if (wcslen(text) + wcslen(token) >= static_cast<size_t>(kTextChars)) return;
    StringCchCatW(text, kTextChars, token);
    SetDlgItemTextW(dialog, IDC_WMVAR_TEXT, text);
}

void OnCommand(HWND dialog, PageContext *ctx, int id, int code) {
    switch (id) {
    case IDC_WMVAR_TEXT:
        if (code == EN_UPDATE)
            EnableWindow(GetDlgItem(dialog, IDOK), GetWindowTextLengthW(GetDlgItem(dialog, IDC_WMVAR_TEXT)) > 0);
        break;
    case IDC_WMVAR_LIST:
        if (code == LBN_SELCHANGE)
            EnableWindow(GetDlgItem(dialog, IDC_WMVAR_ADD),
                         SendDlgItemMessageW(dialog, IDC_WMVAR_LIST, LB_GETCURSEL, 0, 0) != LB_ERR);
        break;
    case IDC_WMVAR_ADD:
        if (code == BN_CLICKED) AddVariable(dialog);
        break;
    case IDOK:
        ReadFieldText(dialog, IDC_WMVAR_TEXT, ctx->dynamicDialogText, kTextChars);
        ctx->dynamicDialogResult = 1;
        EndDialog(dialog, 1);
        break;
    case IDCANCEL:
        ctx->dynamicDialogResult = 2;
        EndDialog(dialog, 1);
        break;
    default:
        break;
    }
}

INT_PTR CALLBACK VariableProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        OnInitDialog(dialog, reinterpret_cast<PageContext *>(lParam));
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    PageContext *ctx = ContextOf(dialog);
    int id = LOWORD(wParam);
    if (Usable(ctx))
        OnCommand(dialog, ctx, id, HIWORD(wParam));
    else if (id == IDOK || id == IDCANCEL)
        EndDialog(dialog, 1);  // nothing to hand back, but the dialog still closes
    return TRUE;
}

}  // namespace

INT_PTR RunVariableDialog(HWND owner, PageContext *ctx) {
    if (!ctx) return 2;
    ActivationScope scope;
    return DialogBoxParamW(UiModule(), MAKEINTRESOURCEW(IDD_DYNAMIC_WATERMARKS), owner, VariableProc,
                           reinterpret_cast<LPARAM>(ctx));
}
