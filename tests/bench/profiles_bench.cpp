// Cost of the profile store and the Profiles page with a user who keeps many
// profiles: 50 profiles of 40 values each (39 selections and the plug-in's
// record) for one driver. Measures ListProfiles on its own and the first
// opening of the Profiles page in the property sheet (its list filled and
// the current profile compared with the settings), and prints the median and
// the worst of several runs.
//
// profiles_bench.exe [runs]
#include <windows.h>
#include <prsht.h>
#include <shlwapi.h>

#include <algorithm>
#include <memory>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/raii.h"
#include "settings/private_devmode.h"
#include "tests/host/fake_driver_tree.h"
#include "tests/host/ui_host.h"
#include "tests/host/ui_sheet_host.h"
#include "tests/host/wine_printer.h"
#include "ui/sheets/page_context.h"
#include "ui/profiles/store.h"

namespace {

constexpr int kProfiles = 50;
constexpr int kSelectionValues = 39;
const wchar_t kProfilesKey[] = L"Software\\Corvane\\PSPlugIn\\UIP Bench Driver\\Profiles";

double NowMs() {
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// The 50 profiles and, as every user who opened a sheet has, the factory defaults.
bool FillProfiles() {
    SHDeleteKeyW(HKEY_CURRENT_USER, kProfilesKey);
    PrivateDevmode record;
    MakeDefaultPrivateDevmode(&record);
    for (int p = 0; p <= kProfiles; ++p) {
        std::wstring name = p < kProfiles ? L"Profile " + std::to_wstring(p) : std::wstring(L"Factory Defaults");
        std::wstring path = std::wstring(kProfilesKey) + L"\\" + name;
        unique_hkey key;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr) !=
            ERROR_SUCCESS)
            return false;
        for (int v = 1; v <= kSelectionValues; ++v) {
            DWORD selection = 0;
            RegSetValueExW(key.get(), std::to_wstring(v).c_str(), 0, REG_DWORD,
                           reinterpret_cast<const BYTE *>(&selection), sizeof(selection));
        }
        RegSetValueExW(key.get(), L"CustomDevData", 0, REG_BINARY, reinterpret_cast<const BYTE *>(&record),
                       sizeof(record));
    }
    return true;
}

void Report(const char *what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%-44s median %7.2f ms   worst %7.2f ms   (%zu runs)\n", what, times[times.size() / 2], times.back(),
                times.size());
}

std::vector<double> TimeListProfiles(HANDLE printer, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        HWND list = CreateWindowExW(0, L"LISTBOX", L"", WS_POPUP | LBS_SORT | WS_HSCROLL, 0, 0, 200, 200, nullptr,
                                    nullptr, nullptr, nullptr);
        double start = NowMs();
        DWORD count = ListProfiles(list, printer);
        times.push_back(NowMs() - start);
        DestroyWindow(list);
        if (count != kProfiles + 1) std::printf("unexpected profile count %lu\n", count);
    }
    return times;
}

// The comparison the page makes as it opens, on its own: one profile of 40 values.
std::vector<double> TimeMatch(HANDLE printer, int runs) {
    testbed::UiPluginHost host;
    testbed::FakeDriverTree tree;
    OEMUIPSPARAM param = host.SheetParam(printer);
    auto ctx = std::make_unique<PageContext>();
    ctx->params = &param;
    ctx->driverItems = tree.items;
    ctx->driverItemCount = testbed::FakeDriverTree::kItemCount;
    MakeDefaultPrivateDevmode(&ctx->work);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        double start = NowMs();
        ProfileMatchesSettings(L"Profile 25", printer, ctx.get());
        times.push_back(NowMs() - start);
    }
    return times;
}

// One sheet per run; the time is the first switch to the Profiles page.
bool TimePageOpening(HANDLE printer, int runs, std::vector<double> *times) {
    for (int i = 0; i < runs; ++i) {
        testbed::UiPluginHost host;
        std::wstring error;
        if (!host.Create(&error) || host.Publish() != S_OK || !host.BuildDevmodes(printer)) return false;
        // The settings record names a profile, so the page selects it and
        // compares it with the settings as it opens.
        wcscpy(host.privateDevmode->loadedProfileName, L"Profile 25");
        testbed::FakeDriverTree tree;
        testbed::DriverTreeSession session(&host, printer, &tree);
        if (!session.Attach()) return false;
        OEMUIPSPARAM param = host.SheetParam(printer);
        testbed::SheetHost sheet;
        if (host.plugin->DocumentPropertySheets(&sheet.Info(PROPSHEETUI_REASON_INIT, reinterpret_cast<LPARAM>(&param)),
                                                0) != S_OK ||
            !sheet.Show())
            return false;
        session.Activate(sheet.CurrentPage());
        double start = NowMs();
        SendMessageW(sheet.sheet(), PSM_SETCURSEL, 1, 0);
        times->push_back(NowMs() - start);
        sheet.Close();
        host.plugin->DocumentPropertySheets(&sheet.Info(PROPSHEETUI_REASON_DESTROY), 0);
    }
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    int runs = argc > 1 ? std::atoi(argv[1]) : 20;
    if (runs < 1) runs = 1;
    testbed::PrinterSetup printerSetup{L"UIP Bench Printer", L"UIP Bench Driver", {}};
    std::wstring error;
    if (!testbed::EnsurePrinter(printerSetup, &error)) {
        std::printf("no test printer: %ls\n", error.c_str());
        return 1;
    }
    unique_hprinter printer;
    if (!OpenPrinterW(const_cast<wchar_t *>(printerSetup.printerName.c_str()), printer.put(), nullptr) || !FillProfiles()) {
        std::printf("could not set up %d profiles\n", kProfiles);
        return 1;
    }
    std::printf("%d profiles of %d values each\n", kProfiles, kSelectionValues + 1);
    Report("ListProfiles", TimeListProfiles(printer.get(), runs));
    std::vector<double> opening;
    if (!TimePageOpening(printer.get(), runs, &opening)) {
        std::printf("the Profiles page could not be opened\n");
        return 1;
    }
    Report("opening the Profiles page (list + match)", opening);
    Report("ProfileMatchesSettings, one profile", TimeMatch(printer.get(), runs));
    // The same page over an empty store: what creating the page itself costs.
    SHDeleteKeyW(HKEY_CURRENT_USER, kProfilesKey);
    std::vector<double> empty;
    if (TimePageOpening(printer.get(), runs, &empty)) Report("opening the Profiles page, no profiles", empty);
    SHDeleteKeyW(HKEY_CURRENT_USER, kProfilesKey);
    return 0;
}
