// What the cover page puts into the job for the printer itself: the mark that
// makes it the fax cover page and the PostScript that prints the page count.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/ui_fax/cover_print.h"
#include "ui/output/fax_cover.h"

using namespace faxtest;
using testbed::Picture;

namespace {

const std::string kMark =
    "%%Make this page the Fax Cover page: \r\n statusdict /setcoverpage known \n"
    " {statusdict begin true setcoverpage end} if \n";

// x, y, font size, sheet count
const char kCountFormat[] =
    "%d %d moveto \n gsave\n -1 1 scale\n 180 rotate\n /Helvetica findfont\n%d scalefont\nsetfont\n"
    " /strPP 10 string def \n statusdict /pagesprinted known \n"
    " {statusdict begin pagesprinted strPP cvs show end}  {%d strPP cvs show} ifelse \n"
    " grestore\n currentdict /strPP undef \n";

std::string CountText(int x, int y, int size, int sheets) {
    char text[600];
    snprintf(text, sizeof(text), kCountFormat, x, y, size, sheets);
    return text;
}

// Where the count goes: after the page-count label, measured in the value
// font (Arial at S / 400 points) and scaled by the label's pixel size.
struct CountPlace {
    int x, y, size;
};

CountPlace ExpectedPlace(HDC dc, const Quantities &q, int dpi) {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(q.S / 400, dpi, 72);
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfPitchAndFamily = FF_SWISS;
    wcscpy(lf.lfFaceName, L"Arial");
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ old = SelectObject(dc, font);
    const wchar_t label[] = L"Pages to Follow:   ";
    SIZE extent{};
    GetTextExtentPoint32W(dc, label, static_cast<int>(wcslen(label)), &extent);
    SelectObject(dc, old);
    DeleteObject(font);
    const int labelPixels = MulDiv(q.S / 300, dpi, 72);
    return CountPlace{q.L + MulDiv(extent.cx, labelPixels, 72), 3 * q.T + MulDiv(extent.cy, labelPixels, 72) / 2,
                      MulDiv(q.S / 400, dpi, 72)};
}

struct CoverJob {
    std::wstring path;
    std::string bytes;
    CountPlace place{};
    DeviceGeometry g{};
};

CoverJob PrintCoverJob(const wchar_t *name, int sheetCount) {
    CoverJob job;
    OpenTestPrinter printer;
    const PrivateDevmode settings = FaxSettings(7);
    const DEVMODEW devmode = JobDevmode(DMORIENT_PORTRAIT);
    job.path = PrintDocument(name, [&](HDC dc) {
        job.g = GeometryOf(dc);
        job.place = ExpectedPlace(dc, QuantitiesFor(job.g.physicalWidth, job.g.physicalHeight, DMORIENT_PORTRAIT),
                                  job.g.dpi);
        EXPECT_TRUE(DrawFaxCoverPage(dc, printer.handle, &settings, &devmode, sheetCount));
    });
    job.bytes = testbed::ReadFileBytes(job.path);
    return job;
}

// Bounding box of the pixels in which two renderings of a page differ.
bool Difference(const Picture &a, const Picture &b, RECT *box) {
    if (a.width != b.width || a.height != b.height) return false;
    bool any = false;
    RECT r{a.width, a.height, -1, -1};
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x) {
            const uint8_t *p = a.At(x, y), *q = b.At(x, y);
            if (p[0] == q[0] && p[1] == q[1] && p[2] == q[2]) continue;
            any = true;
            if (x < r.left) r.left = x;
            if (x > r.right) r.right = x;
            if (y < r.top) r.top = y;
            if (y > r.bottom) r.bottom = y;
        }
    *box = r;
    return any;
}

}  // namespace

TEST(FaxCoverJob, CarriesTheMarkOnceAndThePageCountFormattedExactly) {
    const CoverJob job = PrintCoverJob(L"fax-job-text", 1234);
    ASSERT_FALSE(job.bytes.empty());
    EXPECT_EQ(CountOf(job.bytes, "%%Page:"), 1);
    EXPECT_EQ(CountOf(job.bytes, kMark), 1);
    const std::string count = CountText(job.place.x, job.place.y, job.place.size, 1234);
    EXPECT_EQ(CountOf(job.bytes, count), 1) << "expected:\n" << count;
    EXPECT_EQ(job.place.size, 25);  // 8.5 x 11 in at 300 dpi: S / 400 = 6 pt

    // Both belong to the cover page, the mark first.
    const size_t page = job.bytes.find("%%Page: 1 1");
    const size_t mark = job.bytes.find(kMark);
    const size_t text = job.bytes.find(count);
    const size_t end = job.bytes.find("showpage", page);
    ASSERT_NE(page, std::string::npos);
    ASSERT_NE(end, std::string::npos);
    EXPECT_LT(page, mark);
    EXPECT_LT(mark, text);
    EXPECT_LT(text, end);
}

TEST(FaxCoverJob, PageCountPrintsTheSheetCountWhereThePrinterKeepsNoCounter) {
    // Ghostscript's statusdict has no pagesprinted, so the count printed is
    // the sheet count passed in; a count of 0 still gives a page.
    const CoverJob none = PrintCoverJob(L"fax-count-0", 0);
    const CoverJob many = PrintCoverJob(L"fax-count-1234", 1234);
    EXPECT_EQ(CountOf(none.bytes, CountText(none.place.x, none.place.y, none.place.size, 0)), 1);

    std::vector<Picture> a, b;
    std::wstring error;
    ASSERT_TRUE(Render(none.path, L"fax-count-0", &a, &error)) << std::string(error.begin(), error.end());
    ASSERT_TRUE(Render(many.path, L"fax-count-1234", &b, &error)) << std::string(error.begin(), error.end());
    ASSERT_EQ(a.size(), 1u);
    ASSERT_EQ(b.size(), 1u);

    // The two pages differ only in the digits, which stand on the baseline at
    // (x, y) and reach up by at most the font size.
    RECT diff{};
    ASSERT_TRUE(Difference(a[0], b[0], &diff));
    const int x = many.place.x + many.g.offsetX, y = many.place.y + many.g.offsetY, size = many.place.size;
    EXPECT_GE(diff.left, x - 2);
    EXPECT_LE(diff.right, x + 4 * size);
    EXPECT_GE(diff.top, y - size);
    EXPECT_LE(diff.bottom, y + 2);
    // Four digits are wider than one.
    EXPECT_GT(diff.right - diff.left, size);
}
