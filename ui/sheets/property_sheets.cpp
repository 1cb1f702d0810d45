#include "ui/sheets/property_sheets.h"

#include <prsht.h>

#include "resources/resource.h"
#include "settings/private_devmode.h"
#include "ui/about/about_page.h"
#include "ui/frame/activation_context.h"
#include "ui/color/color_page.h"
#include "ui/sheets/feature_queries.h"
#include "ui/frame/module.h"
#include "ui/output/output_page.h"
#include "ui/sheets/page_context.h"
#include "ui/frame/plugin.h"
#include "ui/profiles/profiles_page.h"
#include "ui/watermark/watermark_page.h"

namespace {

struct PageRow {
    WORD dialogId;
    DLGPROC dialogProc;
    PageCondition condition;
};

// The pages in the order the sheet shows them. A page family joins the sheet
// with one row here; its condition decides per printer whether it appears.
const PageRow kDocumentPages[] = {
    {IDD_OUTPUT_OPTIONS_PAGE, OutputOptionsPageProc, PageCondition::FaxOrHold},
    {IDD_WATERMARK_PAGE, WatermarkPageProc, PageCondition::Always},
    {IDD_COLOR_PAGE, ColorPageProc, PageCondition::ManualColor},
    {IDD_PROFILES_PAGE, ProfilesPageProc, PageCondition::Always},
    {IDD_ABOUT_DOCUMENT, AboutPageProc, PageCondition::Always},
};

const PageRow kPrinterPages[] = {
    {IDD_ABOUT_PRINTER, AboutPageProc, PageCondition::Always},
};

static_assert(sizeof(void *) == 8 || sizeof(PROPSHEETPAGEW) == 52,
              "pages are described with the activation-context form of PROPSHEETPAGEW");

const wchar_t kSheetHeaderTitle[] = L"In-Box UI Page";

PROPSHEETPAGEW MakePageDescription(PageContext *ctx) {
    PROPSHEETPAGEW page{};
    page.dwSize = sizeof(page);
    page.dwFlags = PSP_HASHELP;
    HANDLE actCtx = UiActivationContext();
    if (actCtx != INVALID_HANDLE_VALUE) {
        page.dwFlags |= PSP_USEFUSIONCONTEXT;
        page.hActCtx = actCtx;
    }
    page.hInstance = UiModule();
    page.lParam = reinterpret_cast<LPARAM>(ctx);
    return page;
}

template <size_t N>
LONG_PTR RegisterPages(const PageRow (&rows)[N], PageContext *ctx, const PROPSHEETUI_INFO *info,
                       IPrintCoreUI2 *helper, POEMUIOBJ poemuiobj) {
    if (!info->pfnComPropSheet) return 0;
    PROPSHEETPAGEW page = MakePageDescription(ctx);
    LONG_PTR result = 0;
    for (const PageRow &row : rows) {
        if (!PageConditionHolds(row.condition, helper, poemuiobj)) continue;
        page.pszTemplate = MAKEINTRESOURCEW(row.dialogId);
        page.pfnDlgProc = row.dialogProc;
        result = info->pfnComPropSheet(info->hComPropSheet, CPSFUNC_ADD_PROPSHEETPAGEW,
                                       reinterpret_cast<LPARAM>(&page), 0);
    }
    return result;
}

void FillSheetFields(PageContext *ctx, UiPlugin *plugin, const PROPSHEETUI_INFO *info, OEMUIPSPARAM *params) {
    ctx->hComPropSheet = info->hComPropSheet;
    ctx->pfnComPropSheet = info->pfnComPropSheet;
    ctx->params = params;
    ctx->coreHelper = plugin->coreHelper;
    ctx->owner = plugin;
    if (!ctx->helpFilePath) AttachHelpFilePath(ctx, params->hPrinter);
}

PageContext *DocumentContext(UiPlugin *plugin, OEMUIPSPARAM *params) {
    if (plugin->pageContext) return plugin->pageContext;
    PageContext *ctx = AllocatePageContext(params->hOEMHeap);
    if (!ctx) return nullptr;
    ctx->heap = params->hOEMHeap;
    plugin->pageContext = ctx;
    return ctx;
}

void InitDocumentSheet(UiPlugin *plugin, PROPSHEETUI_INFO *info) {
    auto *params = reinterpret_cast<OEMUIPSPARAM *>(info->lParamInit);
    if (!params) {
        info->Result = 1;
        return;
    }
    PageContext *ctx = DocumentContext(plugin, params);
    if (ctx) {
        FillSheetFields(ctx, plugin, info, params);
        auto *driverDm = static_cast<const PrivateDevmode *>(params->pOEMDM);
        ctx->readOnly = (params->dwFlags & DM_NOPERMISSION) ? 1 : 0;
        if (driverDm) ctx->initialWatermarkOrder = driverDm->watermarkOrder;
        CopyDriverDevmodeToWork(driverDm, &ctx->work);
    }
    info->UserData = reinterpret_cast<ULONG_PTR>(ctx);
    info->Result = RegisterPages(kDocumentPages, ctx, info, plugin->coreHelper, params->poemuiobj);
}

void DestroyDocumentSheet(UiPlugin *plugin, PROPSHEETUI_INFO *info) {
    auto *ctx = reinterpret_cast<PageContext *>(info->UserData);
    info->Result = 1;
    if (!ctx) return;
    if (plugin->pageContext == ctx) {
        plugin->pageContext = nullptr;
        // The driver's tree goes with its sheet.
        plugin->pageOrderItem = nullptr;
        plugin->pagesPerSheetItem = nullptr;
    }
    bool changed = ctx->changed == 1;
    HANDLE sheet = ctx->hComPropSheet;
    PFNCOMPROPSHEET sheetFunction = ctx->pfnComPropSheet;
    FreePageContext(ctx);
    info->UserData = 0;
    if (changed && sheetFunction) info->Result = sheetFunction(sheet, CPSFUNC_SET_RESULT, 0, CPSUI_OK);
}

void InitPrinterSheet(UiPlugin *plugin, PROPSHEETUI_INFO *info) {
    auto *params = reinterpret_cast<OEMUIPSPARAM *>(info->lParamInit);
    if (!params) {
        info->Result = 1;
        return;
    }
    PageContext *ctx = AllocatePageContext(params->hOEMHeap);
    if (ctx) {
        ctx->heap = params->hOEMHeap;
        FillSheetFields(ctx, plugin, info, params);
    }
    info->UserData = reinterpret_cast<ULONG_PTR>(ctx);
    info->Result = RegisterPages(kPrinterPages, ctx, info, plugin->coreHelper, params->poemuiobj);
}

void DestroyPrinterSheet(PROPSHEETUI_INFO *info) {
    FreePageContext(reinterpret_cast<PageContext *>(info->UserData));
    info->UserData = 0;
    info->Result = 1;
}

bool IsValidSheetInfo(const PROPSHEETUI_INFO *info) {
    if (info && info->Version == PROPSHEETUI_INFO_VERSION) return true;
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
}

// Reasons both sheets answer alike; false for INIT and DESTROY.
bool HandleCommonReason(PROPSHEETUI_INFO *info, LPARAM lParam) {
    switch (info->Reason) {
    case PROPSHEETUI_REASON_GET_INFO_HEADER:
        if (auto *header = reinterpret_cast<PROPSHEETUI_INFO_HEADER *>(lParam))
            header->pTitle = const_cast<wchar_t *>(kSheetHeaderTitle);
        info->Result = 1;
        return true;
    case PROPSHEETUI_REASON_SET_RESULT:
        if (auto *setResult = reinterpret_cast<const SETRESULT_INFO *>(lParam)) info->Result = setResult->Result;
        return true;
    case PROPSHEETUI_REASON_GET_ICON:
        info->Result = 0;
        return true;
    case PROPSHEETUI_REASON_INIT:
    case PROPSHEETUI_REASON_DESTROY:
        return false;
    default:
        return true;  // nothing to answer
    }
}

}  // namespace

