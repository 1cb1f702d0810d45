#include "sample/print_run.h"

#include <winddiui.h>
#include <winspool.h>

#include <string>

#include "platform/raii.h"
#include "sample/injection_recorder.h"
#include "sample/job_settings.h"
#include "sample/job_splice.h"
#include "tests/host/gdi_events.h"
#include "tests/host/import_patch.h"
#include "ui/watermark/store.h"

namespace sample {
namespace {

constexpr wchar_t kDriverOutput[] = L"driver.ps";
constexpr wchar_t kSpooledForFile[] = L"spooled.prn";

// The printer description's features as the driver's helper reports them:
// the printer has a fax card and print-and-hold, and keeps or deletes earlier
// held jobs of the same name.
void DescribePrinter(testbed::FakeCorePs &core, int pagesPerSheet) {
    core.SetFeature("%PagePerSheet", {"1", "2", "4", "6", "9", "16", "Booklet"}, std::to_string(pagesPerSheet));
    for (const char *installed : {"FaxCard", "HasPrintandHold", "HasKeepPreviousPHJobs"})
        core.SetFeature(installed, {"True", "False"}, "True");
}

// A user who has never had the driver's watermarks gets the ones its
// installation creates, as on a machine where the driver was just installed.
void EnsureWatermarkStore(IPrintOemUI2 *ui, HANDLE printer, const std::wstring &driverName) {
    unique_hkey key;
    if (OpenWatermarksKeyForRead(printer, &key)) return;
    DRIVER_INFO_1W info{const_cast<wchar_t *>(driverName.c_str())};
    ui->DriverEvent(DRIVER_EVENT_INITIALIZE, 1, reinterpret_cast<BYTE *>(&info), 0);
}

// The application asks for its copies in the devmode of its device context;
// the driver and the plug-ins read them from the job's public devmode.
void SetCopies(HDC dc, DEVMODEW *devmode, int copies) {
    devmode->dmCopies = static_cast<short>(copies);
    devmode->dmFields |= DM_COPIES;
    ResetDCW(dc, devmode);
}

// The page size in points, for the driver's N-up layout.
SheetLayout LayoutOf(HDC dc, int pagesPerSheet) {
    SheetLayout layout;
    layout.pagesPerSheet = pagesPerSheet;
    const int dpiX = GetDeviceCaps(dc, LOGPIXELSX), dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    if (dpiX > 0 && dpiY > 0) {
        layout.pageWidth = MulDiv(GetDeviceCaps(dc, PHYSICALWIDTH), 72, dpiX);
        layout.pageHeight = MulDiv(GetDeviceCaps(dc, PHYSICALHEIGHT), 72, dpiY);
    }
    return layout;
}

// The rest of the PostScript driver's work in uiplug's own StartPage and
// EndPage (the cover page): after the document event that the test host's
// job raises, the driver reaches the page's injection points.
class DriverPageSteps {
public:
    DriverPageSteps(HDC dc, InjectionRecorder &recorder, HMODULE uiModule)
        : dc_(dc), recorder_(recorder),
          startPage_(uiModule, "gdi32.dll", "StartPage", reinterpret_cast<void *>(&StartPageStep)),
          endPage_(uiModule, "gdi32.dll", "EndPage", reinterpret_cast<void *>(&EndPageStep)) {
        active_ = this;
    }
    ~DriverPageSteps() { active_ = nullptr; }
    DriverPageSteps(const DriverPageSteps &) = delete;
    DriverPageSteps &operator=(const DriverPageSteps &) = delete;

    bool ok() const { return startPage_.ok() && endPage_.ok(); }

private:
    using PageFn = int(WINAPI *)(HDC);

    static int WINAPI StartPageStep(HDC dc) {
        DriverPageSteps *self = active_;
        int result = reinterpret_cast<PageFn>(self->startPage_.original())(dc);
        if (dc == self->dc_ && result > 0) self->recorder_.StartPage();
        return result;
    }
    static int WINAPI EndPageStep(HDC dc) {
        DriverPageSteps *self = active_;
        int result = reinterpret_cast<PageFn>(self->endPage_.original())(dc);
        if (dc == self->dc_) self->recorder_.EndPage();
        return result;
    }

