// Cost of the plug-ins in a long job: 1,000 report pages on Wine's PostScript
// device context, printed three ways side by side:
//   bare     - no plug-in loaded;
//   by hand  - no plug-in, the application draws a comparable watermark text
//              itself at the start of each page;
//   plug-ins - both plug-ins, a watermark on every page through the document
//              events and the escapes to the renderer.
// Prints the job times, the time spent inside the plug-ins' calls and how much
// of it was Wine drawing the watermark's text, and what the process holds
// before and after the long document.
//
// watermark_bench.exe [pages]
#include <windows.h>
#include <winddiui.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/raii.h"
#include "settings/private_devmode.h"
#include "tests/host/gdi_events.h"
#include "tests/host/process_usage.h"
#include "tests/host/ui_host.h"
#include "tests/host/wine_printer.h"

namespace {

int g_pages = 1000;

double Now() {
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

enum class Mode { Bare, ByHand, Plugins };

const wchar_t *Name(Mode mode) {
    switch (mode) {
    case Mode::Bare: return L"bench-bare";
    case Mode::ByHand: return L"bench-byhand";
    default: return L"bench-plugins";
    }
}

// An ordinary page of a report: a heading, forty lines of text, rules and boxes.
void DrawReportPage(HDC dc, int page, HFONT font) {
    select_object_guard selected(dc, font);
    const int w = GetDeviceCaps(dc, HORZRES), h = GetDeviceCaps(dc, VERTRES);
    wchar_t line[128];
    swprintf(line, 128, L"Quarterly report, page %d", page);
    TextOutW(dc, w / 10, h / 20, line, static_cast<int>(wcslen(line)));
    for (int i = 0; i < 40; ++i) {
        swprintf(line, 128, L"Line %02d: The quick brown fox jumps over the lazy dog, item %d.", i, page * 40 + i);
        TextOutW(dc, w / 10, h / 10 + i * (h / 50), line, static_cast<int>(wcslen(line)));
    }
    for (int i = 0; i < 4; ++i) {
        MoveToEx(dc, w / 10, h / 10 + i * (h / 5), nullptr);
        LineTo(dc, w - w / 10, h / 10 + i * (h / 5));
        Rectangle(dc, w - w / 5, h / 10 + i * (h / 5) + 10, w - w / 10, h / 10 + i * (h / 5) + h / 20);
    }
}

// What the application would draw to get a similar mark without the plug-ins.
void DrawMarkByHand(HDC dc, int page) {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(72, GetDeviceCaps(dc, LOGPIXELSY), 72);
    lf.lfEscapement = lf.lfOrientation = page % 2 ? 450 : 0;
    wcscpy(lf.lfFaceName, L"Arial");
    unique_hfont font(CreateFontIndirectW(&lf));
    select_object_guard selected(dc, font.get());
    wchar_t text[64];
    if (page % 2)
        wcscpy(text, L"CONFIDENTIAL");
    else
        swprintf(text, 64, L"Page %d - 03/09/2021", page);
    SetTextColor(dc, RGB(180, 180, 180));
    SetBkMode(dc, TRANSPARENT);
    ExtTextOutW(dc, GetDeviceCaps(dc, HORZRES) / 4, GetDeviceCaps(dc, VERTRES) / 2, 0, nullptr, text,
                static_cast<UINT>(wcslen(text)), nullptr);
    SetTextColor(dc, RGB(0, 0, 0));
}

void UseBenchWatermarks(PrivateDevmode *s) {
    s->watermarksEnabled = 1;
    s->watermarkOrder = 2;  // odd pages, even pages
    s->watermarkOverPage = 0;
    MakeDefaultWatermark(&s->watermarks[0]);
    MakeDefaultWatermark(&s->watermarks[1]);
    wcscpy(s->watermarks[0].text, L"CONFIDENTIAL");
    s->watermarks[0].angle = 45.0;
    s->watermarks[0].intensity = 30;
    wcscpy(s->watermarks[1].text, L"Page %pagenumber% - %dateddmmyyyy%");
    s->watermarks[1].dynamicText = 1;
    s->watermarks[1].intensity = 30;
}

struct Usage {
    DWORD gdiObjects;
    long handles;
    size_t heapBytes;
};

Usage Measure() { return Usage{testbed::GdiObjectCount(), testbed::CountOpenHandles(), testbed::ProcessHeapBytes()}; }

struct RunResult {
    bool ok = false;
    double jobSeconds = 0;
    double pluginSeconds = 0;
    double textSeconds = 0;  // inside uiplug's text output calls, that is, in Wine's driver
    long events = 0;
    Usage before{}, after{};
};

bool PrintPages(testbed::GdiJob &job, Mode mode, const std::wstring &name, int pages, HFONT font, double *seconds) {
    const std::wstring out = testbed::ScratchDir(name.c_str()) + L"\\job.ps";
    DeleteFileW(out.c_str());
    const double start = Now();
    if (job.StartDocument(name.c_str(), out) <= 0) return false;
    for (int page = 1; page <= pages; ++page) {
        if (job.StartPage() <= 0) return false;
        if (mode == Mode::ByHand) DrawMarkByHand(job.dc(), page);
        DrawReportPage(job.dc(), page, font);
        if (job.EndPage() <= 0) return false;
    }
    if (job.EndDoc() <= 0) return false;
    *seconds = Now() - start;
    return true;
}

RunResult Run(Mode mode) {
    RunResult r;
    testbed::GdiJobOptions options;
    options.withPlugins = mode == Mode::Plugins;
    options.record = false;
    testbed::GdiJob job(options);
    std::wstring error;
    if (!job.Start(&error)) {
        fwprintf(stderr, L"cannot start the job: %ls\n", error.c_str());
        return r;
    }
    if (mode == Mode::Plugins) UseBenchWatermarks(job.settings());
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(10, GetDeviceCaps(job.dc(), LOGPIXELSY), 72);
    wcscpy(lf.lfFaceName, L"Arial");
    unique_hfont font(CreateFontIndirectW(&lf));

    // A short document first, so that fonts and caches exist before counting.
    double warm = 0;
    if (!PrintPages(job, mode, std::wstring(Name(mode)) + L"-warm", 4, font.get(), &warm)) return r;
    const double pluginBefore = job.pluginSeconds;
    const double textBefore = job.textSeconds;
    const long eventsBefore = job.applicationEvents;
    r.before = Measure();
    r.ok = PrintPages(job, mode, Name(mode), g_pages, font.get(), &r.jobSeconds);
    r.after = Measure();
    r.pluginSeconds = job.pluginSeconds - pluginBefore;
    r.textSeconds = job.textSeconds - textBefore;
    r.events = job.applicationEvents - eventsBefore;
    return r;
}

double PerPage(double seconds) { return 1000.0 * seconds / g_pages; }

void PrintJob(const char *what, const RunResult &r) {
    printf("%-26s %9.3f s  %8.3f ms/page\n", what, r.jobSeconds, PerPage(r.jobSeconds));
}

void PrintUsage(const char *what, const RunResult &r) {
    printf("%-9s GDI objects %lu -> %lu, handles %ld -> %ld, process heap %zu -> %zu bytes\n", what,
           static_cast<unsigned long>(r.before.gdiObjects), static_cast<unsigned long>(r.after.gdiObjects),
           r.before.handles, r.after.handles, r.before.heapBytes, r.after.heapBytes);
}

bool Grew(const RunResult &r) {
    return r.after.gdiObjects > r.before.gdiObjects || r.after.handles > r.before.handles ||
           r.after.heapBytes > r.before.heapBytes;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc > 1 && atoi(argv[1]) > 0) g_pages = atoi(argv[1]);
    std::wstring error;
    if (!testbed::EnsurePrinter(&error)) {
        fwprintf(stderr, L"no test printer: %ls\n", error.c_str());
        return 1;
    }
    const RunResult bare = Run(Mode::Bare);
    const RunResult byHand = Run(Mode::ByHand);
    const RunResult plugins = Run(Mode::Plugins);
    if (!bare.ok || !byHand.ok || !plugins.ok) {
        fprintf(stderr, "a job failed\n");
        return 1;
    }
    const double ownCode = plugins.pluginSeconds - plugins.textSeconds;
    printf("%d pages on Wine's PostScript device context\n", g_pages);
    PrintJob("job, bare", bare);
    PrintJob("job, mark drawn by hand", byHand);
    PrintJob("job, with the plug-ins", plugins);
    printf("inside the plug-ins' calls  %8.3f s  %8.3f ms/page  (%ld document events from the application)\n",
           plugins.pluginSeconds, PerPage(plugins.pluginSeconds), plugins.events);
    printf("  of it in Wine's text output %6.3f s  %8.3f ms/page\n", plugins.textSeconds,
           PerPage(plugins.textSeconds));
    printf("  the plug-ins' own work    %8.3f s  %8.3f ms/page\n", ownCode, PerPage(ownCode));
    printf("share of the job with plug-ins: all plug-in calls %.2f %%, own work %.3f %% (target <= 2 %%)\n",
           100.0 * plugins.pluginSeconds / plugins.jobSeconds, 100.0 * ownCode / plugins.jobSeconds);
    printf("job time ratio: plug-ins / bare %.3f, plug-ins / by hand %.3f\n", plugins.jobSeconds / bare.jobSeconds,
           plugins.jobSeconds / byHand.jobSeconds);
    PrintUsage("bare:", bare);
    PrintUsage("by hand:", byHand);
    PrintUsage("plug-ins:", plugins);
    printf("growth over the long document with the plug-ins: %s\n", Grew(plugins) ? "YES" : "none");
    return Grew(plugins) ? 2 : 0;
}
