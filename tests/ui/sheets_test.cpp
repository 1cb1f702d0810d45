// The plug-in's pages as the driver registers them and as a real property
// sheet shows them: which pages, with what description, sharing which
// context, and what the About page shows. Every registered page is pictured
// in build/<arch>/artifacts.
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/host/screenshot.h"
#include "tests/host/ui_host.h"
#include "tests/host/ui_sheet_host.h"
#include "tests/ui/ui_fixtures.h"
#include "ui/sheets/page_context.h"

using namespace uitest;
using testbed::SheetHost;
using testbed::UiPluginHost;

namespace {

std::wstring Text(HWND window) {
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, 512);
    return text;
}

std::wstring CellText(HWND list, int row, int column) {
    wchar_t text[260] = L"";
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 260;
    SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

bool FrameHasContextHelp(const SheetHost &sheet) {
    return (GetWindowLongPtrW(sheet.sheet(), GWL_EXSTYLE) & WS_EX_CONTEXTHELP) != 0;
}

class PropertySheets : public ::testing::Test {
protected:
    void SetUp() override {
        printer_ = OpenFramePrinter();
        ASSERT_TRUE(printer_);
        std::wstring error;
        ASSERT_TRUE(host_.Create(&error)) << Narrow(error);
        ASSERT_EQ(host_.Publish(), S_OK);
        ASSERT_TRUE(host_.BuildDevmodes(printer_.get()));
        host_.core.hasNickName = true;
        host_.core.nickName = L"Test Model 1200";
    }

    // Runs INIT for the document (or printer) sheet with `param`.
    void Init(SheetHost *sheet, OEMUIPSPARAM *param, bool document = true) {
        PROPSHEETUI_INFO &info = sheet->Info(PROPSHEETUI_REASON_INIT, reinterpret_cast<LPARAM>(param));
        HRESULT hr = document ? host_.plugin->DocumentPropertySheets(&info, 0)
                              : host_.plugin->DevicePropertySheets(&info, 0);
        ASSERT_EQ(hr, S_OK);
    }
    void Destroy(SheetHost *sheet, bool document = true) {
        sheet->Close();
        PROPSHEETUI_INFO &info = sheet->Info(PROPSHEETUI_REASON_DESTROY);
        if (document)
            host_.plugin->DocumentPropertySheets(&info, 0);
        else
            host_.plugin->DevicePropertySheets(&info, 0);
    }
    // Shows the sheet and makes its last page, the About page, current.
    HWND ShowAbout(SheetHost *sheet) {
        if (!sheet->Show()) return nullptr;
        sheet->Activate(static_cast<int>(sheet->pages.size()));
        return sheet->CurrentPage();
    }

    unique_hprinter printer_;
    UiPluginHost host_;
};

TEST_F(PropertySheets, DocumentSheetOffersThePagesThisPrinterHas) {
    // No fax card and no print-and-hold: only the pages every printer gets.
    OEMUIPSPARAM param = host_.SheetParam(printer_.get(), DM_NOPERMISSION);
    host_.privateDevmode->watermarkOrder = 3;
    host_.privateDevmode->blockAppPostScript = 1;
    wcscpy(host_.privateDevmode->holdUserName, L"jdoe");
    SheetHost sheet;
    Init(&sheet, &param);

    const WORD expected[] = {IDD_WATERMARK_PAGE, IDD_PROFILES_PAGE, IDD_ABOUT_DOCUMENT};
    ASSERT_EQ(sheet.pages.size(), std::size(expected));
    PROPSHEETUI_INFO &info = sheet.Info(PROPSHEETUI_REASON_INIT);
    auto *ctx = reinterpret_cast<PageContext *>(info.UserData);
    ASSERT_NE(ctx, nullptr);
    EXPECT_EQ(static_cast<LONG_PTR>(info.Result), sheet.pageHandles.back());
    for (size_t i = 0; i < sheet.pages.size(); ++i) {
        const PROPSHEETPAGEW &page = sheet.pages[i];
        EXPECT_EQ(page.pszTemplate, MAKEINTRESOURCEW(expected[i]));
        EXPECT_EQ(page.dwSize, sizeof(PROPSHEETPAGEW));
        EXPECT_EQ(page.dwFlags, static_cast<DWORD>(PSP_HASHELP | PSP_USEFUSIONCONTEXT))
            << "pages run under the module's own manifest";
        EXPECT_EQ(page.hInstance, testbed::UiPlugModule());
        EXPECT_EQ(page.lParam, reinterpret_cast<LPARAM>(ctx));
        EXPECT_NE(page.pfnDlgProc, nullptr);
        EXPECT_NE(page.hActCtx, INVALID_HANDLE_VALUE);
        EXPECT_NE(page.hActCtx, nullptr);
    }

    EXPECT_EQ(ctx->params, &param);
    EXPECT_EQ(ctx->coreHelper, &host_.core);
    EXPECT_EQ(ctx->hComPropSheet, reinterpret_cast<HANDLE>(&sheet));
    EXPECT_EQ(ctx->readOnly, 1u);
    EXPECT_EQ(ctx->initialWatermarkOrder, 3u);
    EXPECT_EQ(ctx->work.watermarkOrder, 3u);
    EXPECT_STREQ(ctx->work.holdUserName, L"jdoe");
    EXPECT_EQ(ctx->work.blockAppPostScript, 0u) << "never carried into the pages' working copy";
    EXPECT_EQ(ctx->work.header.dwSignature, kPrivateDevmodeSignature);
    ASSERT_NE(ctx->helpFilePath, nullptr);
    std::wstring help = ctx->helpFilePath;
    EXPECT_EQ(help.substr(help.size() - std::wcslen(kHelpFile)), kHelpFile);
    Destroy(&sheet);
}

TEST_F(PropertySheets, SheetReasonsOtherThanPages) {
    SheetHost sheet;
    PROPSHEETUI_INFO_HEADER header{};
    EXPECT_EQ(host_.plugin->DocumentPropertySheets(&sheet.Info(PROPSHEETUI_REASON_GET_INFO_HEADER),
                                                   reinterpret_cast<LPARAM>(&header)),
              S_OK);
    ASSERT_NE(header.pTitle, nullptr);
    EXPECT_STREQ(header.pTitle, L"In-Box UI Page");
    EXPECT_EQ(sheet.Info(0).Result, 1u);

    SETRESULT_INFO result{};
    result.Result = 77;
    EXPECT_EQ(host_.plugin->DevicePropertySheets(&sheet.Info(PROPSHEETUI_REASON_SET_RESULT),
                                                 reinterpret_cast<LPARAM>(&result)),
              S_OK);
    EXPECT_EQ(sheet.Info(0).Result, 77u);
    sheet.Info(0).Result = 5;
    EXPECT_EQ(host_.plugin->DocumentPropertySheets(&sheet.Info(PROPSHEETUI_REASON_GET_ICON), 0), S_OK);
    EXPECT_EQ(sheet.Info(0).Result, 0u);

    // A driver parameter block missing at INIT: success, no pages.
    EXPECT_EQ(host_.plugin->DocumentPropertySheets(&sheet.Info(PROPSHEETUI_REASON_INIT, 0), 0), S_OK);
    EXPECT_EQ(sheet.Info(0).Result, 1u);
    EXPECT_TRUE(sheet.pages.empty());

    PROPSHEETUI_INFO &wrong = sheet.Info(PROPSHEETUI_REASON_INIT);
    wrong.Version = 0x200;
    SetLastError(0);
    EXPECT_EQ(host_.plugin->DocumentPropertySheets(&wrong, 0), E_FAIL);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(host_.plugin->DevicePropertySheets(nullptr, 0), E_FAIL);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(PropertySheets, AboutPageShowsTheDriversFilesWithVersions) {
    OEMUIPSPARAM param = host_.SheetParam(printer_.get());
    SheetHost sheet;
    Init(&sheet, &param);
    HWND page = ShowAbout(&sheet);
    ASSERT_NE(page, nullptr);

    EXPECT_EQ(Text(GetDlgItem(page, IDC_ABOUT_TITLE)), L"Test Model 1200 Driver");
    EXPECT_EQ(Text(GetDlgItem(page, IDC_ABOUT_VERSION)), L"Version 3.0");
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(page, IDC_ABOUT_ICON)));

    HWND list = GetDlgItem(page, IDC_ABOUT_FILES);
    ASSERT_NE(list, nullptr);
    LONG_PTR style = GetWindowLongPtrW(list, GWL_STYLE);
    EXPECT_EQ(style & (LVS_TYPEMASK | LVS_SORTASCENDING | LVS_NOSORTHEADER),
              LVS_REPORT | LVS_SORTASCENDING | LVS_NOSORTHEADER);
    // Configuration and driver file (both wineps.drv here), then the
    // dependent files, shown in ascending order of name.
    const wchar_t *names[] = {kHelpFile, kUnversionedFile, kVersionedCopy, L"wineps.drv", L"wineps.drv"};
    ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), static_cast<LRESULT>(std::size(names)));
    for (int row = 0; row < static_cast<int>(std::size(names)); ++row)
        EXPECT_EQ(CellText(list, row, 0), names[row]) << "row " << row;
    EXPECT_EQ(CellText(list, 0, 1), L"N/A");
    EXPECT_EQ(CellText(list, 1, 1), L"N/A");
    for (int row : {2, 3, 4}) {
        std::wstring version = CellText(list, row, 1);
        EXPECT_NE(version, L"N/A") << "row " << row;
        EXPECT_NE(version.find(L'.'), std::wstring::npos) << Narrow(version);
    }
    wchar_t header[64] = L"";
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = header;
    column.cchTextMax = 64;
    SendMessageW(list, LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
    EXPECT_STREQ(header, L"Version");

    EXPECT_FALSE(testbed::SaveWindowPicture(sheet.sheet(), L"about-document-sheet").empty());
    Destroy(&sheet);
}

