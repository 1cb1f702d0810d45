#include "ui/watermark/position_dialog.h"

#include <commctrl.h>
#include <strsafe.h>
#include <cmath>
#include <cwchar>

#include "resources/resource.h"
#include "ui/frame/activation_context.h"
#include "ui/frame/module.h"
#include "ui/sheets/page_context.h"
#include "ui/watermark/editor_fields.h"
#include "ui/watermark/preview.h"

namespace {

constexpr int kOffsetLimitChars = 10;
constexpr double kOffsetLimitInches = 9999.9;
constexpr double kInchesPerMillimetre = 0.03937007874015748;
constexpr double kMillimetresPerInch = 25.4;
constexpr double kInchStep = 0.1;
constexpr double kMillimetreStep = 1.0;
constexpr double kTenth = 0.1;

enum Row { kTop, kMiddle, kBottom };
enum Column { kLeft, kCentre, kRight };

// Position codes by vertical row and horizontal column.
constexpr uint32_t kPositionCodes[3][3] = {
    {WM_POS_TOP_LEFT, WM_POS_TOP_CENTER, WM_POS_TOP_RIGHT},
    {WM_POS_MIDDLE_LEFT, WM_POS_CENTER, WM_POS_MIDDLE_RIGHT},
    {WM_POS_BOTTOM_LEFT, WM_POS_BOTTOM_CENTER, WM_POS_BOTTOM_RIGHT},
};
constexpr int kRowButtons[3] = {IDC_WMPOS_TOP, IDC_WMPOS_VCENTER, IDC_WMPOS_BOTTOM};
constexpr int kColumnButtons[3] = {IDC_WMPOS_LEFT, IDC_WMPOS_HCENTER, IDC_WMPOS_RIGHT};

struct OffsetField {
    int edit;
    int spin;
    double PageContext::*lastValid;
};

constexpr OffsetField kVerticalField{IDC_WMPOS_VOFFSET, IDC_WMPOS_VSPIN, &PageContext::positionLastVertical};
constexpr OffsetField kHorizontalField{IDC_WMPOS_HOFFSET, IDC_WMPOS_HSPIN, &PageContext::positionLastHorizontal};
constexpr OffsetField kFields[] = {kVerticalField, kHorizontalField};

PageContext *ContextOf(HWND dialog) {
    return reinterpret_cast<PageContext *>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
}

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void Refresh(HWND dialog) { RefreshPreview(dialog, IDC_WMPOS_PREVIEW); }

void SetOffsetText(HWND dialog, int id, double value) {
    wchar_t text[64];
    if (FAILED(StringCchPrintfW(text, ARRAYSIZE(text), L"%.1f", value))) StringCchCopyW(text, ARRAYSIZE(text), L"0.0");
    SetDlgItemTextW(dialog, id, text);
}

double FieldValue(HWND dialog, int id, bool *decimal) {
    wchar_t text[kOffsetLimitChars + 1];
    ReadFieldText(dialog, id, text, ARRAYSIZE(text));
    if (decimal) *decimal = IsDecimalText(text);
    return wcstod(text, nullptr);
}

void CheckPosition(HWND dialog, uint32_t position) {
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            if (kPositionCodes[row][column] == position) {
                CheckRadioButton(dialog, IDC_WMPOS_TOP, IDC_WMPOS_BOTTOM, kRowButtons[row]);
                CheckRadioButton(dialog, IDC_WMPOS_LEFT, IDC_WMPOS_RIGHT, kColumnButtons[column]);
            }
}

bool ReadPlacement(HWND dialog, bool report, double *vertical, double *horizontal, uint8_t *units,
                   uint32_t *position) {
    double values[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        bool decimal = false;
        values[i] = FieldValue(dialog, kFields[i].edit, &decimal);
        if (decimal) continue;
        if (report) {
            ShowEditorError(dialog, IDS_ERR_OFFSET_DECIMAL);
            SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, kFields[i].edit)), TRUE);
        }
        return false;
    }
    int row = Checked(dialog, IDC_WMPOS_TOP) ? kTop : Checked(dialog, IDC_WMPOS_VCENTER) ? kMiddle : kBottom;
    int column = Checked(dialog, IDC_WMPOS_LEFT) ? kLeft : Checked(dialog, IDC_WMPOS_HCENTER) ? kCentre : kRight;
    *vertical = values[0];
    *horizontal = values[1];
    *units = Checked(dialog, IDC_WMPOS_MILLIMETRES) ? 0 : 1;
    *position = kPositionCodes[row][column];
    return true;
}

