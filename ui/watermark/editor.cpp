#include "ui/watermark/editor.h"

#include <commctrl.h>
#include <strsafe.h>
#include <cmath>
#include <cwchar>

#include "platform/raii.h"
#include "resources/resource.h"
#include "ui/frame/activation_context.h"
#include "ui/frame/module.h"
#include "ui/sheets/page_context.h"
#include "ui/watermark/color_list.h"
#include "ui/watermark/draw.h"
#include "ui/watermark/editor_fields.h"
#include "ui/watermark/font_list.h"
#include "ui/watermark/position_dialog.h"
#include "ui/watermark/preview.h"
#include "ui/watermark/store.h"
#include "ui/watermark/text.h"
#include "ui/watermark/variable_dialog.h"

namespace {

constexpr int kNameLimit = 127;
constexpr int kSizeLimit = 4;
constexpr int kAngleLimit = 4;
constexpr int kIntensityLimit = 3;
constexpr int kFirstListedSize = 8;
constexpr int kLastListedSize = 72;
constexpr int kLargestSize = 500;
constexpr int kAngleRange = 180;

PageContext *ContextOf(HWND dialog) {
    return reinterpret_cast<PageContext *>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
}

HANDLE PrinterOf(const PageContext *ctx) { return ctx && ctx->params ? ctx->params->hPrinter : nullptr; }

void SetFieldNumber(HWND dialog, int id, const wchar_t *format, int value) {
    wchar_t text[32];
    if (SUCCEEDED(StringCchPrintfW(text, ARRAYSIZE(text), format, value))) SetDlgItemTextW(dialog, id, text);
}

int RoundedAngle(double angle) {
    int r = 0;
    return RoundWatermarkValue(angle, &r) ? r : 0;
}

// A field put back to its last valid value changes its text again; the
// value put back is valid, but a stored record may not be, so the restore
// must not check itself.
class RestoreGuard {
public:
    explicit RestoreGuard(uint32_t *flag) : flag_(flag), entered_(*flag == 0) { *flag_ = 1; }
    ~RestoreGuard() {
        if (entered_) *flag_ = 0;
    }
    bool entered() const { return entered_; }

private:
    uint32_t *flag_;
    bool entered_;
};

void FocusControl(HWND dialog, int id) {
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, id)), TRUE);
}

void Refresh(HWND dialog) { RefreshPreview(dialog, IDC_WMEDIT_PREVIEW); }

void UpdateOkButton(HWND dialog) {
    wchar_t name[kNameLimit + 2], text[kNameLimit + 2];
    ReadFieldText(dialog, IDC_WMEDIT_NAME, name, ARRAYSIZE(name));
    ReadFieldText(dialog, IDC_WMEDIT_TEXT, text, ARRAYSIZE(text));
    EnableWindow(GetDlgItem(dialog, IDOK), !IsBlankText(name) && !IsBlankText(text));
}

void CheckSizeField(HWND dialog, PageContext *ctx) {
    RestoreGuard guard(&ctx->editRestoring);
    if (!guard.entered()) return;
    wchar_t text[kSizeLimit + 1];
    ReadFieldText(dialog, IDC_WMEDIT_SIZE, text, ARRAYSIZE(text));
    int value = _wtoi(text);
    if (IsDigitText(text, false) && value >= 1 && value <= kLargestSize) {
        ctx->editPointSize = static_cast<uint32_t>(value);
        return;
    }
    SetFieldNumber(dialog, IDC_WMEDIT_SIZE, L"%u", static_cast<int>(ctx->editPointSize));
}

void CheckIntensityField(HWND dialog, PageContext *ctx) {
    RestoreGuard guard(&ctx->editRestoring);
    if (!guard.entered()) return;
    wchar_t text[kIntensityLimit + 1];
    ReadFieldText(dialog, IDC_WMEDIT_INTENSITY, text, ARRAYSIZE(text));
    int value = _wtoi(text);
    if (IsDigitText(text, false) && value >= 1 && value <= 100) {
        ctx->editIntensity = static_cast<uint16_t>(value);
        return;
    }
    SetFieldNumber(dialog, IDC_WMEDIT_INTENSITY, L"%d", ctx->editIntensity);
}

