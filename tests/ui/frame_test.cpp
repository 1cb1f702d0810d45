// uiplug.dll as the driver sees it: class factory, slot order, information
// and devmode calls, the helper interface, the hooks into the driver's option
// tree and the printer and driver events.
#include <cstring>
#include <vector>

#include "resources/resource.h"
#include "tests/host/ui_host.h"
#include "tests/host/ui_sheet_host.h"
#include "tests/ui/ui_fixtures.h"
#include "ui/sheets/common_ui.h"
#include "ui/sheets/feature_queries.h"
#include "ui/sheets/page_context.h"
#include "ui/sheets/page_help.h"
#include "ui/printer/printer_events.h"
#include "ui/sheets/property_sheets.h"
#include "ui/watermark/store.h"

using namespace uitest;
using testbed::UiPluginHost;

namespace {

class NoHelper final : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void **ppv) override {
        ++queries;
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    int queries = 0;
};

void CreateHost(UiPluginHost *host) {
    std::wstring error;
    ASSERT_TRUE(host->Create(&error)) << Narrow(error);
}

TEST(UiModule, ServesOneClassAndCountsObjectsAndLocks) {
    auto getClassObject = testbed::UiPlugGetClassObject();
    auto canUnloadNow = testbed::UiPlugCanUnloadNow();
    ASSERT_TRUE(getClassObject && canUnloadNow);
    void *object = reinterpret_cast<void *>(1);
    EXPECT_EQ(getClassObject(CLSID_OEMRENDER, IID_IClassFactory, &object), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(object, nullptr);

    IClassFactory *factory = nullptr;
    ASSERT_EQ(getClassObject(CLSID_OEMUI, IID_IClassFactory, reinterpret_cast<void **>(&factory)), S_OK);
    void *other = reinterpret_cast<void *>(1);
    EXPECT_EQ(factory->QueryInterface(IID_IPrintOemUI2, &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(canUnloadNow(), S_OK);

    NoHelper outer;
    IPrintOemUI2 *plugin = nullptr;
    EXPECT_EQ(factory->CreateInstance(&outer, IID_IPrintOemUI2,
                                      reinterpret_cast<void **>(&plugin)),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPrintOemPS2, reinterpret_cast<void **>(&plugin)), E_NOINTERFACE);
    EXPECT_EQ(canUnloadNow(), S_OK) << "a refused instance must not stay counted";

    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IPrintOemUI2, reinterpret_cast<void **>(&plugin)), S_OK);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    EXPECT_EQ(plugin->Release(), 0u);
    EXPECT_EQ(canUnloadNow(), S_OK);

    factory->LockServer(TRUE);
    EXPECT_EQ(canUnloadNow(), S_FALSE);
    factory->LockServer(FALSE);
    EXPECT_EQ(canUnloadNow(), S_OK);
    EXPECT_EQ(factory->Release(), 0u);
}