bool PageConditionHolds(PageCondition condition, IPrintCoreUI2 *helper, POEMUIOBJ poemuiobj) {
    switch (condition) {
    case PageCondition::Always:
        return true;
    case PageCondition::FaxOrHold:
        return FeatureSettingIsTrue(helper, poemuiobj, "FaxCard") || FeatureExists(helper, poemuiobj, "HasPrintandHold");
    case PageCondition::ManualColor:
        return FeatureExists(helper, poemuiobj, "HasManualColorCorrection");
    }
    return false;
}

HRESULT HandleDocumentSheet(UiPlugin *plugin, PPROPSHEETUI_INFO info, LPARAM lParam) {
    if (!IsValidSheetInfo(info)) return E_FAIL;
    if (HandleCommonReason(info, lParam)) return S_OK;
    if (info->Reason == PROPSHEETUI_REASON_INIT)
        InitDocumentSheet(plugin, info);
    else
        DestroyDocumentSheet(plugin, info);
    return S_OK;
}

HRESULT HandlePrinterSheet(UiPlugin *plugin, PPROPSHEETUI_INFO info, LPARAM lParam) {
    if (!IsValidSheetInfo(info)) return E_FAIL;
    if (HandleCommonReason(info, lParam)) return S_OK;
    if (info->Reason == PROPSHEETUI_REASON_INIT)
        InitPrinterSheet(plugin, info);
    else
        DestroyPrinterSheet(info);
    return S_OK;
}
