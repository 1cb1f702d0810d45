#include "ui/output/cover_page_dialog.h"

#include <cwchar>

#include "resources/resource.h"
#include "settings/private_devmode.h"
#include "ui/frame/activation_context.h"
#include "ui/frame/module.h"
#include "ui/sheets/page_context.h"

namespace {

// The edits take fewer characters than their fields hold, so that what is
// typed fits its line on the printed page.
constexpr int kSenderTextLimit = 45;
constexpr int kCommentsLimit = 1023;

struct SenderField {
    int label;
    int edit;
    wchar_t *(*field)(CoverPageWork &);
    int chars;  // the field's capacity, terminator included
};

constexpr int Chars(size_t bytes) { return static_cast<int>(bytes / sizeof(wchar_t)); }

const SenderField kSenderFields[] = {
    {IDC_COVER_SENDER_NAME_LABEL, IDC_COVER_SENDER_NAME, [](CoverPageWork &w) { return w.senderName; },
     Chars(sizeof(CoverPageWork::senderName))},
    {IDC_COVER_COMPANY_LABEL, IDC_COVER_COMPANY, [](CoverPageWork &w) { return w.senderCompany; },
     Chars(sizeof(CoverPageWork::senderCompany))},
    {IDC_COVER_ADDRESS_LABEL, IDC_COVER_ADDRESS, [](CoverPageWork &w) { return w.senderAddress; },
     Chars(sizeof(CoverPageWork::senderAddress))},
    {IDC_COVER_SENDER_FAX_LABEL, IDC_COVER_SENDER_FAX, [](CoverPageWork &w) { return w.senderFaxNumber; },
     Chars(sizeof(CoverPageWork::senderFaxNumber))},
    {IDC_COVER_VOICE_LABEL, IDC_COVER_VOICE, [](CoverPageWork &w) { return w.senderVoice; },
     Chars(sizeof(CoverPageWork::senderVoice))},
    {IDC_COVER_EMAIL_LABEL, IDC_COVER_EMAIL, [](CoverPageWork &w) { return w.senderEmail; },
     Chars(sizeof(CoverPageWork::senderEmail))},
};

PageContext *ContextOf(HWND dialog) {
    return reinterpret_cast<PageContext *>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void Check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

void Enable(HWND dialog, int id, bool on) { EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE); }

void UpdateSender(HWND dialog) {
    const bool on = Checked(dialog, IDC_COVER_SENDER);
    for (const SenderField &f : kSenderFields) {
        Enable(dialog, f.label, on);
        Enable(dialog, f.edit, on);
    }
}

void UpdateComments(HWND dialog) {
    const bool on = Checked(dialog, IDC_COVER_COMMENTS_CHECK);
    Enable(dialog, IDC_COVER_COMMENTS, on);
    Enable(dialog, IDC_COVER_COMMENTS_GROUP, on);
}

// A cover page of no parts is not a cover page: OK waits for one.
void UpdateOk(HWND dialog) {
    Enable(dialog, IDOK,
           Checked(dialog, IDC_COVER_RECIPIENT) || Checked(dialog, IDC_COVER_SENDER) ||
               Checked(dialog, IDC_COVER_COMMENTS_CHECK));
}

// Shows a field that need not be terminated, cut at its capacity.
void ShowField(HWND dialog, int id, const wchar_t *field, int chars) {
    wchar_t text[kUiStringChars];
    const size_t length = wcsnlen(field, static_cast<size_t>(chars) - 1);
    wmemcpy(text, field, length);
    text[length] = L'\0';
    SetDlgItemTextW(dialog, id, text);
}

void OnInitDialog(HWND dialog, PageContext *ctx) {
    SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ctx));
    CoverPageWork &work = ctx->coverPageWork;
    Check(dialog, IDC_COVER_RECIPIENT, (work.coverPageParts & kCoverRecipient) != 0);
    Check(dialog, IDC_COVER_SENDER, (work.coverPageParts & kCoverSender) != 0);
    Check(dialog, IDC_COVER_COMMENTS_CHECK, (work.coverPageParts & kCoverComments) != 0);
    UpdateSender(dialog);
    UpdateComments(dialog);
    UpdateOk(dialog);
    for (const SenderField &f : kSenderFields) {
        SendDlgItemMessageW(dialog, f.edit, EM_LIMITTEXT, kSenderTextLimit, 0);
        ShowField(dialog, f.edit, f.field(work), f.chars);
    }
    SendDlgItemMessageW(dialog, IDC_COVER_COMMENTS, EM_LIMITTEXT, kCommentsLimit, 0);
    ShowField(dialog, IDC_COVER_COMMENTS, work.comments, Chars(sizeof(work.comments)));
}

void SetPart(uint32_t *parts, uint32_t bit, bool on) {
    if (on)
        *parts |= bit;
    else
        *parts &= ~bit;
}

// Unchecked parts keep their texts: the user may want them back later, and
// the printed page leaves out what its bits leave out.
void TakeOver(HWND dialog, CoverPageWork *work) {
    uint32_t parts = work->coverPageParts;
    const bool sender = Checked(dialog, IDC_COVER_SENDER);
    SetPart(&parts, kCoverSender, sender);
    if (sender)
        for (const SenderField &f : kSenderFields) GetDlgItemTextW(dialog, f.edit, f.field(*work), f.chars);
    SetPart(&parts, kCoverRecipient, Checked(dialog, IDC_COVER_RECIPIENT));
    const bool comments = Checked(dialog, IDC_COVER_COMMENTS_CHECK);
    SetPart(&parts, kCoverComments, comments);
    if (comments) GetDlgItemTextW(dialog, IDC_COVER_COMMENTS, work->comments, Chars(sizeof(work->comments)));
    work->coverPageParts = parts;
}

bool CanTakeOver(const PageContext *ctx) {
    return ctx && ctx->params && ctx->params->pPublicDM && ctx->params->pOEMDM && ctx->coreHelper;
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam) {
    if (HIWORD(wParam) != BN_CLICKED) return FALSE;
    const int id = LOWORD(wParam);
    // Cancel changes nothing, so it needs nothing: the dialog can always be closed.
    if (id == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    }
    PageContext *ctx = ContextOf(dialog);
    if (!CanTakeOver(ctx)) return FALSE;
    switch (id) {
    case IDOK:
        TakeOver(dialog, &ctx->coverPageWork);
        EndDialog(dialog, IDOK);
        return TRUE;
    case IDC_COVER_SENDER:
        UpdateSender(dialog);
        UpdateOk(dialog);
        return TRUE;
    case IDC_COVER_RECIPIENT:
        UpdateOk(dialog);
        return TRUE;
    case IDC_COVER_COMMENTS_CHECK:
        UpdateComments(dialog);
        UpdateOk(dialog);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK CoverPageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        if (lParam) OnInitDialog(dialog, reinterpret_cast<PageContext *>(lParam));
        return TRUE;
    case WM_COMMAND:
        return OnCommand(dialog, wParam);
    default:
        return FALSE;
    }
}

INT_PTR RunCoverPageDialog(HWND owner, PageContext *ctx) {
    ActivationScope scope;
    return DialogBoxParamW(UiModule(), MAKEINTRESOURCEW(IDD_FAX_COVER_PAGE), owner, CoverPageDialogProc,
                           reinterpret_cast<LPARAM>(ctx));
}