// The preview never reports: a paint is no place for a message box.
bool CollectPreviewPlacement(HWND dialog, WatermarkRecord *record) {
    return ReadPlacement(dialog, false, &record->verticalOffset, &record->horizontalOffset, &record->units,
                         &record->position);
}

void OnInitDialog(HWND dialog, PageContext *ctx) {
    if (!ctx) return;
    SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ctx));
    if (!ctx->params || !ctx->params->pOEMDM) return;
    const WatermarkRecord &wm = ctx->editWatermark;
    CheckPosition(dialog, wm.position);
    bool millimetres = wm.units != 1;
    CheckRadioButton(dialog, IDC_WMPOS_INCHES, IDC_WMPOS_MILLIMETRES,
                     millimetres ? IDC_WMPOS_MILLIMETRES : IDC_WMPOS_INCHES);
    ctx->positionInMillimetres = millimetres ? 1 : 0;
    const double offsets[2] = {wm.verticalOffset, wm.horizontalOffset};
    for (int i = 0; i < 2; ++i) {
        SendDlgItemMessageW(dialog, kFields[i].edit, EM_LIMITTEXT, kOffsetLimitChars, 0);
        SetOffsetText(dialog, kFields[i].edit, offsets[i]);
    }
    AttachPreview(GetDlgItem(dialog, IDC_WMPOS_PREVIEW), &wm, ctx->params->hPrinter, CollectPreviewPlacement);
}

// A field put back to its last valid value changes its text again.
void CheckOffsetField(HWND dialog, PageContext *ctx, const OffsetField &field) {
    if (ctx->positionRestoring) return;
    wchar_t text[kOffsetLimitChars + 1];
    ReadFieldText(dialog, field.edit, text, ARRAYSIZE(text));
    double value = wcstod(text, nullptr);
    if (IsDecimalText(text) && !IsBlankText(text) && OffsetWithinLimit(value, ctx->positionInMillimetres != 0)) {
        ctx->*field.lastValid = value;
        Refresh(dialog);
        return;
    }
    ctx->positionRestoring = 1;
    SetOffsetText(dialog, field.edit, ctx->*field.lastValid);
    ctx->positionRestoring = 0;
}

void Step(HWND dialog, PageContext *ctx, const OffsetField &field, int delta) {
    bool decimal = false;
    double value = FieldValue(dialog, field.edit, &decimal);
    if (decimal) {
        bool millimetres = ctx->positionInMillimetres != 0;
        double step = millimetres ? kMillimetreStep : kInchStep;
        value += delta < 0 ? step : -step;
        if (std::fabs(value) < kTenth / 2) value = 0.0;  // no "-0.0" from rounding
        if (OffsetWithinLimit(value, millimetres)) {
            SetOffsetText(dialog, field.edit, value);
            ctx->*field.lastValid = value;
        }
    }
    Refresh(dialog);
}

// Converts one field's text into the other unit, one tenth back toward zero
// when the result lies beyond the limit.
void ConvertField(HWND dialog, PageContext *ctx, const OffsetField &field, bool toMillimetres) {
    double value = FieldValue(dialog, field.edit, nullptr);
    value *= toMillimetres ? kMillimetresPerInch : kInchesPerMillimetre;
    wchar_t text[64];
    if (FAILED(StringCchPrintfW(text, ARRAYSIZE(text), L"%.1f", value))) return;
    double shown = wcstod(text, nullptr);
    if (!OffsetWithinLimit(shown, toMillimetres)) shown += shown > 0 ? -kTenth : kTenth;
    // The last valid value follows the text into the new unit, so that a
    // later restore puts back what the field showed.
    ctx->*field.lastValid = shown;
    SetOffsetText(dialog, field.edit, shown);
}