void CheckAngleField(HWND dialog, PageContext *ctx) {
    RestoreGuard guard(&ctx->editRestoring);
    if (!guard.entered()) return;
    wchar_t text[kAngleLimit + 1];
    ReadFieldText(dialog, IDC_WMEDIT_ANGLE, text, ARRAYSIZE(text));
    int value = _wtoi(text);
    if (IsDigitText(text, true) && !IsBlankText(text) && value >= -kAngleRange && value <= kAngleRange) {
        ctx->editAngle = value;
        return;
    }
    SetFieldNumber(dialog, IDC_WMEDIT_ANGLE, L"%d", RoundedAngle(ctx->editAngle));
}

void FillSizes(HWND dialog, PageContext *ctx, uint32_t pointSize) {
    HWND combo = GetDlgItem(dialog, IDC_WMEDIT_SIZE);
    ctx->editPointSize = pointSize;
    LRESULT match = CB_ERR;
    for (int size = kFirstListedSize; size <= kLastListedSize; size += 2) {
        wchar_t text[8];
        StringCchPrintfW(text, ARRAYSIZE(text), L"%d", size);
        LRESULT index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        if (index < 0) continue;
        SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), size);
        if (static_cast<uint32_t>(size) == pointSize) match = index;
    }
    SendMessageW(combo, CB_LIMITTEXT, kSizeLimit, 0);
    if (match != CB_ERR)
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(match), 0);
    else
        SetFieldNumber(dialog, IDC_WMEDIT_SIZE, L"%u", static_cast<int>(pointSize));
}

void SetUpSpinner(HWND dialog, int spinId, int low, int high, int position) {
    HWND spin = GetDlgItem(dialog, spinId);
    SendMessageW(spin, UDM_SETRANGE32, static_cast<WPARAM>(low), high);
    SendMessageW(spin, UDM_SETPOS32, 0, position);
}

void SetAngle(HWND dialog, PageContext *ctx, double angle) {
    if (!std::isfinite(angle) || angle < -kAngleRange || angle > kAngleRange) angle = 0.0;
    SendDlgItemMessageW(dialog, IDC_WMEDIT_ANGLE, EM_LIMITTEXT, kAngleLimit, 0);
    ctx->editAngle = angle;
    SetFieldNumber(dialog, IDC_WMEDIT_ANGLE, L"%d", RoundedAngle(angle));
    SetUpSpinner(dialog, IDC_WMEDIT_ANGLE_SPIN, -kAngleRange, kAngleRange, RoundedAngle(angle));
}

void SelectFace(HWND dialog, const wchar_t *faceName) {
    HWND combo = GetDlgItem(dialog, IDC_WMEDIT_FONT);
    LRESULT index = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(faceName));
    SendMessageW(combo, CB_SETCURSEL, index == CB_ERR ? 0 : static_cast<WPARAM>(index), 0);
}

void CheckBox(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

void ShowRecord(HWND dialog, PageContext *ctx) {
    WatermarkRecord wm = ctx->editWatermark;
    wm.name[ARRAYSIZE(wm.name) - 1] = L'\0';
    wm.text[ARRAYSIZE(wm.text) - 1] = L'\0';
    wm.faceName[ARRAYSIZE(wm.faceName) - 1] = L'\0';
    wchar_t title[kUiStringChars];
    LoadUiString(ctx->editIsNew ? IDS_WM_ADD_TITLE : IDS_WM_EDIT_TITLE, title, kUiStringChars);
    SetWindowTextW(dialog, title);
    if (ctx->editIsNew) EnableWindow(GetDlgItem(dialog, IDOK), FALSE);

    SendDlgItemMessageW(dialog, IDC_WMEDIT_NAME, EM_LIMITTEXT, kNameLimit, 0);
    SendDlgItemMessageW(dialog, IDC_WMEDIT_TEXT, EM_LIMITTEXT, kNameLimit, 0);
    SetDlgItemTextW(dialog, IDC_WMEDIT_NAME, wm.name);
    SetDlgItemTextW(dialog, IDC_WMEDIT_TEXT, wm.text);
    FillSizes(dialog, ctx, wm.pointSize);
    SetAngle(dialog, ctx, wm.angle);

    HWND colors = GetDlgItem(dialog, IDC_WMEDIT_COLOR);
    FillColorList(colors);
    SelectColor(colors, wm.color);
    CheckBox(dialog, IDC_WMEDIT_STRIKEOUT, wm.effects & kEffectStrikeout);
    CheckBox(dialog, IDC_WMEDIT_UNDERLINE, wm.effects & kEffectUnderline);
    CheckBox(dialog, IDC_WMEDIT_OUTLINE, wm.effects & kEffectOutline);
    CheckBox(dialog, IDC_WMEDIT_ITALICS, wm.fontStyle == 1 || wm.fontStyle == 3);
    CheckBox(dialog, IDC_WMEDIT_BOLD, wm.fontStyle == 2 || wm.fontStyle == 3);

    FillFontList(GetDlgItem(dialog, IDC_WMEDIT_FONT), PrinterOf(ctx));
    SelectFace(dialog, wm.faceName);

    SendDlgItemMessageW(dialog, IDC_WMEDIT_INTENSITY, EM_LIMITTEXT, kIntensityLimit, 0);
    ctx->editIntensity = wm.intensity;
    SetUpSpinner(dialog, IDC_WMEDIT_INTENSITY_SPIN, 1, 100, wm.intensity);

    ctx->editVerticalOffset = wm.verticalOffset;
    ctx->editHorizontalOffset = wm.horizontalOffset;
    ctx->editUnits = wm.units;
    ctx->editPosition = wm.position;

    CheckBox(dialog, IDC_WMEDIT_DYNAMIC, wm.dynamicText != 0);
    EnableWindow(GetDlgItem(dialog, IDC_WMEDIT_CONFIGURE), wm.dynamicText != 0);
    AttachPreview(GetDlgItem(dialog, IDC_WMEDIT_PREVIEW), &wm, PrinterOf(ctx), CollectEditorRecord);
}

void OnInitDialog(HWND dialog, PageContext *ctx) {
    if (!ctx) return;
    SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ctx));
    if (!ctx->params || !ctx->params->pOEMDM) return;
    if (!ctx->editWatermark.name[0] && !ctx->editIsNew) return;
    ShowRecord(dialog, ctx);
}