    static DriverPageSteps *active_;
    HDC dc_;
    InjectionRecorder &recorder_;
    ImportPatch startPage_;
    ImportPatch endPage_;
};

DriverPageSteps *DriverPageSteps::active_ = nullptr;

// The driver hands the job on in pieces. A plug-in that answers the driver's
// probe takes every piece, and decides where it goes.
bool SendJob(testbed::RenderHost &host, testbed::HostDevice &device, const SplicedJob &job,
             const std::wstring &docName, const std::wstring &spoolFile, std::wstring *error) {
    DOC_INFO_1W info{const_cast<wchar_t *>(docName.c_str()), const_cast<wchar_t *>(spoolFile.c_str()),
                     const_cast<wchar_t *>(L"RAW")};
    if (!StartDocPrinterW(device.printer.get(), 1, reinterpret_cast<BYTE *>(&info))) {
        *error = L"the spooler did not start the job (error " + std::to_wstring(GetLastError()) + L")";
        return false;
    }
    const bool pluginWrites = host.plugin()->WritePrinter(nullptr, nullptr, 0, nullptr) == S_OK;
    bool sent = true;
    auto send = [&](const std::string &piece) {
        auto *data = const_cast<char *>(piece.data());
        const DWORD size = static_cast<DWORD>(piece.size());
        DWORD written = 0;
        if (pluginWrites)
            sent = sent && host.plugin()->WritePrinter(device.dev(), data, size, &written) == S_OK;
        else
            sent = sent && ::WritePrinter(device.printer.get(), data, size, &written) && written == size;
    };
    send(job.head);
    for (const std::string &page : job.pages) send(page);
    send(job.tail);
    const bool ended = EndDocPrinter(device.printer.get()) != 0;
    if (!sent || !ended) {
        *error = sent ? L"the spooler did not finish the job" : L"the job's output could not be written";
        return false;
    }
    return true;
}

double SecondsSince(const LARGE_INTEGER &start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::wstring Widen(const std::string &text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

bool PrintSample(const SampleOptions &options, const TextDocument &document, const std::wstring &workDir,
                 const std::wstring &jobFile, const Progress &progress, PrintedJob *printed, std::wstring *error) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    const testbed::PrinterSetup printer;
    testbed::GdiJob job;
    if (!job.Start(error)) return false;
    testbed::HostDevice *device = job.renderDevice();
    if (!device || !device->host) {
        *error = L"the renderer's device was not found behind the device context";
        return false;
    }
    testbed::RenderHost &render = *device->host;

    EnsureWatermarkStore(job.uiPlugin(), job.printer(), printer.driverName);
    if (!BuildJobSettings(options, job.printer(), jobFile, job.settings(), error)) return false;
    SetCopies(job.dc(), job.publicDevmode(), options.copies);
    DescribePrinter(render.core(), options.pagesPerSheet);

    InjectionRecorder recorder(render, *device);
    DriverPageSteps steps(job.dc(), recorder, testbed::UiPlugModule());
    if (!steps.ok()) {
        *error = L"uiplug.dll does not import StartPage and EndPage";
        return false;
    }
    const std::wstring driverOutput = workDir + L"\\" + kDriverOutput;
    if (!job.StartDocument(document.title.c_str(), driverOutput)) {
        *error = L"the printer device context did not start the document";
        return false;
    }
    recorder.StartDoc();

    const std::vector<LaidOutPage> pages = LayOut(job.dc(), document);
    const int count = static_cast<int>(pages.size());
    for (int i = 0; i < count; ++i) {
        if (job.StartPage() <= 0) {
            *error = L"StartPage failed on page " + std::to_wstring(i + 1);
            return false;
        }
        recorder.StartPage();
        const bool drawn = DrawPage(job.dc(), document, pages[i], i + 1, count);
        if (job.EndPage() <= 0 || !drawn) {
            *error = L"page " + std::to_wstring(i + 1) + L" could not be drawn";
            return false;
        }
        recorder.EndPage();
        progress(L"page " + std::to_wstring(i + 1) + L" of " + std::to_wstring(count) + L" printed");
    }
    if (job.EndDoc() <= 0) {
        *error = L"EndDoc failed";
        return false;
    }
    recorder.EndDoc();
    if (recorder.pages() > count) progress(L"cover page printed");

    const std::string driverPostScript = testbed::ReadFileBytes(driverOutput);
    DeleteFileW(driverOutput.c_str());
    SplicedJob spliced;
    std::string spliceError;
    if (!SpliceJob(driverPostScript, recorder.injections(), LayoutOf(job.dc(), options.pagesPerSheet), &spliced,
                   &spliceError)) {
        *error = Widen(spliceError);
        return false;
    }
    const bool toFile = options.destination == DEST_FILE || options.destination == DEST_EPS;
    const std::wstring spoolFile = toFile ? workDir + L"\\" + kSpooledForFile : jobFile;
    if (!SendJob(render, *device, spliced, document.title, spoolFile, error)) return false;
    if (toFile) DeleteFileW(spoolFile.c_str());

    printed->documentPages = count;
    printed->jobPages = recorder.pages();
    printed->printSeconds = SecondsSince(start);
    printed->eventSeconds = job.pluginSeconds;
    return true;
}

}  // namespace sample