void SwitchUnits(HWND dialog, PageContext *ctx, bool toMillimetres) {
    if ((ctx->positionInMillimetres != 0) == toMillimetres) return;
    ctx->positionInMillimetres = toMillimetres ? 1 : 0;
    for (const OffsetField &field : kFields) ConvertField(dialog, ctx, field, toMillimetres);
}

void OnOk(HWND dialog, PageContext *ctx) {
    double vertical = 0, horizontal = 0;
    uint8_t units = 1;
    uint32_t position = WM_POS_CENTER;
    if (CollectPlacement(dialog, &vertical, &horizontal, &units, &position)) {
        ctx->editVerticalOffset = vertical;
        ctx->editHorizontalOffset = horizontal;
        ctx->editUnits = units;
        ctx->editPosition = position;
    }
    EndDialog(dialog, 1);
}

void OnCommand(HWND dialog, PageContext *ctx, int id, int code) {
    switch (id) {
    case IDC_WMPOS_VOFFSET:
        if (code == EN_UPDATE) CheckOffsetField(dialog, ctx, kVerticalField);
        return;
    case IDC_WMPOS_HOFFSET:
        if (code == EN_UPDATE) CheckOffsetField(dialog, ctx, kHorizontalField);
        return;
    case IDC_WMPOS_MILLIMETRES:
    case IDC_WMPOS_INCHES:
        if (code == BN_CLICKED) SwitchUnits(dialog, ctx, id == IDC_WMPOS_MILLIMETRES);
        break;
    case IDC_WMPOS_CENTER:
        if (code != BN_CLICKED) return;
        SetOffsetText(dialog, IDC_WMPOS_VOFFSET, 0.0);
        SetOffsetText(dialog, IDC_WMPOS_HOFFSET, 0.0);
        CheckPosition(dialog, WM_POS_CENTER);
        break;
    case IDOK:
        OnOk(dialog, ctx);
        return;
    case IDCANCEL:
        EndDialog(dialog, 2);
        return;
    default:
        if (code != BN_CLICKED) return;
        break;
    }
    Refresh(dialog);
}

INT_PTR CALLBACK PositionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
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
        auto *change = reinterpret_cast<const NMUPDOWN *>(lParam);
        if (!change || change->hdr.code != UDN_DELTAPOS) return FALSE;
        if (change->hdr.idFrom == IDC_WMPOS_VSPIN) Step(dialog, ctx, kVerticalField, change->iDelta);
        if (change->hdr.idFrom == IDC_WMPOS_HSPIN) Step(dialog, ctx, kHorizontalField, change->iDelta);
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

}  // namespace

bool IsDecimalText(const wchar_t *text) {
    if (!text || !*text) return false;
    bool stop = false;
    for (const wchar_t *p = text; *p; ++p) {
        if (*p >= L'0' && *p <= L'9') continue;
        if (*p == L'.' && !stop) {
            stop = true;
            continue;
        }
        if (*p == L'-' && p == text) continue;
        return false;
    }
    return true;
}

bool OffsetWithinLimit(double value, bool millimetres) {
    double inches = millimetres ? value * kInchesPerMillimetre : value;
    return std::isfinite(inches) && inches >= -kOffsetLimitInches && inches <= kOffsetLimitInches;
}

bool CollectPlacement(HWND dialog, double *vertical, double *horizontal, uint8_t *units, uint32_t *position) {
    if (!dialog || !vertical || !horizontal || !units || !position) return false;
    return ReadPlacement(dialog, true, vertical, horizontal, units, position);
}

INT_PTR RunPositionDialog(HWND owner, PageContext *copy) {
    if (!copy) return 2;
    ActivationScope scope;
    INT_PTR result = DialogBoxParamW(UiModule(), MAKEINTRESOURCEW(IDD_WATERMARK_POSITION), owner, PositionProc,
                                     reinterpret_cast<LPARAM>(copy));
    return result == 1 ? 1 : 2;
}