void ConfigureVariables(HWND dialog, PageContext *ctx) {
    ReadFieldText(dialog, IDC_WMEDIT_TEXT, ctx->dynamicDialogText, ARRAYSIZE(ctx->dynamicDialogText));
    if (RunVariableDialog(dialog, ctx) != 1) return;
    ctx->dynamicDialogText[ARRAYSIZE(ctx->dynamicDialogText) - 1] = L'\0';
    SetDlgItemTextW(dialog, IDC_WMEDIT_TEXT, ctx->dynamicDialogText);
    Refresh(dialog);
}

// The position dialog works on a copy, so that its Cancel, or this editor's,
// leaves the sheet's context as it was.
void PositionWatermark(HWND dialog, PageContext *ctx) {
    unique_process_heap_ptr memory(HeapAlloc(GetProcessHeap(), 0, sizeof(PageContext)));
    if (memory) {
        auto *copy = static_cast<PageContext *>(memory.get());
        *copy = *ctx;
        CollectEditorRecord(dialog, &copy->editWatermark);
        copy->editWatermark.verticalOffset = copy->editVerticalOffset;
        copy->editWatermark.units = copy->editUnits;
        copy->editWatermark.horizontalOffset = copy->editHorizontalOffset;
        copy->editWatermark.position = copy->editPosition;
        if (RunPositionDialog(dialog, copy) == 1) {
            ctx->editVerticalOffset = copy->editVerticalOffset;
            ctx->editHorizontalOffset = copy->editHorizontalOffset;
            ctx->editUnits = copy->editUnits;
            ctx->editPosition = copy->editPosition;
        }
    }
    Refresh(dialog);
}

// The checks in the order the user is told about them; each leaves the
// dialog open with the focus on the field to correct.
bool NameIsAcceptable(HWND dialog, const PageContext *ctx, const wchar_t *name) {
    bool changed = ctx->editIsNew || wcsncmp(name, ctx->editWatermark.name, ARRAYSIZE(ctx->editWatermark.name)) != 0;
    if (!changed) return true;
    if (WatermarkExists(PrinterOf(ctx), name)) {
        ShowEditorError(dialog, IDS_ERR_WM_NAME_EXISTS);
        FocusControl(dialog, IDC_WMEDIT_NAME);
        return false;
    }
    wchar_t none[kUiStringChars];
    LoadUiString(IDS_WM_NONE, none, kUiStringChars);
    if (wcscmp(name, none) == 0) {
        ShowEditorError(dialog, IDS_ERR_WM_NAME_NONE);
        FocusControl(dialog, IDC_WMEDIT_NAME);
        return false;
    }
    return true;
}

