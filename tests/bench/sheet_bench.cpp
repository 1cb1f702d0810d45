// The document sheet of a user who keeps many watermarks and profiles: 200
// watermarks and 50 profiles stored (through the stores' own functions) for
// the bench printer's driver, on a printer with every page (fax card,
// print-and-hold, manual colour). Measures, over several openings:
//
// - to each page first shown: from the DocumentPropertySheets call, through
//   the sheet opening on the driver's own page (as compstui's sheets open on
//   the driver's pages), to the plug-in's page painted after the user's first
//   switch to it; and the part of it the switch itself took;
// - a switch between pages already created, each page to each other.
//
// "Painted" is when the page and its controls have handled every message the
// opening posted and every paint it left pending. The time spent inside the
// page's dialog procedure is counted apart: the product's share, the rest
// being the property sheet's own page creation and painting.
//
// sheet_bench.exe [openings]
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/raii.h"
#include "settings/private_devmode.h"
#include "tests/host/dialog_driver.h"
#include "tests/host/fake_driver_tree.h"
#include "tests/host/ui_host.h"
#include "tests/host/ui_sheet_host.h"
#include "tests/host/wine_printer.h"
#include "ui/sheets/page_context.h"
#include "ui/profiles/store.h"
#include "ui/watermark/store.h"