// The driver calls by slot number; each slot is called through the raw
// interface table and recognised by what only that method does.
TEST(UiPlugin, AnswersEachMethodInItsSlot) {
    UiPluginHost host;
    CreateHost(&host);
    IPrintOemUI2 *p = host.plugin;
    void **slots = *reinterpret_cast<void ***>(p);
    auto slot = [&](int i) { return slots[i]; };

    using QiFn = HRESULT(STDMETHODCALLTYPE *)(IPrintOemUI2 *, REFIID, void **);
    using CountFn = ULONG(STDMETHODCALLTYPE *)(IPrintOemUI2 *);
    using GetInfoFn = HRESULT(STDMETHODCALLTYPE *)(IPrintOemUI2 *, DWORD, PVOID, DWORD, PDWORD);
    using DevModeFn = HRESULT(STDMETHODCALLTYPE *)(IPrintOemUI2 *, DWORD, OEMDMPARAM *);
    using PublishFn = HRESULT(STDMETHODCALLTYPE *)(IPrintOemUI2 *, IUnknown *);
    using CommonFn = HRESULT(STDMETHODCALLTYPE *)(IPrintOemUI2 *, DWORD, OEMCUIPPARAM *);
    using SheetFn = HRESULT(STDMETHODCALLTYPE *)(IPrintOemUI2 *, PPROPSHEETUI_INFO, LPARAM);
    using PrinterEventFn = HRESULT(STDMETHODCALLTYPE *)(IPrintOemUI2 *, PWSTR, INT, DWORD, LPARAM);
    using DriverEventFn = HRESULT(STDMETHODCALLTYPE *)(IPrintOemUI2 *, DWORD, DWORD, LPBYTE, LPARAM);
    using HideFn = HRESULT(STDMETHODCALLTYPE *)(IPrintOemUI2 *, DWORD);
    using DocEventFn = HRESULT(STDMETHODCALLTYPE *)(IPrintOemUI2 *, HANDLE, HDC, INT, ULONG, PVOID, ULONG, PVOID,
                                                    PINT);

    void *same = nullptr;
    EXPECT_EQ(reinterpret_cast<QiFn>(slot(0))(p, IID_IPrintOemUI2, &same), S_OK);
    EXPECT_EQ(same, p);
    EXPECT_EQ(reinterpret_cast<CountFn>(slot(1))(p), 3u);
    EXPECT_EQ(reinterpret_cast<CountFn>(slot(2))(p), 2u);
    reinterpret_cast<CountFn>(slot(2))(p);

    DWORD signature = 0, needed = 0;
    EXPECT_EQ(reinterpret_cast<GetInfoFn>(slot(3))(p, OEMGI_GETSIGNATURE, &signature, 4, &needed), S_OK);
    EXPECT_EQ(std::memcmp(&signature, "VGNP", 4), 0);
    OEMDMPARAM dm{};
    dm.cbSize = sizeof(dm);
    EXPECT_EQ(reinterpret_cast<DevModeFn>(slot(4))(p, OEMDM_SIZE, &dm), S_OK);
    EXPECT_EQ(dm.cbBufSize, sizeof(PrivateDevmode));
    EXPECT_EQ(reinterpret_cast<PublishFn>(slot(5))(p, &host.core), S_OK);
    EXPECT_EQ(host.core.coreQueries, 1);
    EXPECT_EQ(reinterpret_cast<CommonFn>(slot(6))(p, 3, nullptr), E_FAIL);

    // Slots 7 and 8 differ in the page they register.
    OEMUIPSPARAM param = host.SheetParam(nullptr);
    testbed::SheetHost documentSheet, printerSheet;
    EXPECT_EQ(reinterpret_cast<SheetFn>(slot(7))(p, &documentSheet.Info(PROPSHEETUI_REASON_INIT,
                                                                         reinterpret_cast<LPARAM>(&param)), 0),
              S_OK);
    EXPECT_EQ(reinterpret_cast<SheetFn>(slot(8))(p, &printerSheet.Info(PROPSHEETUI_REASON_INIT,
                                                                        reinterpret_cast<LPARAM>(&param)), 0),
              S_OK);
    ASSERT_EQ(documentSheet.pages.size(), 3u);
    ASSERT_EQ(printerSheet.pages.size(), 1u);
    EXPECT_EQ(documentSheet.pages.back().pszTemplate, MAKEINTRESOURCEW(IDD_ABOUT_DOCUMENT));
    EXPECT_EQ(printerSheet.pages[0].pszTemplate, MAKEINTRESOURCEW(IDD_ABOUT_PRINTER));
    p->DocumentPropertySheets(&documentSheet.Info(PROPSHEETUI_REASON_DESTROY), 0);
    p->DevicePropertySheets(&printerSheet.Info(PROPSHEETUI_REASON_DESTROY), 0);

    // The methods the plug-in leaves to the driver, each called with its own signature.
    using DevQueryFn = HRESULT(STDMETHODCALLTYPE *)(IPrintOemUI2 *, POEMUIOBJ, PVOID, PDEVMODEW, PVOID);
    using CapsFn = HRESULT(STDMETHODCALLTYPE *)(IPrintOemUI2 *, POEMUIOBJ, HANDLE, PWSTR, WORD, PVOID, PDEVMODEW,
                                                PVOID, DWORD, DWORD *);
    using UpgradeFn = HRESULT(STDMETHODCALLTYPE *)(IPrintOemUI2 *, DWORD, PBYTE);
    using ProfileFn = HRESULT(STDMETHODCALLTYPE *)(IPrintOemUI2 *, HANDLE, POEMUIOBJ, PDEVMODEW, PVOID, ULONG,
                                                   VOID *, ULONG *, FLONG *);
    using FontDlgFn = HRESULT(STDMETHODCALLTYPE *)(IPrintOemUI2 *, HWND, UINT, WPARAM, LPARAM);
    using FontsFn = HRESULT(STDMETHODCALLTYPE *)(IPrintOemUI2 *, HANDLE, HANDLE, PWSTR);
    using JobFn = HRESULT(STDMETHODCALLTYPE *)(IPrintOemUI2 *, HANDLE, PDEVMODEW, DWORD, LPBYTE);
    EXPECT_EQ(reinterpret_cast<DevQueryFn>(slot(9))(p, nullptr, nullptr, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(reinterpret_cast<CapsFn>(slot(10))(p, nullptr, nullptr, nullptr, 0, nullptr, nullptr, nullptr, 0,
                                                 nullptr),
              E_NOTIMPL);
    EXPECT_EQ(reinterpret_cast<UpgradeFn>(slot(11))(p, 1, nullptr), E_NOTIMPL);
    EXPECT_EQ(reinterpret_cast<ProfileFn>(slot(14))(p, nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr,
                                                    nullptr),
              E_NOTIMPL);
    EXPECT_EQ(reinterpret_cast<FontDlgFn>(slot(15))(p, nullptr, 0, 0, 0), E_NOTIMPL);
    EXPECT_EQ(reinterpret_cast<FontsFn>(slot(16))(p, nullptr, nullptr, nullptr), E_NOTIMPL);
    EXPECT_EQ(reinterpret_cast<JobFn>(slot(17))(p, nullptr, nullptr, 1, nullptr), E_NOTIMPL);
    EXPECT_EQ(reinterpret_cast<PrinterEventFn>(slot(12))(p, nullptr, PRINTER_EVENT_DELETE, 0, 0), S_OK);
    EXPECT_EQ(reinterpret_cast<PrinterEventFn>(slot(12))(p, const_cast<wchar_t *>(L"No Such Printer"),
                                                          PRINTER_EVENT_INITIALIZE, 0, 0),
              E_FAIL);
    EXPECT_EQ(reinterpret_cast<DriverEventFn>(slot(13))(p, DRIVER_EVENT_INITIALIZE, 4, nullptr, 0), S_OK);
    EXPECT_EQ(reinterpret_cast<HideFn>(slot(18))(p, 0), E_NOTIMPL);
    INT result = 7;
    auto documentEvent = reinterpret_cast<DocEventFn>(slot(19));
    EXPECT_EQ(documentEvent(p, nullptr, nullptr, DOCUMENTEVENT_STARTPAGE, 0, nullptr, 0, nullptr, nullptr), E_FAIL);
    EXPECT_EQ(documentEvent(p, nullptr, nullptr, DOCUMENTEVENT_STARTPAGE, 0, nullptr, 0, nullptr, &result), S_OK);
    // A page start succeeds even where no renderer answers.
    EXPECT_EQ(result, DOCUMENTEVENT_SUCCESS);
}

TEST(UiPlugin, GetInfoAnnouncesPublisherInfoButHasNone) {
    UiPluginHost host;
    CreateHost(&host);
    DWORD buffer = 0, needed = 0;
    EXPECT_EQ(host.plugin->GetInfo(OEMGI_GETPUBLISHERINFO, nullptr, 0, &needed), E_FAIL);
    EXPECT_EQ(needed, 4u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(host.plugin->GetInfo(OEMGI_GETPUBLISHERINFO, &buffer, sizeof(buffer), &needed), E_FAIL);
    EXPECT_EQ(needed, 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(host.plugin->GetInfo(OEMGI_GETVERSION, &buffer, sizeof(buffer), &needed), S_OK);
    EXPECT_EQ(buffer, 10u);
}


TEST(UiPlugin, TakesTheHelperOnceAndReleasesItWithItself) {
    NoHelper none;
    {
        UiPluginHost host;
        CreateHost(&host);
        EXPECT_EQ(host.plugin->PublishDriverInterface(&none), E_FAIL);
        EXPECT_EQ(host.Publish(), S_OK);
        EXPECT_EQ(host.core.references, 2);
        // Later publications (other interfaces of the driver) are not queried.
        EXPECT_EQ(host.Publish(), S_OK);
        EXPECT_EQ(host.plugin->PublishDriverInterface(&none), S_OK);
        EXPECT_EQ(host.core.coreQueries, 1);
        EXPECT_EQ(none.queries, 1);
        EXPECT_EQ(host.plugin->Release(), 0u);
        host.plugin = nullptr;
        EXPECT_EQ(host.core.references, 1);
    }
}

TEST(FeatureQueries, ReadInstalledOptionsAndDefinedFeatures) {
    testbed::FakeCoreUI core;
    testbed::HostUiObject object;
    testbed::InitHostUiObject(&object, &core);
    POEMUIOBJ obj = &object.object;
    core.settings["FaxCard"] = "true";
    core.settings["Duplexer"] = "False";
    core.settings["Empty"] = "";
    core.features["HasPrintandHold"] = {"True"};
    EXPECT_TRUE(FeatureSettingIsTrue(&core, obj, "FaxCard"));
    core.settings["FaxCard"] = "TRUE";
    EXPECT_TRUE(FeatureSettingIsTrue(&core, obj, "FaxCard"));
    EXPECT_FALSE(FeatureSettingIsTrue(&core, obj, "Duplexer"));
    EXPECT_FALSE(FeatureSettingIsTrue(&core, obj, "Empty"));
    EXPECT_FALSE(FeatureSettingIsTrue(&core, obj, "Missing"));
    EXPECT_FALSE(FeatureSettingIsTrue(nullptr, obj, "FaxCard"));
    EXPECT_FALSE(FeatureSettingIsTrue(&core, nullptr, "FaxCard"));
    EXPECT_FALSE(FeatureSettingIsTrue(&core, obj, nullptr));

    EXPECT_TRUE(FeatureExists(&core, obj, "HasPrintandHold"));
    EXPECT_FALSE(FeatureExists(&core, obj, "HasManualColorCorrection"));
    EXPECT_FALSE(FeatureExists(nullptr, obj, "HasPrintandHold"));

    // Conditions of the pages that depend on the printer.
    EXPECT_TRUE(PageConditionHolds(PageCondition::FaxOrHold, &core, obj));
    core.settings.erase("FaxCard");
    EXPECT_TRUE(PageConditionHolds(PageCondition::FaxOrHold, &core, obj));
    core.features.clear();
    EXPECT_FALSE(PageConditionHolds(PageCondition::FaxOrHold, &core, obj));
    core.settings["FaxCard"] = "True";
    EXPECT_TRUE(PageConditionHolds(PageCondition::FaxOrHold, &core, obj));
    EXPECT_FALSE(PageConditionHolds(PageCondition::ManualColor, &core, obj));
    core.features["HasManualColorCorrection"] = {"True", "False"};
    EXPECT_TRUE(PageConditionHolds(PageCondition::ManualColor, &core, obj));
    EXPECT_FALSE(PageConditionHolds(PageCondition::ManualColor, nullptr, obj));
}

// The driver's document tree: page order, pages per sheet and the rest.
struct DriverTree {
    USERDATA orderData{sizeof(USERDATA), 0, const_cast<char *>("OutputOrder"), {}};
    USERDATA holdData{sizeof(USERDATA), 0, const_cast<char *>("hasprintandhold"), {}};
    USERDATA colorData{sizeof(USERDATA), 0, const_cast<char *>("HasManualColorCorrection"), {}};
    OPTPARAM perSheetOptions[7]{};
    OPTTYPE perSheetType{};
    OPTITEM items[5]{};

    DriverTree() {
        for (auto &o : perSheetOptions) o.cbSize = sizeof(OPTPARAM);
        perSheetType.cbSize = sizeof(OPTTYPE);
        perSheetType.Type = TVOT_LISTBOX;
        perSheetType.Count = 7;
        perSheetType.pOptParam = perSheetOptions;
        for (auto &i : items) i.cbSize = sizeof(OPTITEM);
        items[0].DMPubID = DMPUB_ORIENTATION;
        items[1].DMPubID = DMPUB_NUP;
        items[1].pOptType = &perSheetType;
        items[2].DMPubID = DMPUB_PAGEORDER;
        items[3].UserData = reinterpret_cast<ULONG_PTR>(&holdData);
        items[4].UserData = reinterpret_cast<ULONG_PTR>(&colorData);
    }
    OPTITEM &perSheet() { return items[1]; }
    OPTITEM &order() { return items[2]; }
};

class DriverTreeHooks : public ::testing::Test {
protected:
    void SetUp() override {
        printer_ = OpenFramePrinter();
        CreateHost(&host_);
        ASSERT_EQ(host_.Publish(), S_OK);
        ASSERT_TRUE(host_.BuildDevmodes(printer_.get()));
    }
    // The driver's second call, with the plug-in's (empty) item array.
    OEMCUIPPARAM Attach(DWORD mode) {
        OEMCUIPPARAM p = host_.TreeParam(printer_.get(), tree_.items, 5);
        p.pOEMOptItems = &pluginItem_;
        EXPECT_EQ(host_.plugin->CommonUIProp(mode, &p), S_OK);
        return p;
    }
    LONG Callback(OEMCUIPPARAM &p, WORD reason, HWND page = nullptr) {
        CPSUICBPARAM cb{};
        cb.cbSize = sizeof(cb);
        cb.Reason = reason;
        cb.hDlg = page;
        return p.OEMCUIPCallback(&cb, &p);
    }

    unique_hprinter printer_;
    UiPluginHost host_;
    DriverTree tree_;
    OPTITEM pluginItem_{};
};

TEST_F(DriverTreeHooks, FirstCallOnlyAnswersTheItemCount) {
    OEMCUIPPARAM p = host_.TreeParam(printer_.get(), tree_.items, 5);
    p.cOEMOptItems = 99;
    EXPECT_EQ(host_.plugin->CommonUIProp(OEMCUIP_DOCPROP, &p), S_OK);
    EXPECT_EQ(p.cOEMOptItems, 0u);
    EXPECT_EQ(p.pOEMUserData, nullptr);
    EXPECT_EQ(p.OEMCUIPCallback, nullptr);
    EXPECT_EQ(host_.plugin->CommonUIProp(OEMCUIP_PRNPROP, &p), S_OK);
    for (auto &item : tree_.items) EXPECT_EQ(item.Flags, 0u);

    SetLastError(0);
    EXPECT_EQ(host_.plugin->CommonUIProp(0, &p), E_FAIL);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(DriverTreeHooks, PrinterTreeHidesTheCapabilitySwitches) {
    Attach(OEMCUIP_PRNPROP);
    EXPECT_EQ(tree_.items[3].Flags & OPTIF_HIDE, static_cast<DWORD>(OPTIF_HIDE)) << "keyword in other letter case";
    EXPECT_EQ(tree_.items[4].Flags & OPTIF_HIDE, static_cast<DWORD>(OPTIF_HIDE));
    for (int i : {0, 1, 2}) EXPECT_EQ(tree_.items[i].Flags, 0u);
}

TEST_F(DriverTreeHooks, ApplySetsWatermarksPerLogicalPageForBackToFrontAndBooklet) {
    OEMCUIPPARAM p = Attach(OEMCUIP_DOCPROP);
    auto *ctx = static_cast<PageContext *>(p.pOEMUserData);
    ASSERT_NE(ctx, nullptr);
    ASSERT_NE(p.OEMCUIPCallback, nullptr);
    EXPECT_EQ(ctx->coreHelper, &host_.core);
    PrivateDevmode *dm = host_.privateDevmode;

    tree_.order().Sel = 1;  // back to front
    tree_.perSheet().Sel = 0;
    EXPECT_EQ(Callback(p, CPSUICB_REASON_APPLYNOW), CPSUICB_ACTION_ITEMS_APPLIED);
    EXPECT_EQ(dm->watermarkViaEscape, 1u);
    EXPECT_EQ(ctx->changed, 1u);

    tree_.order().Sel = 0;
    Callback(p, CPSUICB_REASON_APPLYNOW);
    EXPECT_EQ(dm->watermarkViaEscape, 0u);

    // Neither module names a booklet option here, so the seventh one is it.
    tree_.perSheet().Sel = kFallbackBookletIndex;
    Callback(p, CPSUICB_REASON_APPLYNOW);
    EXPECT_EQ(dm->watermarkViaEscape, 1u);

    // Without a visible page-order item the field is left alone.
    tree_.order().Flags = OPTIF_HIDE;
    Attach(OEMCUIP_DOCPROP);
    dm->watermarkViaEscape = 7;
    EXPECT_EQ(Callback(p, CPSUICB_REASON_APPLYNOW), CPSUICB_ACTION_ITEMS_APPLIED);
    EXPECT_EQ(dm->watermarkViaEscape, 7u);

    // ... unless the "OutputOrder" feature stands in for it.
    tree_.items[0].UserData = reinterpret_cast<ULONG_PTR>(&tree_.orderData);
    tree_.items[0].Sel = 1;
    tree_.perSheet().Sel = 0;
    Attach(OEMCUIP_DOCPROP);
    Callback(p, CPSUICB_REASON_APPLYNOW);
    EXPECT_EQ(dm->watermarkViaEscape, 1u);

    EXPECT_EQ(Callback(p, CPSUICB_REASON_SEL_CHANGED), CPSUICB_ACTION_NONE);
    EXPECT_EQ(p.OEMCUIPCallback(nullptr, &p), CPSUICB_ACTION_NONE);
}

TEST_F(DriverTreeHooks, AppliedChangesDecideTheSheetResult) {
    OEMCUIPPARAM tree = Attach(OEMCUIP_DOCPROP);
    OEMUIPSPARAM param = host_.SheetParam(printer_.get());
    testbed::SheetHost sheet;
    ASSERT_EQ(host_.plugin->DocumentPropertySheets(&sheet.Info(PROPSHEETUI_REASON_INIT, reinterpret_cast<LPARAM>(&param)), 0),
              S_OK);
    EXPECT_EQ(reinterpret_cast<void *>(sheet.Info(PROPSHEETUI_REASON_INIT).UserData), tree.pOEMUserData)
        << "the tree and the pages share one context";
    Callback(tree, CPSUICB_REASON_APPLYNOW);
    sheet.setResultReturn = 42;
    ASSERT_EQ(host_.plugin->DocumentPropertySheets(&sheet.Info(PROPSHEETUI_REASON_DESTROY), 0), S_OK);
    EXPECT_EQ(sheet.setResultCalls, 1);
    EXPECT_EQ(sheet.lastSetResult, CPSUI_OK);
    EXPECT_EQ(sheet.Info(PROPSHEETUI_REASON_DESTROY).Result, 42u) << "the sheet function's answer";

    // A sheet without an apply reports 1 and asks nothing.
    testbed::SheetHost quiet;
    host_.plugin->DocumentPropertySheets(&quiet.Info(PROPSHEETUI_REASON_INIT, reinterpret_cast<LPARAM>(&param)), 0);
    quiet.Info(PROPSHEETUI_REASON_DESTROY).Result = 55;
    host_.plugin->DocumentPropertySheets(&quiet.Info(PROPSHEETUI_REASON_DESTROY), 0);
    EXPECT_EQ(quiet.setResultCalls, 0);
    EXPECT_EQ(quiet.Info(PROPSHEETUI_REASON_DESTROY).Result, 1u);
}

TEST_F(DriverTreeHooks, DriverPageActivationPreparesItsItemsAndFrame) {
    OEMCUIPPARAM p = Attach(OEMCUIP_DOCPROP);
    auto *ctx = static_cast<PageContext *>(p.pOEMUserData);
    HWND frame = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
    HWND page = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 300, 200, frame, nullptr, nullptr, nullptr);
    HWND corner = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 10, 10, 40, 20, page,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(8000)), nullptr, nullptr);
    auto destroy = scope_exit([&] { DestroyWindow(frame); });

    EXPECT_EQ(Callback(p, CPSUICB_REASON_SETACTIVE, page), CPSUICB_ACTION_REINIT_ITEMS);
    EXPECT_TRUE(GetWindowLongPtrW(frame, GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
    EXPECT_EQ(ctx->driverItems, tree_.items);
    EXPECT_EQ(ctx->driverItemCount, 5u);
    for (auto &item : tree_.items) EXPECT_TRUE(item.Flags & OPTIF_CHANGED);
    RECT r{};
    GetWindowRect(corner, &r);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT *>(&r), 2);
    EXPECT_EQ(r.right, 300 - 5);
    EXPECT_EQ(r.bottom, 200 - 5);
    EXPECT_EQ(r.right - r.left, 40);
}

TEST(Booklet, FindsTheOptionNamedLikeTheCommonUIText) {
    // uiplug.dll's own string table plays the configuration module.
    HMODULE strings = testbed::UiPlugModule();
    OPTPARAM options[4]{};
    options[0].pData = MAKEINTRESOURCEW(IDS_DEST_PRINTER);
    options[1].pData = MAKEINTRESOURCEW(9999);  // no such string
    options[2].pData = MAKEINTRESOURCEW(IDS_DEST_FAX);
    options[3].pData = const_cast<wchar_t *>(L"Booklet");
    OPTTYPE type{};
    type.Type = TVOT_LISTBOX;
    type.Count = 4;
    type.pOptParam = options;
    EXPECT_EQ(BookletIndex(&type, strings, L"Fax"), 2);
    EXPECT_EQ(BookletIndex(&type, strings, L"Booklet"), 3);
    EXPECT_EQ(BookletIndex(&type, strings, L"Poster"), kFallbackBookletIndex);
    // A reference that did not load must not match an option that did not either.
    EXPECT_EQ(BookletIndex(&type, strings, L""), kFallbackBookletIndex);
    EXPECT_EQ(BookletIndex(&type, nullptr, L"Fax"), kFallbackBookletIndex);

    OPTITEM item{};
    item.pOptType = &type;
    EXPECT_TRUE(IsBookletSelection(nullptr, &item, kFallbackBookletIndex));
    EXPECT_FALSE(IsBookletSelection(nullptr, &item, 2));
    type.Type = TVOT_COMBOBOX;
    EXPECT_FALSE(IsBookletSelection(nullptr, &item, kFallbackBookletIndex));
}

TEST(PageHelp, PutsTheSheetLeftOfCentreAndTheHelpBesideIt) {
    const RECT desktop{0, 0, 1280, 1024};
    RECT sheet{100, 50, 500, 650}, help{900, 0, 1000, 10};
    ArrangeSideBySide(desktop, &sheet, &help);
    EXPECT_EQ(sheet.left, 240);
    EXPECT_EQ(sheet.right, 640);
    EXPECT_EQ(sheet.top, 50);
    EXPECT_EQ(help.left, 640);
    EXPECT_EQ(help.right, 1040);
    EXPECT_EQ(help.top, 50);
    EXPECT_EQ(help.bottom, 650);
    // A sheet wider than half the desktop starts at its edge; help stops at the other.
    RECT wide{300, 0, 1100, 600};
    ArrangeSideBySide(desktop, &wide, &help);
    EXPECT_EQ(wide.left, 0);
    EXPECT_EQ(wide.right, 800);
    EXPECT_EQ(help.left, 800);
    EXPECT_EQ(help.right, 1280);
}

TEST(PrintProcessor, NameComesFromTheDescriptionFile) {
    wchar_t name[kPrintProcessorChars];
    struct Case {
        const wchar_t *path;
        const wchar_t *expected;  // null: no name
    } cases[] = {
        {L"C:\\drivers\\MODEL12E.PPD", L"MODEL12C"},
        {L"C:\\drivers\\x.ppd", L"C"},
        {L"C:\\drivers\\MODEL.12E.PPD", L"MODEC"},
        {L"C:\\drivers\\MODEL12E", nullptr},
        {L"C:\\drivers\\MODEL12E.PP", nullptr},
        {L"C:\\drivers\\.PPD", nullptr},
        {L"C:\\drivers\\", nullptr},
        {L"MODEL12E.PPD", nullptr},
    };
    for (const Case &c : cases) {
        bool derived = DerivePrintProcessorName(c.path, name);
        EXPECT_EQ(derived, c.expected != nullptr) << Narrow(c.path);
        EXPECT_STREQ(name, c.expected ? c.expected : L"") << Narrow(c.path);
    }
    EXPECT_FALSE(DerivePrintProcessorName(nullptr, name));
}

TEST(PrinterEvents, InitialisingSetsTheDerivedPrintProcessor) {
    unique_hprinter printer = OpenFramePrinter();
    UiPluginHost host;
    CreateHost(&host);
    std::wstring name = FramePrinter().printerName;
    auto printProcessor = [&] {
        DWORD needed = 0;
        GetPrinterW(printer.get(), 2, nullptr, 0, &needed);
        std::vector<BYTE> buffer(needed);
        if (!GetPrinterW(printer.get(), 2, buffer.data(), needed, &needed)) return std::wstring();
        const wchar_t *processor = reinterpret_cast<PRINTER_INFO_2W *>(buffer.data())->pPrintProcessor;
        return std::wstring(processor ? processor : L"");
    };
    std::wstring before = printProcessor();
    EXPECT_EQ(host.plugin->PrinterEvent(name.data(), PRINTER_EVENT_INITIALIZE, 0, 0), S_OK);
    // The test printer's description file is TESTPS1E.PPD.
    EXPECT_EQ(printProcessor(), L"TESTPS1C");

    // Put the printer back as the other tests expect it.
    DWORD needed = 0;
    GetPrinterW(printer.get(), 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    ASSERT_TRUE(GetPrinterW(printer.get(), 2, buffer.data(), needed, &needed));
    reinterpret_cast<PRINTER_INFO_2W *>(buffer.data())->pPrintProcessor = before.data();
    SetPrinterW(printer.get(), 2, buffer.data(), 0);
}

TEST(DriverEvents, InstallationSeedsAndDeletionRemovesTheDriversSettings) {
    UiPluginHost host;
    CreateHost(&host);
    std::wstring driver = L"UIF Event Driver";
    std::wstring dataFile = DriverDirectory() + L"\\EVENT1E.PPD";
    DeleteTree(HKEY_CURRENT_USER, DriverKey(driver));

    DRIVER_INFO_3W info{};
    info.cVersion = 3;
    info.pName = driver.data();
    info.pDataFile = dataFile.data();
    EXPECT_EQ(host.plugin->DriverEvent(DRIVER_EVENT_INITIALIZE, 3, reinterpret_cast<LPBYTE>(&info), 0), S_OK);
    std::wstring watermarks = DriverKey(driver) + L"\\Watermarks";
    struct Expected {
        const wchar_t *name, *text;
        double angle;
        uint8_t gray;
        uint32_t pointSize, position, dynamicText;
    } expected[] = {
        {L"Draft", L"DRAFT", 45.0, 205, 72, 0, 0},
        {L"Confidential", L"CONFIDENTIAL", 45.0, 205, 72, 0, 0},
        {L"Username", L"User:  %Username%", 0.0, 0, 8, 2, 1},
        {L"Date and Time", L"%Time% %DateLong%", 0.0, 0, 8, 7, 1},
    };
    for (const Expected &e : expected) {
        WatermarkRecord wm{};
        DWORD size = sizeof(wm);
        ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, watermarks.c_str(), e.name, RRF_RT_REG_BINARY, nullptr, &wm, &size),
                  ERROR_SUCCESS)
            << Narrow(e.name);
        EXPECT_EQ(size, sizeof(WatermarkRecord));
        EXPECT_STREQ(wm.text, e.text);
        EXPECT_STREQ(wm.faceName, L"Arial");
        EXPECT_EQ(wm.angle, e.angle);
        EXPECT_EQ(wm.color[0], e.gray);
        EXPECT_EQ(wm.color[2], e.gray);
        EXPECT_EQ(wm.color[3], 0);
        EXPECT_EQ(wm.pointSize, e.pointSize);
        EXPECT_EQ(wm.position, e.position);
        EXPECT_EQ(wm.dynamicText, e.dynamicText);
        EXPECT_EQ(wm.intensity, 100);
        EXPECT_EQ(wm.units, 1);
    }
    DWORD count = 0;
    EXPECT_FALSE(ReadDword(HKEY_CURRENT_USER, DriverKey(driver), L"NumberOfWaterMarks", &count))
        << "installation leaves the count to the user's first copy";

    // Nothing happens without a driver name or for an unknown level.
    info.pName = nullptr;
    EXPECT_EQ(host.plugin->DriverEvent(DRIVER_EVENT_DELETE, 3, reinterpret_cast<LPBYTE>(&info), 0), S_OK);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, watermarks));
    info.pName = driver.data();
    EXPECT_EQ(host.plugin->DriverEvent(DRIVER_EVENT_DELETE, 7, reinterpret_cast<LPBYTE>(&info), 0), S_OK);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, watermarks));

    DRIVER_INFO_1W level1{driver.data()};
    EXPECT_EQ(host.plugin->DriverEvent(DRIVER_EVENT_DELETE, 1, reinterpret_cast<LPBYTE>(&level1), 0), S_OK);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, DriverKey(driver)));
}

