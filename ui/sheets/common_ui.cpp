#include "ui/sheets/common_ui.h"

#include <winspool.h>
#include <cstring>
#include <cwchar>

#include "platform/raii.h"
#include "resources/resource.h"
#include "settings/private_devmode.h"
#include "ui/frame/activation_context.h"
#include "ui/frame/module.h"
#include "ui/sheets/page_context.h"
#include "ui/sheets/page_help.h"
#include "ui/frame/plugin.h"
#include "ui/profiles/store.h"
#include "ui/printer/spooler_info.h"
#include "ui/frame/system_library.h"

namespace {

constexpr UINT kCompstuiBookletText = 64873;
constexpr int kPlacedControlId = 8000;
constexpr int kPlacedControlInset = 5;

// Capability switches of the printer description: they tell the plug-in what
// the printer can do and are never the user's to change.
const char *const kCapabilityKeywords[] = {"HasPrintandHold", "HasManualColorCorrection",
                                           "HasKeepPreviousPHJobs", "HasManualDuplex"};

const char *ItemKeyword(const OPTITEM &item) {
    auto *data = reinterpret_cast<const USERDATA *>(item.UserData);
    if (!data || data->dwSize < offsetof(USERDATA, pKeyWordName) + sizeof(data->pKeyWordName)) return nullptr;
    return data->pKeyWordName;
}

bool IsVisible(const OPTITEM &item) { return (item.Flags & OPTIF_HIDE) == 0; }

// The items are looked up afresh for every tree the driver shows, so that
// no pointer into an earlier sheet's tree survives.
void FindLayoutItems(UiPlugin *plugin, OPTITEM *items, DWORD count) {
    plugin->pageOrderItem = nullptr;
    plugin->pagesPerSheetItem = nullptr;
    if (!items) return;
    for (DWORD i = 0; i < count; ++i) {
        OPTITEM &item = items[i];
        if (!IsVisible(item)) continue;
        if (item.DMPubID == DMPUB_PAGEORDER) {
            plugin->pageOrderItem = &item;
        } else if (item.DMPubID == DMPUB_NUP) {
            plugin->pagesPerSheetItem = &item;
        } else if (!plugin->pageOrderItem) {
            const char *keyword = ItemKeyword(item);
            if (keyword && std::strcmp(keyword, "OutputOrder") == 0) plugin->pageOrderItem = &item;
        }
    }
}

PageContext *EnsureTreeContext(UiPlugin *plugin, const OEMCUIPPARAM *param) {
    if (plugin->pageContext) return plugin->pageContext;
    PageContext *ctx = AllocatePageContext(param->hOEMHeap);
    if (!ctx) return nullptr;
    ctx->heap = param->hOEMHeap;
    ctx->coreHelper = plugin->coreHelper;
    ctx->owner = plugin;
    ctx->readOnly = (param->dwFlags & DM_NOPERMISSION) ? 1 : 0;
    if (param->pOEMDM) ctx->initialWatermarkOrder = static_cast<const PrivateDevmode *>(param->pOEMDM)->watermarkOrder;
    plugin->pageContext = ctx;
    return ctx;
}

void AttachToDocumentTree(UiPlugin *plugin, OEMCUIPPARAM *param) {
    param->pOEMUserData = EnsureTreeContext(plugin, param);
    param->OEMCUIPCallback = DriverTreeCallback;
    FindLayoutItems(plugin, param->pDrvOptItems, param->cDrvOptItems);
}

bool IsCapabilityKeyword(const char *keyword) {
    for (const char *k : kCapabilityKeywords)
        if (lstrcmpiA(keyword, k) == 0) return true;
    return false;
}

void HideCapabilityItems(OEMCUIPPARAM *param) {
    if (!param->pDrvOptItems) return;
    for (DWORD i = 0; i < param->cDrvOptItems; ++i) {
        OPTITEM &item = param->pDrvOptItems[i];
        const char *keyword = ItemKeyword(item);
        if (keyword && IsCapabilityKeyword(keyword)) item.Flags |= OPTIF_HIDE;
    }
}

void ApplyLayoutToDevmode(const OEMCUIPPARAM *param) {
    auto *dm = static_cast<PrivateDevmode *>(param->pOEMDM);
    auto *ctx = static_cast<PageContext *>(param->pOEMUserData);
    if (!dm || !ctx || !ctx->owner) return;
    const OPTITEM *perSheet = ctx->owner->pagesPerSheetItem;
    const OPTITEM *order = ctx->owner->pageOrderItem;
    if (!perSheet || !order) return;
    // Booklets and back-to-front jobs reorder logical pages, so watermarks
    // must then come per logical page rather than per physical page.
    if (IsBookletSelection(param->hPrinter, perSheet, perSheet->Sel))
        dm->watermarkViaEscape = 1;
    else
        dm->watermarkViaEscape = order->Sel == 1 ? 1 : 0;
    ctx->changed = 1;
}

void PlaceCornerControl(HWND page) {
    HWND control = GetDlgItem(page, kPlacedControlId);
    if (!control) return;
    RECT client{}, rect{};
    if (!GetClientRect(page, &client) || !GetWindowRect(control, &rect)) return;
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    MoveWindow(control, client.right - kPlacedControlInset - width, client.bottom - kPlacedControlInset - height,
               width, height, TRUE);
}

void MarkItemsChanged(OPTITEM *items, DWORD count) {
    if (!items) return;
    for (DWORD i = 0; i < count; ++i) items[i].Flags |= OPTIF_CHANGED;
}

// The settings the driver's tree first shows a user become the profile that
// "Load Factory Defaults" returns to; it is written once and never again.
void SaveFactoryDefaultsOnce(PageContext *ctx, const OEMCUIPPARAM *param) {
    if (HasFactoryDefaultsProfile(param->hPrinter)) return;
    // The sheet fills the working copy before any page shows; should it not
    // have, the driver's record stands in, so the profile never holds an
    // empty record.
    if (ctx->work.header.dwSize != sizeof(PrivateDevmode))
        CopyDriverDevmodeToWork(static_cast<const PrivateDevmode *>(param->pOEMDM), &ctx->work);
    wchar_t name[kUiStringChars];
    LoadUiString(IDS_FACTORY_DEFAULTS, name, kUiStringChars);
    SaveProfile(ctx->driverItems, name, param->hPrinter, ctx);
}

void OnDriverPageActive(const CPSUICBPARAM *callback, OEMCUIPPARAM *param) {
    HWND page = callback->hDlg;
    ShowFrameContextHelp(page, true);
    if (auto *ctx = static_cast<PageContext *>(param->pOEMUserData)) {
        ctx->driverItems = param->pDrvOptItems;
        ctx->driverItemCount = param->cDrvOptItems;
        ctx->pluginItemCount = param->cOEMOptItems;
        SaveFactoryDefaultsOnce(ctx, param);
    }
    if (page) PlaceCornerControl(page);
    MarkItemsChanged(param->pDrvOptItems, param->cDrvOptItems);
    MarkItemsChanged(param->pOEMOptItems, param->cOEMOptItems);
}

bool ReadConfigFilePath(HANDLE printer, wchar_t *path, size_t chars) {
    unique_process_heap_ptr info;
    if (!ReadDriverInfo(printer, 2, &info)) return false;
    return CopyWholePath(static_cast<DRIVER_INFO_2W *>(info.get())->pConfigFile, path, chars);
}

}  // namespace

