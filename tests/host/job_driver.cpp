#include "tests/host/job_driver.h"

#include <winspool.h>

#include <cstdarg>
#include <cstdio>

#include "tests/host/driver_nup.h"

namespace testbed {
namespace {

// The driver's procedures for one page per sheet: LH is its show-page.
constexpr char kPlainProlog[] = "/LH {showpage} bind def\n";

constexpr int kPageWidth = 612;  // US Letter, the test printer's default
constexpr int kPageHeight = 792;

std::string Format(const char *format, ...) {
    char buffer[512];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    return buffer;
}

// Jobs of several threads each get a folder of their own.
std::wstring FreshJobFile() {
    static volatile LONG serial = 0;
    return ScratchDir((L"job" + std::to_wstring(InterlockedIncrement(&serial))).c_str()) + L"\\job.prn";
}

}  // namespace

JobDriver::JobDriver(RenderHost &host, HostDevice &device) : host_(host), device_(device) {}

void JobDriver::Emit(const std::string &text) { stream_ += text; }

bool JobDriver::Inject(DWORD index) {
    const std::string &spooled = host_.core().Spooled();
    size_t before = spooled.size();
    InjectionCall call;
    call.index = index;
    call.page = index >= PSINJECT_PAGENUMBER ? page_ : 0;
    call.result = 0xFFFFFFFF;
    call.hr = host_.plugin()->Command(device_.dev(), index, nullptr, 0, &call.result);
    call.text = host_.core().Spooled().substr(before);
    Emit(call.text);
    calls_.push_back(call);
    return SUCCEEDED(call.hr) && call.result == ERROR_SUCCESS;
}

// The driver buffers its output and hands it on in pieces; a plug-in that
// implements WritePrinter receives every piece instead of the spooler.
void JobDriver::Flush() {
    if (flushed_ == stream_.size()) return;
    auto *data = const_cast<char *>(stream_.data() + flushed_);
    DWORD size = static_cast<DWORD>(stream_.size() - flushed_);
    DWORD written = 0;
    if (probeAnswer == S_OK) {
        writeAnswers.push_back(host_.plugin()->WritePrinter(device_.dev(), data, size, &written));
    } else if (spoolerJob_) {
        ::WritePrinter(device_.printer.get(), data, size, &written);
    }
    bytesWritten_ += written;
    flushed_ = stream_.size();
}

void JobDriver::EmitHeader() {
    Inject(PSINJECT_BEGINSTREAM);
    Inject(PSINJECT_PSADOBE);
    Emit("%!PS-Adobe-3.0\n");
    std::string title(setup_.documentName.begin(), setup_.documentName.end());
    for (char &c : title)
        if (c < 0x20) c = ' ';
    Emit("%%Title: " + title + "\n");
    Emit("%%Creator: driver test host\n");
    Emit(Format("%%%%BoundingBox: 0 0 %d %d\n", kPageWidth, kPageHeight));
    Emit("%%LanguageLevel: 2\n");
    if (!Inject(PSINJECT_PAGESATEND)) Emit("%%Pages: (atend)\n");
    Inject(PSINJECT_COMMENTS);
    Emit("%%EndComments\n");
}

void JobDriver::EmitProlog() {
    Emit("%%BeginProlog\n");
    Inject(PSINJECT_BEGINPROLOG);
    Emit(NupOn() ? DriverNupProlog() : kPlainProlog);
    Inject(PSINJECT_ENDPROLOG);
    Emit("%%EndProlog\n");
}

void JobDriver::EmitSetup() {
    Emit("%%BeginSetup\n");
    Inject(PSINJECT_BEGINSETUP);
    Emit(Format("<< /PageSize [%d %d] >> setpagedevice\n", kPageWidth, kPageHeight));
    if (NupOn()) Emit("/$m matrix currentmatrix def\n");
    Inject(PSINJECT_ENDSETUP);
    Emit("%%EndSetup\n");
}

// Under N-up the driver lays out a sheet at its first page: the layout
// (angle, border width, page size, grid) and the first slot. The following
// pages move on through LH.
void JobDriver::EmitPageSetup() {
    if (!NupOn() || (page_ - 1) % setup_.pagesPerSheet != 0) return;
    NupGrid grid = NupGridFor(setup_.pagesPerSheet);
    Emit(Format("0 0 %d %d %d %d definenup\n", kPageWidth, kPageHeight, grid.columns, grid.rows));
    Emit("0 0 startnup\n");
}

bool JobDriver::StartDoc(const JobSetup &setup, std::wstring *error) {
    setup_ = setup;
    jobFile_ = setup.jobFile.empty() ? FreshJobFile() : setup.jobFile;
    // The helper reports the driver's own N-up setting.
    host_.core().SetFeature("%PagePerSheet", {"1", "2", "4", "6", "9", "16", "Booklet"},
                            std::to_string(setup.pagesPerSheet));

    // GDI starts the spooler's job before the driver sees the document.
    DOC_INFO_1W info{const_cast<wchar_t *>(setup_.documentName.c_str()), const_cast<wchar_t *>(jobFile_.c_str()),
                     const_cast<wchar_t *>(L"RAW")};
    DWORD job = StartDocPrinterW(device_.printer.get(), 1, reinterpret_cast<BYTE *>(&info));
    if (!job) {
        *error = L"StartDocPrinterW failed: " + std::to_wstring(GetLastError());
        return false;
    }
    spoolerJob_ = true;
    if (!host_.CallStartDoc(device_, setup_.documentName.c_str(), setup_.jobId)) {
        *error = L"DrvStartDoc failed";
        return false;
    }
    // Whether the plug-in takes the output over: the driver's probe call.
    probeAnswer = host_.plugin()->WritePrinter(nullptr, nullptr, 0, nullptr);

    EmitHeader();
    EmitProlog();
    EmitSetup();
    Flush();
    return true;
}

void JobDriver::StartPage() {
    ++page_;
    // The plug-in's page comment stands in for the driver's own.
    if (!Inject(PSINJECT_PAGENUMBER)) Emit(Format("%%%%Page: %d %d\n", page_, page_));
    Emit("%%BeginPageSetup\n");
    Inject(PSINJECT_BEGINPAGESETUP);
    EmitPageSetup();
    Inject(PSINJECT_ENDPAGESETUP);
    Emit("%%EndPageSetup\n");
    Emit(Format("/Helvetica findfont 48 scalefont setfont 200 400 moveto (Page %d) show\n", page_));
    Emit("36 36 72 72 rectfill\n");
}

void JobDriver::Draw(const std::string &postscript) { Emit(postscript); }

void JobDriver::EndPage() {
    Inject(PSINJECT_SHOWPAGE);
    Emit("LH\n");
    Emit("%%PageTrailer\n");
    Inject(PSINJECT_PAGETRAILER);
    Flush();
}

bool JobDriver::EndDoc(std::wstring *error) {
    Emit("%%Trailer\n");
    Inject(PSINJECT_TRAILER);
    if (NupOn()) Emit("finalpage\n");
    if (!Inject(PSINJECT_PAGES)) Emit(Format("%%%%Pages: %d\n", page_));
    Emit("%%EOF\n");
    Inject(PSINJECT_EOF);
    Inject(PSINJECT_ENDSTREAM);
    Flush();
    if (spoolerJob_ && !EndDocPrinter(device_.printer.get())) {
        *error = L"EndDocPrinter failed: " + std::to_wstring(GetLastError());
        return false;
    }
    spoolerJob_ = false;
    return true;
}

bool JobDriver::Run(const JobSetup &setup, int pages, std::wstring *error) {
    if (!StartDoc(setup, error)) return false;
    for (int i = 0; i < pages; ++i) Page();
    return EndDoc(error);
}

std::string JobDriver::TextAt(DWORD index, size_t occurrence) const {
    for (const InjectionCall &call : calls_) {
        if (call.index != index) continue;
        if (occurrence == 0) return call.text;
        --occurrence;
    }
    return {};
}

std::string JobDriver::PageText(int page) const {
    std::string text;
    for (const InjectionCall &call : calls_)
        if (call.page == page) text += call.text;
    return text;
}

}  // namespace testbed