TEST(DevMode, BringsTheDefaultUsersWatermarksToANewUser) {
    unique_hprinter printer = OpenTestPrinter(StorePrinterC());
    std::wstring driver = StorePrinterC().driverName;
    DeleteTree(HKEY_CURRENT_USER, DriverKey(driver));
    WatermarkRecord wm;
    ASSERT_TRUE(MakeSeedWatermark(0, &wm));
    std::wstring defaultPath = L".DEFAULT\\" + DriverKey(driver) + L"\\Watermarks";
    ASSERT_TRUE(WriteValue(HKEY_USERS, defaultPath, wm.name, REG_BINARY, &wm, sizeof(wm)));
    auto cleanup = scope_exit([&] {
        DeleteTree(HKEY_USERS, L".DEFAULT\\" + DriverKey(driver));
        DeleteTree(HKEY_CURRENT_USER, DriverKey(driver));
    });

    UiPluginHost host;
    CreateHost(&host);
    ASSERT_TRUE(host.BuildDevmodes(printer.get()));
    EXPECT_EQ(host.privateDevmode->header.dwSignature, kPrivateDevmodeSignature);
    EXPECT_TRUE(WatermarkExists(printer.get(), L"Draft"));
    DWORD count = 0;
    EXPECT_TRUE(ReadDword(HKEY_CURRENT_USER, DriverKey(driver), L"NumberOfWaterMarks", &count));
    EXPECT_EQ(count, 1u);
}

}  // namespace