TEST_F(PropertySheets, AboutPageHidesTheFramesHelpButtonWhileActive) {
    OEMUIPSPARAM param = host_.SheetParam(printer_.get());
    SheetHost sheet;
    Init(&sheet, &param);
    ASSERT_TRUE(sheet.Show());
    HWND frame = sheet.sheet();
    SetWindowLongPtrW(frame, GWL_EXSTYLE, GetWindowLongPtrW(frame, GWL_EXSTYLE) | WS_EX_CONTEXTHELP);
    const int about = static_cast<int>(sheet.pages.size());
    sheet.Activate(about);
    EXPECT_FALSE(FrameHasContextHelp(sheet));
    sheet.Activate(0);
    EXPECT_TRUE(FrameHasContextHelp(sheet));
    sheet.Activate(about);
    EXPECT_FALSE(FrameHasContextHelp(sheet));
    Destroy(&sheet);
}

TEST_F(PropertySheets, AboutPageWithoutANickNameStillShowsTheVersion) {
    host_.core.hasNickName = false;
    OEMUIPSPARAM param = host_.SheetParam(printer_.get());
    SheetHost sheet;
    Init(&sheet, &param, false);
    ASSERT_EQ(sheet.pages.size(), 1u);
    EXPECT_EQ(sheet.pages[0].pszTemplate, MAKEINTRESOURCEW(IDD_ABOUT_PRINTER));
    auto *ctx = reinterpret_cast<PageContext *>(sheet.Info(0).UserData);
    ASSERT_NE(ctx, nullptr);
    EXPECT_NE(ctx->helpFilePath, nullptr);
    EXPECT_EQ(static_cast<void *>(ctx->owner), static_cast<void *>(host_.plugin));
    EXPECT_EQ(ctx->params, &param);
    HWND page = ShowAbout(&sheet);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(Text(GetDlgItem(page, IDC_ABOUT_TITLE)), L"");
    EXPECT_EQ(Text(GetDlgItem(page, IDC_ABOUT_VERSION)), L"Version 3.0");
    EXPECT_EQ(SendMessageW(GetDlgItem(page, IDC_ABOUT_FILES), LVM_GETITEMCOUNT, 0, 0), 5);
    EXPECT_FALSE(testbed::SaveWindowPicture(sheet.sheet(), L"about-printer-sheet").empty());
    Destroy(&sheet, false);
}

