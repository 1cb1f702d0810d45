#include "ui/color/color_page.h"

#include <prsht.h>

#include "resources/resource.h"
#include "ui/frame/activation_context.h"
#include "ui/color/color_dialogs.h"
#include "ui/color/color_lists.h"
#include "ui/frame/module.h"
#include "ui/sheets/page_context.h"
#include "ui/sheets/page_controls.h"
#include "ui/sheets/page_help.h"

namespace {

PageContext *ContextOf(HWND page) { return reinterpret_cast<PageContext *>(GetWindowLongPtrW(page, GWLP_USERDATA)); }

HWND Combo(HWND page, int id) { return GetDlgItem(page, id); }

// The page fills itself only for a sheet the driver opened on a printer.
bool CanFill(const PageContext *ctx) { return ctx && ctx->params && ctx->params->hPrinter && ctx->params->hOEMHeap; }

bool CanAct(const PageContext *ctx) { return ctx && ctx->params && ctx->params->pPublicDM && ctx->coreHelper; }

void ApplyCorrectionRule(HWND page, uint32_t correction) {
    EnableWindow(GetDlgItem(page, IDC_COLOR_CONFIGURE_CORRECTION), correction == kCorrectionManual);
}

void ApplyBalanceRule(HWND page, uint32_t balanceEnabled) {
    EnableWindow(GetDlgItem(page, IDC_COLOR_CONFIGURE_BALANCE), balanceEnabled == kBalanceManual);
}

void OnInitDialog(HWND page, const PROPSHEETPAGEW *description) {
    auto *ctx = description ? reinterpret_cast<PageContext *>(description->lParam) : nullptr;
    SetWindowLongPtrW(page, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ctx));
    if (!CanFill(ctx)) return;
    const ColorSettings &color = ctx->work.color;
    FillColorCombo(page, IDC_COLOR_CORRECTION_MODE, kCorrectionChoices);
    SelectColorValue(Combo(page, IDC_COLOR_CORRECTION_MODE), color.correction);
    ApplyCorrectionRule(page, color.correction);
    ctx->colorWork = color;
    FillColorCombo(page, IDC_COLOR_TONER_SAVING, kTonerSavingChoices);
    SelectColorValue(Combo(page, IDC_COLOR_TONER_SAVING), color.colorThrift);
    FillColorCombo(page, IDC_COLOR_BALANCE_MODE, kBalanceChoices);
    SelectColorValue(Combo(page, IDC_COLOR_BALANCE_MODE), color.balanceEnabled);
    ApplyBalanceRule(page, color.balanceEnabled);
    if (ctx->readOnly == 1) DisableAllControls(page);
}

// The lists keep their entries; only the selections follow work.color.
void Refresh(HWND page, PageContext *ctx) {
    const ColorSettings &color = ctx->work.color;
    SelectColorValue(Combo(page, IDC_COLOR_CORRECTION_MODE), color.correction);
    ApplyCorrectionRule(page, color.correction);
    ctx->colorWork = color;
    SelectColorValue(Combo(page, IDC_COLOR_TONER_SAVING), color.colorThrift);
    SelectColorValue(Combo(page, IDC_COLOR_BALANCE_MODE), color.balanceEnabled);
    ApplyBalanceRule(page, color.balanceEnabled);
}

void MarkChanged(HWND page) { SendMessageW(GetParent(page), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0); }

INT_PTR RunDialog(HWND page, WORD templateId, DLGPROC proc, PageContext *ctx) {
    ActivationScope scope;
    return DialogBoxParamW(UiModule(), MAKEINTRESOURCEW(templateId), page, proc, reinterpret_cast<LPARAM>(ctx));
}

BOOL OnCommand(HWND page, int id, int code) {
    PageContext *ctx = ContextOf(page);
    if (!CanAct(ctx)) return FALSE;
    switch (code) {
    case CBN_SELCHANGE:
        if (id == IDC_COLOR_CORRECTION_MODE)
            ApplyCorrectionRule(page, ReadColorValue(Combo(page, id)));
        else if (id == IDC_COLOR_BALANCE_MODE)
            ApplyBalanceRule(page, ReadColorValue(Combo(page, id)));
        MarkChanged(page);
        return TRUE;
    case BN_CLICKED: {
        INT_PTR result = IDOK;
        if (id == IDC_COLOR_CONFIGURE_CORRECTION)
            result = RunDialog(page, IDD_COLOR_CORRECTION, CorrectionDialogProc, ctx);
        else if (id == IDC_COLOR_CONFIGURE_BALANCE)
            result = RunDialog(page, IDD_COLOR_BALANCE, BalanceDialogProc, ctx);
        // Cancelled, or never shown: nothing changed.
        if (result == IDOK) MarkChanged(page);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

void OnNotify(HWND page, const NMHDR *header) {
    PageContext *ctx = ContextOf(page);
    if (!header || !CanAct(ctx)) return;
    switch (header->code) {
    case PSN_SETACTIVE:
        Refresh(page, ctx);
        if (ctx->readOnly == 1) DisableAllControls(page);
        // The page has no context help of its own.
        ShowFrameContextHelp(page, false);
        break;
    case PSN_KILLACTIVE:
        StoreColorPage(page, ctx->colorWork, &ctx->work.color);
        break;
    case PSN_APPLY:
        if (auto *driverDm = static_cast<PrivateDevmode *>(ctx->params->pOEMDM))
            StoreColorPage(page, ctx->colorWork, &driverDm->color);
        break;
    case PSN_HELP:
        ShowPageHelp(page, ctx->helpFilePath);
        break;
    default:
        break;
    }
}

uint32_t Listed(const ColorChoiceList &list, uint32_t value) { return IsColorChoice(list, value) ? value : 0; }

}  // namespace

void StoreColorPage(HWND page, const ColorSettings &colorWork, ColorSettings *target) {
    if (!page || !target) return;
    StoreColorValue(Combo(page, IDC_COLOR_CORRECTION_MODE), &target->correction);
    if (target->correction == kCorrectionManual) {
        target->rgbImage = Listed(kRgbChoices, colorWork.rgbImage);
        target->rgbText = Listed(kRgbChoices, colorWork.rgbText);
        target->rgbGraphics = Listed(kRgbChoices, colorWork.rgbGraphics);
        target->cmykImage = Listed(kCmykChoices, colorWork.cmykImage);
        target->cmykText = Listed(kCmykChoices, colorWork.cmykText);
        target->cmykGraphics = Listed(kCmykChoices, colorWork.cmykGraphics);
    }
    StoreColorValue(Combo(page, IDC_COLOR_BALANCE_MODE), &target->balanceEnabled);
    if (target->balanceEnabled == kBalanceManual) {
        target->balanceCyan = ClampBalance(colorWork.balanceCyan);
        target->balanceMagenta = ClampBalance(colorWork.balanceMagenta);
        target->balanceYellow = ClampBalance(colorWork.balanceYellow);
        target->balanceBlack = ClampBalance(colorWork.balanceBlack);
    }
    StoreColorValue(Combo(page, IDC_COLOR_TONER_SAVING), &target->colorThrift);
}

INT_PTR CALLBACK ColorPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(page, reinterpret_cast<const PROPSHEETPAGEW *>(lParam));
        return TRUE;
    case WM_COMMAND:
        return OnCommand(page, LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY:
        OnNotify(page, reinterpret_cast<const NMHDR *>(lParam));
        return FALSE;
    default:
        return FALSE;
    }
}