namespace {

constexpr int kWatermarks = 200;
constexpr int kProfiles = 50;
constexpr int kMaxPages = 8;
constexpr double kTargetMs = 100.0;

double NowMs() {
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// ---- Time inside each page's dialog procedure ------------------------------

DLGPROC g_original[kMaxPages] = {};
double g_inProcMs[kMaxPages] = {};
int g_depth[kMaxPages] = {};

template <int I>
INT_PTR CALLBACK Timed(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const double start = NowMs();
    ++g_depth[I];
    const INT_PTR result = g_original[I](hwnd, message, wParam, lParam);
    if (--g_depth[I] == 0) g_inProcMs[I] += NowMs() - start;
    return result;
}

const DLGPROC kTimed[kMaxPages] = {Timed<0>, Timed<1>, Timed<2>, Timed<3>, Timed<4>, Timed<5>, Timed<6>, Timed<7>};

// ---- The sheet -------------------------------------------------------------

struct BlankPageTemplate {
    DLGTEMPLATE header;
    WORD menu, windowClass, title;
};
alignas(4) BlankPageTemplate g_blankPage = {{WS_CHILD | WS_DISABLED | WS_CAPTION, 0, 0, 0, 0, 282, 250}, 0, 0, 0};
INT_PTR CALLBACK DriverPageProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// Every message the sheet's windows have waiting, then every paint left.
void Settle(HWND sheet) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (PropSheet_IsDialogMessage(sheet, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    RedrawWindow(sheet, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(2);
    } while (GetTickCount() - start < ms);
}

// A modeless sheet of the driver's blank page and the registered pages,
// whose dialog procedures are timed.
HWND ShowSheet(const std::vector<PROPSHEETPAGEW> &registered) {
    std::vector<HPROPSHEETPAGE> handles;
    PROPSHEETPAGEW driverPage{};
    driverPage.dwSize = sizeof(driverPage);
    driverPage.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
    driverPage.hInstance = GetModuleHandleW(nullptr);
    driverPage.pResource = &g_blankPage.header;
    driverPage.pszTitle = L"Layout";
    driverPage.pfnDlgProc = DriverPageProc;
    handles.push_back(CreatePropertySheetPageW(&driverPage));
    for (size_t i = 0; i < registered.size() && i < kMaxPages; ++i) {
        PROPSHEETPAGEW page = registered[i];
        g_original[i] = page.pfnDlgProc;
        page.pfnDlgProc = kTimed[i];
        handles.push_back(CreatePropertySheetPageW(&page));
    }
    for (HPROPSHEETPAGE h : handles)
        if (!h) return nullptr;
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_MODELESS;
    header.hInstance = GetModuleHandleW(nullptr);
    header.pszCaption = L"Printing Preferences";
    header.nPages = static_cast<UINT>(handles.size());
    header.phpage = handles.data();
    HWND sheet = reinterpret_cast<HWND>(PropertySheetW(&header));
    if (sheet) SetWindowPos(sheet, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    return sheet;
}

std::wstring PageTitle(HWND sheet, int index) {
    HWND tab = PropSheet_GetTabControl(sheet);
    wchar_t text[64] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 64;
    if (!tab || !TabCtrl_GetItem(tab, index, &item)) return L"page " + std::to_wstring(index);
    // Drop the mnemonic marks.
    std::wstring title;
    for (const wchar_t *c = text; *c; ++c)
        if (*c != L'&') title += *c;
    return title;
}

// ---- One opening -----------------------------------------------------------

struct Session {
    testbed::UiPluginHost host;
    std::unique_ptr<testbed::FakeDriverTree> tree;
    std::unique_ptr<testbed::DriverTreeSession> driver;
    testbed::SheetHost collector;
    OEMUIPSPARAM param{};
    HWND sheet = nullptr;

    bool Start(HANDLE printer) {
        std::wstring error;
        if (!host.Create(&error) || host.Publish() != S_OK || !host.BuildDevmodes(printer)) return false;
        host.core.settings["FaxCard"] = "True";
        host.core.features["HasPrintandHold"] = {"True", "False"};
        host.core.features["HasManualColorCorrection"] = {"True", "False"};
        tree = std::make_unique<testbed::FakeDriverTree>();
        driver = std::make_unique<testbed::DriverTreeSession>(&host, printer, tree.get());
        if (!driver->Attach()) return false;
        param = host.SheetParam(printer);
        return true;
    }
    // DocumentPropertySheets and the sheet on the driver's page, painted.
    bool Open() {
        if (host.plugin->DocumentPropertySheets(
                &collector.Info(PROPSHEETUI_REASON_INIT, reinterpret_cast<LPARAM>(&param)), 0) != S_OK)
            return false;
        sheet = ShowSheet(collector.pages);
        if (!sheet) return false;
        Settle(sheet);
        driver->Activate(PropSheet_GetCurrentPageHwnd(sheet));
        return true;
    }
    void SwitchTo(int index) {
        SendMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
        Settle(sheet);
    }
    void Close() {
        if (sheet) DestroyWindow(sheet);
        sheet = nullptr;
        PumpFor(10);
        host.plugin->DocumentPropertySheets(&collector.Info(PROPSHEETUI_REASON_DESTROY), 0);
    }
};

struct Stat {
    std::vector<double> ms;
    void Add(double v) { ms.push_back(v); }
    double Median() const {
        std::vector<double> s = ms;
        std::sort(s.begin(), s.end());
        return s.empty() ? 0.0 : s[s.size() / 2];
    }
    double Worst() const { return ms.empty() ? 0.0 : *std::max_element(ms.begin(), ms.end()); }
};

// ---- The stores --------------------------------------------------------------

bool FillStores(HANDLE printer, const wchar_t *driverName) {
    DeleteDriverSettings(driverName);
    for (int i = 1; i <= kWatermarks; ++i) {
        WatermarkRecord wm;
        MakeDefaultWatermark(&wm);
        swprintf(wm.name, 128, L"Bench watermark %03d", i);
        swprintf(wm.text, 128, L"Department %03d - internal use", i);
        if (!SaveWatermark(printer, &wm)) return false;
    }
    testbed::UiPluginHost host;
    std::wstring error;
    if (!host.Create(&error) || host.Publish() != S_OK) return false;
    testbed::FakeDriverTree tree;
    OEMUIPSPARAM param = host.SheetParam(printer);
    auto ctx = std::make_unique<PageContext>();
    ctx->params = &param;
    ctx->driverItems = tree.items;
    ctx->driverItemCount = testbed::FakeDriverTree::kItemCount;
    MakeDefaultPrivateDevmode(&ctx->work);
    for (int i = 1; i <= kProfiles; ++i) {
        wchar_t name[64];
        swprintf(name, 64, L"Bench profile %02d", i);
        if (!SaveProfile(tree.items, name, printer, ctx.get())) return false;
    }
    return CountWatermarks(printer) == kWatermarks;
}

}  // namespace

int main(int argc, char **argv) {
    int runs = argc > 1 ? std::atoi(argv[1]) : 7;
    if (runs < 1) runs = 1;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    testbed::PrinterSetup printerSetup{L"Bench Sheet Printer", L"Bench Sheet Driver", {}};
    std::wstring error;
    if (!testbed::EnsurePrinter(printerSetup, &error)) {
        std::printf("no bench printer: %ls\n", error.c_str());
        return 1;
    }
    unique_hprinter printer;
    if (!OpenPrinterW(const_cast<wchar_t *>(printerSetup.printerName.c_str()), printer.put(), nullptr) ||
        !FillStores(printer.get(), printerSetup.driverName.c_str())) {
        std::printf("could not store %d watermarks and %d profiles\n", kWatermarks, kProfiles);
        return 1;
    }
    testbed::MessageBoxCapture boxes(testbed::UiPlugModule());

    int pageCount = 0;
    std::vector<std::wstring> titles;
    std::map<int, Stat> toShown, firstSwitch, inProc;
    std::map<int, Stat> switchTo;
    Stat allSwitches, opening;
    for (int run = 0; run < runs; ++run) {
        // One opening per page: from DocumentPropertySheets to that page shown.
        for (int page = 1;; ++page) {
            Session s;
            if (!s.Start(printer.get())) {
                std::printf("the plug-in did not start\n");
                return 1;
            }
            std::memset(g_inProcMs, 0, sizeof(g_inProcMs));
            const double t0 = NowMs();
            if (!s.Open()) {
                std::printf("the document sheet did not open\n");
                return 1;
            }
            const double t1 = NowMs();
            pageCount = static_cast<int>(s.collector.pages.size());
            if (page > pageCount) {
                s.Close();
                break;
            }
            s.SwitchTo(page);
            const double t2 = NowMs();
            if (titles.empty())
                for (int p = 1; p <= pageCount; ++p) titles.push_back(PageTitle(s.sheet, p));
            if (PropSheet_GetCurrentPageHwnd(s.sheet) != PropSheet_IndexToHwnd(s.sheet, page)) {
                std::printf("page %d was not shown\n", page);
                return 1;
            }
            opening.Add(t1 - t0);
            toShown[page].Add(t2 - t0);
            firstSwitch[page].Add(t2 - t1);
            inProc[page].Add(g_inProcMs[page - 1]);
            s.Close();
        }
        // Switches between created pages, each to each other.
        Session s;
        if (!s.Start(printer.get()) || !s.Open()) return 1;
        for (int p = 1; p <= pageCount; ++p) s.SwitchTo(p);
        for (int from = 1; from <= pageCount; ++from)
            for (int to = 1; to <= pageCount; ++to) {
                if (from == to) continue;
                s.SwitchTo(from);
                const double t = NowMs();
                s.SwitchTo(to);
                const double ms = NowMs() - t;
                switchTo[to].Add(ms);
                allSwitches.Add(ms);
            }
        s.Close();
    }

    std::printf("%d watermarks and %d profiles stored, %d openings per page%s\n", kWatermarks, kProfiles, runs,
                boxes.shown.empty() ? "" : " (message boxes were shown!)");
    std::printf("DocumentPropertySheets to the sheet on the driver's page: median %7.2f ms  worst %7.2f ms\n",
                opening.Median(), opening.Worst());
    std::printf("%-16s %24s %24s %22s\n", "page", "to first shown (ms)", "of which the switch", "in the page's proc");
    std::printf("%-16s %11s %12s %11s %12s %10s %11s\n", "", "median", "worst", "median", "worst", "median", "worst");
    bool missed = false;
    for (int p = 1; p <= pageCount; ++p) {
        std::printf("%-16ls %11.2f %12.2f %11.2f %12.2f %10.2f %11.2f%s\n", titles[p - 1].c_str(),
                    toShown[p].Median(), toShown[p].Worst(), firstSwitch[p].Median(), firstSwitch[p].Worst(),
                    inProc[p].Median(), inProc[p].Worst(), toShown[p].Median() > kTargetMs ? "  over target" : "");
        missed = missed || toShown[p].Median() > kTargetMs;
    }
    std::printf("switch to a created page (from each other page, %d rounds):\n", runs);
    for (int p = 1; p <= pageCount; ++p)
        std::printf("%-16ls median %7.2f ms  worst %7.2f ms\n", titles[p - 1].c_str(), switchTo[p].Median(),
                    switchTo[p].Worst());
    std::printf("%-16s median %7.2f ms  worst %7.2f ms\n", "any switch", allSwitches.Median(), allSwitches.Worst());
    std::printf("target: every page shown within %.0f ms: %s\n", kTargetMs, missed ? "MISSED" : "met");
    DeleteDriverSettings(printerSetup.driverName.c_str());
    return 0;
}
