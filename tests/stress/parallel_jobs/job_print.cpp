#include "tests/stress/parallel_jobs/job_print.h"

#include <winspool.h>

#include <cwchar>

#include "platform/escape_codes.h"
#include "platform/raii.h"
#include "sample/injection_recorder.h"
#include "sample/job_splice.h"
#include "tests/host/gdi_events.h"
#include "tests/stress/parallel_jobs/printer.h"
#include "tests/stress/parallel_jobs/spooler_users.h"

namespace parallel {
namespace {

constexpr wchar_t kDriverOutput[] = L"\\driver.ps";
constexpr wchar_t kJobFile[] = L"\\job.prn";
constexpr wchar_t kSpooledForFile[] = L"\\spooled.prn";

// The printer description's features as the driver's helper reports them.
void DescribePrinter(testbed::FakeCorePs &core, const JobSpec &job) {
    core.SetFeature("%PagePerSheet", {"1", "2", "4", "6", "9", "16", "Booklet"}, std::to_string(job.pagesPerSheet));
    for (const char *installed : {"FaxCard", "HasPrintandHold", "HasKeepPreviousPHJobs"})
        core.SetFeature(installed, {"True", "False"}, "True");
    if (job.manualDuplex) core.SetFeature("HasManualDuplex", {"True", "False"}, "True");
}

// The page size in points, for the driver's N-up layout.
sample::SheetLayout LayoutOf(HDC dc, int pagesPerSheet) {
    sample::SheetLayout layout;
    layout.pagesPerSheet = pagesPerSheet;
    const int dpiX = GetDeviceCaps(dc, LOGPIXELSX), dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    if (dpiX > 0 && dpiY > 0) {
        layout.pageWidth = MulDiv(GetDeviceCaps(dc, PHYSICALWIDTH), 72, dpiX);
        layout.pageHeight = MulDiv(GetDeviceCaps(dc, PHYSICALHEIGHT), 72, dpiY);
    }
    return layout;
}

// The application's own drawing of a page.
void DrawContent(HDC dc, const JobSpec &job, int page) {
    wchar_t line[128];
    std::swprintf(line, 128, L"%ls, page %d of %d", job.document.c_str(), page, job.pages);
    TextOutW(dc, 300, 300, line, static_cast<int>(wcslen(line)));
    Rectangle(dc, 300, 500, 1500, 900 + 40 * (page % 10));
}

// The driver hands the finished job on in pieces; the plug-in that answers
// the driver's probe takes every piece and decides where it goes.
bool SendJob(testbed::RenderHost &host, testbed::HostDevice &device, const sample::SplicedJob &job,
             const std::wstring &docName, const std::wstring &spoolFile, std::wstring *error) {
    DOC_INFO_1W info{const_cast<wchar_t *>(docName.c_str()), const_cast<wchar_t *>(spoolFile.c_str()),
                     const_cast<wchar_t *>(L"RAW")};
    if (!StartDocPrinterW(device.printer.get(), 1, reinterpret_cast<BYTE *>(&info))) {
        *error = L"the spooler did not start the job (error " + std::to_wstring(GetLastError()) + L")";
        return false;
    }
    if (host.plugin()->WritePrinter(nullptr, nullptr, 0, nullptr) != S_OK) {
        EndDocPrinter(device.printer.get());
        *error = L"renderplug does not take the job's output";
        return false;
    }
    bool sent = true;
    auto send = [&](const std::string &piece) {
        DWORD written = 0;
        const HRESULT hr = host.plugin()->WritePrinter(device.dev(), const_cast<char *>(piece.data()),
                                                       static_cast<DWORD>(piece.size()), &written);
        sent = sent && hr == S_OK;
    };
    send(job.head);
    for (const std::string &page : job.pages) send(page);
    send(job.tail);
    const bool ended = EndDocPrinter(device.printer.get()) != 0;
    if (!sent) *error = L"renderplug's WritePrinter failed";
    else if (!ended) *error = L"the spooler did not finish the job";
    return sent && ended;
}

// The application's pages. A manual-duplex job asks for side one, prints
// its first half, asks for the prompt and side two, and prints the rest as
// the second pass.
bool PrintPages(testbed::GdiJob &gdi, const JobSpec &job, std::wstring *error) {
    const int firstPass = job.manualDuplex ? (job.pages + 1) / 2 : job.pages;
    if (job.manualDuplex) gdi.Escape(static_cast<int>(ESC_REQUEST_SIDE_ONE), 0, nullptr, 0, nullptr);
    for (int page = 1; page <= job.pages; ++page) {
        if (page == firstPass + 1) {
            gdi.Escape(static_cast<int>(ESC_MANUAL_DUPLEX_PROMPT), 0, nullptr, 0, nullptr);
            gdi.Escape(static_cast<int>(ESC_REQUEST_SIDE_TWO), 0, nullptr, 0, nullptr);
        }
        if (page > firstPass) gdi.Escape(static_cast<int>(ESC_BEGIN_MANUAL_DUPLEX), 0, nullptr, 0, nullptr);
        if (gdi.StartPage() <= 0) {
            *error = L"StartPage failed on page " + std::to_wstring(page);
            return false;
        }
        DrawContent(gdi.dc(), job, page);
        if (gdi.EndPage() <= 0) {
            *error = L"EndPage failed on page " + std::to_wstring(page);
            return false;
        }
    }
    return true;
}

std::vector<std::wstring> DrawnTexts(const testbed::GdiJob &gdi) {
    std::vector<std::wstring> texts;
    for (const testbed::EventRecord &event : gdi.events)
        texts.insert(texts.end(), event.texts.begin(), event.texts.end());
    return texts;
}

struct JobFiles {
    std::wstring driverOutput, jobFile, spooledForFile, fileDestination;
    ~JobFiles() {
        for (const std::wstring *f : {&driverOutput, &jobFile, &spooledForFile, &fileDestination})
            if (!f->empty()) DeleteFileW(f->c_str());
    }
};

}  // namespace

bool PrintJob(const JobSpec &job, const std::wstring &folder, JobOutput *out, std::wstring *error) {
    JobFiles files{folder + kDriverOutput, folder + kJobFile, folder + kSpooledForFile,
                   job.destination == DEST_FILE ? job.outputFile : L""};
    testbed::GdiJobOptions options;
    options.printer = TestPrinter();
    testbed::GdiJob gdi(options);
    if (!gdi.Start(error)) return false;
    testbed::HostDevice *device = gdi.renderDevice();
    if (!device || !device->host || !gdi.settings() || !gdi.publicDevmode()) {
        *error = L"the renderer's device was not found behind the device context";
        return false;
    }
    testbed::RenderHost &render = *device->host;
    FillSettings(job, gdi.settings());
    if (job.manualDuplex) {
        gdi.publicDevmode()->dmDuplex = DMDUP_VERTICAL;
        gdi.publicDevmode()->dmFields |= DM_DUPLEX;
    }
    DescribePrinter(render.core(), job);

    sample::InjectionRecorder recorder(render, *device);
    gdi.driverStartPage = [&recorder] { recorder.StartPage(); };
    gdi.driverEndPage = [&recorder] { recorder.EndPage(); };
    const int jobId = gdi.StartDocument(job.document.c_str(), files.driverOutput);
    if (jobId <= 0) {
        *error = L"StartDoc failed";
        return false;
    }
    SpoolerUsers::Set(static_cast<DWORD>(jobId), job.user);
    auto forget = scope_exit([jobId] { SpoolerUsers::Forget(static_cast<DWORD>(jobId)); });
    // The one time a job's output shows: the same in its lone and its
    // parallel print (job_compare.h).
    gdi.state()->jobStartTime = job.startTime;
    recorder.StartDoc();
    if (!PrintPages(gdi, job, error)) {
        gdi.EndDoc();
        return false;
    }
    if (gdi.EndDoc() <= 0) {
        *error = L"EndDoc failed";
        return false;
    }
    recorder.EndDoc();
    out->pages = recorder.pages();
    out->drawnTexts = DrawnTexts(gdi);

    sample::SplicedJob spliced;
    std::string spliceError;
    if (!sample::SpliceJob(testbed::ReadFileBytes(files.driverOutput), recorder.injections(),
                           LayoutOf(gdi.dc(), job.pagesPerSheet), &spliced, &spliceError)) {
        *error = std::wstring(spliceError.begin(), spliceError.end());
        return false;
    }
    const bool toFile = job.destination == DEST_FILE;
    if (!SendJob(render, *device, spliced, job.document, toFile ? files.spooledForFile : files.jobFile, error))
        return false;
    out->bytes = testbed::ReadFileBytes(toFile ? files.fileDestination : files.jobFile);
    if (out->bytes.empty()) {
        *error = toFile ? L"the File destination's file is empty" : L"the printer received nothing";
        return false;
    }
    return true;
}

}  // namespace parallel
