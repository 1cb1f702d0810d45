#include "tests/stress/corruption/wine_residue.h"

#include "platform/raii.h"
#include "tests/host/gdi_events.h"
#include "tests/host/process_usage.h"

namespace stress {
namespace {

constexpr int kPages = 2;
constexpr int kCallsPerPage = 4;

// GDI objects one ended document of kPages pages, each with kCallsPerPage
// text calls in the given font, left behind.
long DocumentGrowth(testbed::GdiJob &job, const std::wstring &output, bool lined) {
    LOGFONTW face{};
    face.lfHeight = -120;
    face.lfUnderline = lined;
    face.lfStrikeOut = lined;
    lstrcpynW(face.lfFaceName, L"Arial", LF_FACESIZE);
    unique_hfont font(CreateFontIndirectW(&face));
    if (!font) return 0;
    const long before = static_cast<long>(testbed::GdiObjectCount());
    if (job.StartDocument(L"residue", output) <= 0) return 0;
    for (int page = 0; page < kPages; ++page) {
        job.StartPage();
        {
            select_object_guard selected(job.dc(), font.get());
            for (int call = 0; call < kCallsPerPage; ++call) {
                SetTextColor(job.dc(), RGB(call * 40, 0, 0));
                ExtTextOutW(job.dc(), 100, 100 + call * 150, 0, nullptr, L"Lined", 5, nullptr);
            }
        }
        job.EndPage();
    }
    job.EndDoc();
    return static_cast<long>(testbed::GdiObjectCount()) - before;
}

}  // namespace

long LinedTextResidue(const testbed::PrinterSetup &printer, const std::wstring &output) {
    testbed::GdiJobOptions options;
    options.printer = printer;
    options.withPlugins = false;
    testbed::GdiJob job(options);
    std::wstring why;
    if (!job.Start(&why)) return 0;
    DocumentGrowth(job, output, true);  // first-use allocations
    const long plain = DocumentGrowth(job, output, false);
    const long lined = DocumentGrowth(job, output, true);
    const long kept = lined - plain;
    return kept > 0 ? kept / (kPages * kCallsPerPage) : 0;
}

}  // namespace stress