bool TextIsAcceptable(HWND dialog, HANDLE printer, const WatermarkRecord &record) {
    if (!record.dynamicText) return true;
    HDC dc = GetDC(dialog);
    bool valid = CheckWatermarkText(printer, dc, record.text);
    if (dc) ReleaseDC(dialog, dc);
    if (valid) return true;
    ShowEditorError(dialog, IDS_ERR_BAD_DYNAMIC_TEXT);
    FocusControl(dialog, IDC_WMEDIT_TEXT);
    return false;
}

void OnOk(HWND dialog, PageContext *ctx) {
    wchar_t name[ARRAYSIZE(ctx->editWatermark.name)];
    ReadFieldText(dialog, IDC_WMEDIT_NAME, name, ARRAYSIZE(name));
    TrimTrailingBlanks(name);
    if (!NameIsAcceptable(dialog, ctx, name)) return;

    WatermarkRecord record;
    CollectEditorRecord(dialog, &record);
    if (record.pointSize == 0) {
        ShowEditorError(dialog, IDS_ERR_WM_FONT_SIZE);
        FocusControl(dialog, IDC_WMEDIT_SIZE);
        return;
    }
    HANDLE printer = PrinterOf(ctx);
    if (!TextIsAcceptable(dialog, printer, record)) return;
    // A rename replaces the chosen watermark as a whole, or leaves it be.
    const wchar_t *chosen = ctx->editChosenName;
    const bool rename =
        !ctx->editIsNew && chosen[0] && wcsncmp(record.name, chosen, ARRAYSIZE(ctx->editChosenName)) != 0;
    if (!(rename ? RenameWatermark(printer, &record, chosen) : SaveWatermark(printer, &record))) {
        ShowEditorError(dialog, IDS_ERR_SAVE_REGISTRY);
        return;
    }
    ctx->editWatermark = record;
    EndDialog(dialog, 1);
}

void OnCommand(HWND dialog, PageContext *ctx, int id, int code) {
    switch (id) {
    case IDC_WMEDIT_NAME:
    case IDC_WMEDIT_TEXT:
        if (code == EN_CHANGE) UpdateOkButton(dialog);
        break;
    case IDC_WMEDIT_SIZE:
        if (code == CBN_EDITCHANGE) CheckSizeField(dialog, ctx);
        break;
    case IDC_WMEDIT_INTENSITY:
        if (code == EN_UPDATE) CheckIntensityField(dialog, ctx);
        break;
    case IDC_WMEDIT_ANGLE:
        if (code == EN_UPDATE) CheckAngleField(dialog, ctx);
        break;
    case IDC_WMEDIT_DYNAMIC:
        EnableWindow(GetDlgItem(dialog, IDC_WMEDIT_CONFIGURE), IsDlgButtonChecked(dialog, id) == BST_CHECKED);
        break;
    case IDC_WMEDIT_CONFIGURE:
        if (code == BN_CLICKED) ConfigureVariables(dialog, ctx);
        return;
    case IDC_WMEDIT_POSITION:
        if (code == BN_CLICKED) PositionWatermark(dialog, ctx);
        return;
    case IDOK:
        OnOk(dialog, ctx);
        return;
    case IDCANCEL:
        EndDialog(dialog, 2);
        return;
    default:
        break;
    }
    Refresh(dialog);
}

INT_PTR CALLBACK EditorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        OnInitDialog(dialog, reinterpret_cast<PageContext *>(lParam));
        return TRUE;
    }
    PageContext *ctx = ContextOf(dialog);
    if (!ctx) return FALSE;
    switch (message) {
    case WM_COMMAND:
        OnCommand(dialog, ctx, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NOTIFY: {
        auto *header = reinterpret_cast<const NMHDR *>(lParam);
        if (header && header->code == UDN_DELTAPOS) Refresh(dialog);
        return FALSE;
    }
    case WM_DRAWITEM:
        if (wParam != IDC_WMEDIT_COLOR) return FALSE;
        DrawColorItem(reinterpret_cast<const DRAWITEMSTRUCT *>(lParam));
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR RunWatermarkEditor(HWND owner, PageContext *ctx) {
    if (!ctx) return 2;
    ActivationScope scope;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    INT_PTR result = DialogBoxParamW(UiModule(), MAKEINTRESOURCEW(IDD_WATERMARK_EDITOR), owner, EditorProc,
                                     reinterpret_cast<LPARAM>(ctx));
    // Only a save counts; a dialog that could not be shown changed nothing.
    return result == 1 ? 1 : 2;
}