HRESULT HandleCommonUIProp(UiPlugin *plugin, DWORD dwMode, OEMCUIPPARAM *param) {
    if ((dwMode != OEMCUIP_DOCPROP && dwMode != OEMCUIP_PRNPROP) || !param) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    // The driver's first call only asks how many items the plug-in adds: none.
    if (!param->pOEMOptItems) {
        param->cOEMOptItems = 0;
        return S_OK;
    }
    if (dwMode == OEMCUIP_DOCPROP)
        AttachToDocumentTree(plugin, param);
    else
        HideCapabilityItems(param);
    return S_OK;
}

LONG APIENTRY DriverTreeCallback(PCPSUICBPARAM callback, OEMCUIPPARAM *param) {
    if (!callback || !param) return CPSUICB_ACTION_NONE;
    switch (callback->Reason) {
    case CPSUICB_REASON_APPLYNOW:
        ApplyLayoutToDevmode(param);
        return CPSUICB_ACTION_ITEMS_APPLIED;
    case CPSUICB_REASON_SETACTIVE:
        OnDriverPageActive(callback, param);
        return CPSUICB_ACTION_REINIT_ITEMS;
    default:
        return CPSUICB_ACTION_NONE;
    }
}

int BookletIndex(const OPTTYPE *type, HMODULE configModule, const wchar_t *reference) {
    // Two texts that failed to load are both empty; that is no match.
    if (!type || !type->pOptParam || !reference || !reference[0]) return kFallbackBookletIndex;
    wchar_t name[kUiStringChars];
    for (WORD i = 0; i < type->Count; ++i) {
        const wchar_t *option = type->pOptParam[i].pData;
        if (IS_INTRESOURCE(option)) {
            if (!configModule || LoadStringW(configModule, LOWORD(reinterpret_cast<ULONG_PTR>(option)), name,
                                             kUiStringChars) <= 0)
                continue;
            option = name;
        }
        if (option && std::wcscmp(option, reference) == 0) return i;
    }
    return kFallbackBookletIndex;
}

bool IsBookletSelection(HANDLE printer, const OPTITEM *pagesPerSheet, LONG selection) {
    if (!pagesPerSheet || !pagesPerSheet->pOptType) return false;
    const OPTTYPE *type = pagesPerSheet->pOptType;
    if (type->Type != TVOT_LISTBOX || !type->pOptParam) return false;
    int index = kFallbackBookletIndex;
    wchar_t configPath[MAX_PATH];
    ActivationScope scope;
    unique_hmodule compstui = LoadSystemLibrary(L"compstui.dll", LOAD_LIBRARY_AS_DATAFILE);
    if (compstui && ReadConfigFilePath(printer, configPath, MAX_PATH)) {
        unique_hmodule config(LoadLibraryExW(configPath, nullptr, LOAD_LIBRARY_AS_DATAFILE));
        wchar_t reference[kUiStringChars];
        if (config && LoadStringW(compstui.get(), kCompstuiBookletText, reference, kUiStringChars) > 0)
            index = BookletIndex(type, config.get(), reference);
    }
    return selection == index;
}