TEST_F(PropertySheets, AboutPageStaysEmptyWhereItsSourcesAreMissing) {
    struct Case {
        const char *what;
        bool heap, printer, helper;
        bool files, title;
    } cases[] = {
        {"no heap (so no context)", false, true, true, false, false},
        {"no printer handle", true, false, true, false, true},
        {"no helper", true, true, false, true, false},
    };
    for (const Case &c : cases) {
        UiPluginHost host;
        std::wstring error;
        ASSERT_TRUE(host.Create(&error));
        if (c.helper) host.Publish();
        host.core.hasNickName = true;
        host.core.nickName = L"Model";
        OEMUIPSPARAM param = host.SheetParam(c.printer ? printer_.get() : nullptr);
        if (!c.heap) param.hOEMHeap = nullptr;
        SheetHost sheet;
        ASSERT_EQ(host.plugin->DocumentPropertySheets(&sheet.Info(PROPSHEETUI_REASON_INIT,
                                                                   reinterpret_cast<LPARAM>(&param)),
                                                      0),
                  S_OK)
            << c.what;
        ASSERT_EQ(sheet.pages.size(), 3u) << c.what;
        EXPECT_EQ(sheet.pages.back().lParam != 0, c.heap) << c.what;
        HWND page = ShowAbout(&sheet);
        ASSERT_NE(page, nullptr) << c.what;
        HWND list = GetDlgItem(page, IDC_ABOUT_FILES);
        EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) > 0, c.files) << c.what;
        EXPECT_EQ(Text(GetDlgItem(page, IDC_ABOUT_TITLE)) == L"Model Driver", c.title) << c.what;
        EXPECT_EQ(Text(GetDlgItem(page, IDC_ABOUT_VERSION)) == L"Version 3.0", c.title) << c.what;
        sheet.Close();
        host.plugin->DocumentPropertySheets(&sheet.Info(PROPSHEETUI_REASON_DESTROY), 0);
    }
}

// Every page the document sheet registers, made current in turn and pictured.
TEST_F(PropertySheets, EveryRegisteredPageOpensAndIsPictured) {
    OEMUIPSPARAM param = host_.SheetParam(printer_.get());
    SheetHost sheet;
    Init(&sheet, &param);
    ASSERT_FALSE(sheet.pages.empty());
    ASSERT_TRUE(sheet.Show());
    for (size_t i = 0; i < sheet.pages.size(); ++i) {
        ASSERT_TRUE(sheet.Activate(static_cast<int>(i) + 1));
        HWND page = sheet.CurrentPage();
        ASSERT_NE(page, nullptr);
        EXPECT_EQ(GetWindowLongPtrW(page, GWLP_USERDATA), sheet.pages[i].lParam)
            << "the page keeps the shared context";
        auto id = static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(sheet.pages[i].pszTemplate));
        std::wstring name = L"document-page-" + std::to_wstring(i + 1) + L"-" + std::to_wstring(id);
        EXPECT_FALSE(testbed::SaveWindowPicture(sheet.sheet(), name).empty()) << Narrow(name);
    }
    Destroy(&sheet);
}

}  // namespace
