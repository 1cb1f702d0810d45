// A long printing session through both plug-ins on the test printer: jobs of
// every watermark kind (none, all pages, odd/even, first/other; under and over
// the page; plain and dynamic text; on request), fax jobs that end with a
// cover page, and manual-duplex jobs that ask for the prompt between their
// passes. Every checkpoint prints what the process holds; the run fails when
// anything grows past a small tolerance after the warm-up, when a job fails,
// or when a watermark that should be drawn is not.
//
// long_job.exe            the short run: 1,000 pages in jobs of 20, checkpoints
//                          every 200 (the first 200 are the warm-up)
// long_job.exe --full     10,000 pages in jobs of 100, checkpoints every 1,000
// long_job.exe --pages N  N pages, five checkpoints (every 1,000 from 10,000 on)
// --without-plugins        the same jobs on the bare device context: what
//                          Wine's own printing holds and costs
#include <windows.h>
#include <winddiui.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/escape_codes.h"
#include "settings/private_devmode.h"
#include "tests/host/gdi_events.h"
#include "tests/host/prompt_answer.h"
#include "tests/host/wine_printer.h"
#include "tests/host/run_figures.h"
#include "tests/stress/long_job/job_user.h"

namespace {


testbed::PrinterSetup Printer() { return testbed::PrinterSetup{L"Long Job Printer", L"Long Job Driver", {}}; }
constexpr int kRequestBytes = 92;

double NowMs() {
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// How a job places its watermarks.
struct Kind {
    const char *name;
    uint32_t enabled, order, over, viaEscape;
    bool dynamic;
};

const Kind kKinds[] = {
    {"no watermark", 0, 1, 0, 0, false},
    {"all pages, under", 1, 1, 0, 0, false},
    {"all pages, over", 1, 1, 1, 0, false},
    {"odd/even, under", 1, 2, 0, 0, false},
    {"odd/even, over", 1, 2, 1, 0, false},
    {"first/other, under", 1, 3, 0, 0, false},
    {"first/other, over", 1, 3, 1, 0, false},
    {"dynamic, all pages, under", 1, 1, 0, 0, true},
    {"dynamic, odd/even, over", 1, 2, 1, 0, true},
    {"on request, first/other", 1, 3, 0, 1, true},
};
constexpr size_t kKindCount = sizeof(kKinds) / sizeof(kKinds[0]);

WatermarkRecord Mark(const wchar_t *name, const wchar_t *text, bool dynamic, uint32_t position) {
    WatermarkRecord wm;
    std::memset(&wm, 0, sizeof(wm));
    MakeDefaultWatermark(&wm);
    wcsncpy(wm.name, name, 127);
    wcsncpy(wm.text, text, 127);
    wm.dynamicText = dynamic ? 1 : 0;
    wm.position = position;
    wm.pointSize = 36;
    return wm;
}

void SetUpJob(PrivateDevmode *s, const Kind &kind, bool fax) {
    s->watermarksEnabled = kind.enabled;
    s->watermarkOrder = kind.order;
    s->watermarkOverPage = kind.over;
    s->watermarkViaEscape = kind.viaEscape;
    if (kind.dynamic) {
        s->watermarks[0] = Mark(L"Who", L"%Username% on %hostname%, %datelong% %time%, page %pagenumber%", true,
                                WM_POS_TOP_CENTER);
        s->watermarks[1] = Mark(L"Where", L"%printer% (%modelname%) %dateshort% %timemil% %timehrmn% 100%%", true,
                                WM_POS_BOTTOM_RIGHT);
    } else {
        s->watermarks[0] = Mark(L"Draft", L"DRAFT", false, WM_POS_CENTER);
        s->watermarks[1] = Mark(L"Copy", L"COPY", false, WM_POS_BOTTOM_LEFT);
    }
    if (fax) {
        s->outputDestination = DEST_FAX;
        s->fax.sendCoverPage = 1;
        s->fax.coverPageParts = kCoverRecipient | kCoverSender | kCoverComments;
        wcsncpy(s->fax.recipientName, L"Ada Recipient", 127);
        wcsncpy(s->fax.recipientFaxNumber, L"+1 555 0100", 127);
        wcsncpy(s->fax.senderName, L"Sam Sender", 127);
        wcsncpy(s->fax.senderCompany, L"Sender Works", 127);
        wcsncpy(s->fax.comments, L"The long job's pages follow.", 1023);
    } else {
        s->outputDestination = DEST_PRINTER;
        s->fax.sendCoverPage = 0;
    }
}

// The request another component sends for one logical page (a 32-bit
// layout: page at 20, devmode field at 36, page rectangle at 40, scale at 88).
void SendRequest(testbed::GdiJob &job, int32_t page, const DEVMODEW *devmode) {
    uint8_t record[kRequestBytes];
    std::memset(record, 0, sizeof(record));
    const uint32_t devmodeField =
        sizeof(void *) == 4 ? static_cast<uint32_t>(reinterpret_cast<uintptr_t>(devmode)) : 1u;
    const RECT rect{0, 0, GetDeviceCaps(job.dc(), HORZRES) / 2, GetDeviceCaps(job.dc(), VERTRES) / 2};
    const float scale = 0.5f;
    std::memcpy(record + 20, &page, 4);
    std::memcpy(record + 36, &devmodeField, 4);
    std::memcpy(record + 40, &rect, sizeof(rect));
    std::memcpy(record + 88, &scale, 4);
    job.Escape(static_cast<int>(ESC_WATERMARK_REQUEST), kRequestBytes, record, 0, nullptr);
}

// The application's own drawing of a page.
void DrawContent(HDC dc, long page) {
    wchar_t line[64];
    swprintf(line, 64, L"Long job, page %ld", page);
    TextOutW(dc, 200, 200, line, static_cast<int>(wcslen(line)));
    Rectangle(dc, 200, 400, 1200, 900);
}

struct Run {
    bool withPlugins = true;
    double startMs = 0.0;
    long pagesWanted = 1000;
    long interval = 200;
    long pagesDone = 0;
    long jobs = 0;
    long coverPages = 0;
    long secondPassPages = 0;
    std::vector<runfigures::Figures> checkpoints;
    double intervalStart = 0.0;
    std::vector<std::string> faults;

    void Fault(const std::string &what) {
        if (faults.size() < 20) faults.push_back(what);
    }

    // Between jobs, when nothing of a job is left: what remains is kept.
    void Checkpoint() {
        const double now = NowMs();
        runfigures::Figures f = runfigures::Measure();
        f.pages = pagesDone;
        const long since = checkpoints.empty() ? pagesDone : pagesDone - checkpoints.back().pages;
        f.msPerPage = since > 0 ? (now - intervalStart) / static_cast<double>(since) : 0.0;
        checkpoints.push_back(f);
        runfigures::PrintRow(f);
        intervalStart = NowMs();  // the measuring itself is not the pages' time
    }
};

std::string Narrow(const std::wstring &w) { return testbed::Narrow(w); }

// One job of `pages` pages. A manual-duplex job prints its first half, asks
// for the prompt, and prints the second half as the second pass, whose pages
// the plug-in neither counts nor marks.
void PrintJob(Run &run, long pages, const Kind &kind, bool fax, bool duplex, const std::wstring &output) {
    testbed::GdiJobOptions options;
    options.record = false;
    options.printer = Printer();
    options.withPlugins = run.withPlugins;
    testbed::GdiJob job(options);
    std::wstring error;
    char where[160];
    std::snprintf(where, sizeof(where), "job %ld (%s%s%s)", run.jobs + 1, kind.name, fax ? ", fax" : "",
                  duplex ? ", manual duplex" : "");
    const double startAt = NowMs();
    const bool started = job.Start(&error);
    run.startMs += NowMs() - startAt;
    if (!started || (run.withPlugins && !job.settings())) {
        run.Fault(std::string(where) + ": " + Narrow(error));
        run.pagesDone = run.pagesWanted;  // nothing more can be printed
        return;
    }
    if (run.withPlugins) SetUpJob(job.settings(), kind, fax);
    DeleteFileW(output.c_str());
    if (job.StartDocument(L"long job", output) <= 0) {
        run.Fault(std::string(where) + ": StartDoc failed");
        run.pagesDone = run.pagesWanted;
        return;
    }
    const long firstPass = duplex ? (pages + 1) / 2 : pages;
    long markedPages = 0;
    for (long page = 1; page <= pages; ++page) {
        const bool secondPass = page > firstPass;
        if (page == firstPass + 1) job.Escape(static_cast<int>(ESC_MANUAL_DUPLEX_PROMPT), 0, nullptr, 0, nullptr);
        if (secondPass) {
            job.Escape(static_cast<int>(ESC_BEGIN_MANUAL_DUPLEX), 0, nullptr, 0, nullptr);
            ++run.secondPassPages;
        }
        const long textsBefore = job.drawnTexts;
        if (job.StartPage() <= 0) run.Fault(std::string(where) + ": StartPage failed");
        if (kind.viaEscape && run.withPlugins) SendRequest(job, static_cast<int32_t>(page), job.publicDevmode());
        DrawContent(job.dc(), page);
        if (job.EndPage() <= 0) run.Fault(std::string(where) + ": EndPage failed");
        if (job.drawnTexts > textsBefore) ++markedPages;
        ++run.pagesDone;
    }
    const long textsBeforeEnd = job.drawnTexts;
    if (job.EndDoc() <= 0) run.Fault(std::string(where) + ": EndDoc failed");
    ++run.jobs;
    if (!run.withPlugins) return;
    // Requests are refused on second-pass pages, like page events.
    const long expectMarked = kind.enabled ? firstPass : 0;
    if (markedPages != expectMarked) {
        char line[200];
        std::snprintf(line, sizeof(line), "%s: %ld pages carried a watermark, %ld expected", where, markedPages,
                      expectMarked);
        run.Fault(line);
    }
    if (fax) {
        if (job.drawnTexts == textsBeforeEnd) run.Fault(std::string(where) + ": no cover page drawn");
        ++run.coverPages;
    }
}

long ParsePages(int argc, char **argv, long *interval, bool *withPlugins) {
    long pages = 1000;
    *interval = 200;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--without-plugins") == 0) {
            *withPlugins = false;
        } else if (std::strcmp(argv[i], "--full") == 0) {
            pages = 10000;
            *interval = 1000;
        } else if (std::strcmp(argv[i], "--pages") == 0 && i + 1 < argc) {
            pages = std::atol(argv[++i]);
            *interval = pages >= 10000 ? 1000 : std::max(10L, pages / 5);
        } else {
            std::printf("usage: long_job [--full | --pages N] [--without-plugins]\n");
            return 0;
        }
    }
    return pages;
}

}  // namespace

int main(int argc, char **argv) {
    Run run;
    run.pagesWanted = ParsePages(argc, argv, &run.interval, &run.withPlugins);
    if (run.pagesWanted <= 0) return 2;

    std::wstring error;
    if (!testbed::EnsurePrinter(Printer(), &error)) {
        std::printf("no test printer: %s\n", Narrow(error).c_str());
        return 1;
    }
    longjob::JobUser user;
    if (!user.ok()) {
        std::printf("uiplug.dll does not import GetJobW\n");
        return 1;
    }
    testbed::PromptAnswerer prompts;
    if (!prompts.ok()) {
        std::printf("uiplug.dll does not import CreateProcessW\n");
        return 1;
    }
    // Wine's dialogs realise a set of some twenty GDI objects of their own once,
    // at one of the first few dialogs a process shows; a few prompts answered
    // before the run keep that out of the figures.
    prompts.WarmUp(8);
    const std::wstring output = testbed::ScratchDir(L"long_job") + L"\\job.ps";
    // Each stretch between checkpoints runs one job of every kind, so the
    // first stretch (the warm-up) has done everything once and every later
    // one does the same things again.
    const long pagesPerJob = std::max(1L, run.interval / static_cast<long>(kKindCount));
    std::printf("%ld pages in jobs of %ld, figures every %ld pages\n", run.pagesWanted, pagesPerJob, run.interval);
    runfigures::PrintHeader();
    runfigures::Figures start = runfigures::Measure();
    runfigures::PrintRow(start);
    const double t0 = NowMs();
    run.intervalStart = t0;
    while (run.pagesDone < run.pagesWanted) {
        const size_t index = static_cast<size_t>(run.jobs);
        const Kind &kind = kKinds[index % kKindCount];
        const bool fax = index % 2 == 1;
        // Two prompts in every ten jobs: closing one costs Wine two seconds
        // (it waits for the X server to confirm the window gone).
        const bool duplex = index % 5 == 2;
        const long pages = std::min(pagesPerJob, run.pagesWanted - run.pagesDone);
        PrintJob(run, pages, kind, fax, duplex, output);
        const long last = run.checkpoints.empty() ? 0 : run.checkpoints.back().pages;
        if (run.pagesDone - last >= run.interval || run.pagesDone >= run.pagesWanted) run.Checkpoint();
    }
    const double seconds = (NowMs() - t0) / 1000.0;
    DeleteFileW(output.c_str());

    std::printf("%ld pages in %ld jobs (%ld second-pass pages, %ld fax cover pages) in %.1f s\n", run.pagesDone,
                run.jobs, run.secondPassPages, run.coverPages, seconds);
    std::printf("%ld prompts answered in %.1f s, %.1f s in starting jobs (plug-ins loaded, device context made)\n",
                prompts.answered(), prompts.milliseconds() / 1000.0, run.startMs / 1000.0);
    if (!prompts.fault().empty()) run.Fault("prompt: " + Narrow(prompts.fault()));
    if (prompts.started() != prompts.answered()) run.Fault("not every prompt was answered");

    // The first checkpoint is the end of the warm-up: the first job's loads
    // and Wine's caches have settled by then.
    const runfigures::Tolerance tolerance;
    std::printf("tolerance after warm-up: GDI objects +%ld, user objects +%ld, handles +%ld, heap +%lld bytes\n",
                tolerance.gdiObjects, tolerance.userObjects, tolerance.handles, tolerance.heapBytes);
    if (run.checkpoints.size() >= 2) {
        std::printf("first and last checkpoint:\n");
        runfigures::PrintHeader();
        runfigures::PrintRow(run.checkpoints.front());
        runfigures::PrintRow(run.checkpoints.back());
    }
    for (const std::string &g : runfigures::GrowthBeyond(run.checkpoints, 0, tolerance)) run.Fault(g);
    for (const std::string &f : run.faults) std::printf("FAIL: %s\n", f.c_str());
    std::printf(run.faults.empty() ? "long job: flat\n" : "long job: FAILED\n");
    return run.faults.empty() ? 0 : 1;
}
