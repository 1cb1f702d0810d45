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

// Where the count goes: after the page-count label on its line, that is at
// the end of the label's text (blanks included) in the label font (Arial
// bold at S / 300 points), on the label's baseline.
struct CountPlace {
    int x, y, size;
};

HFONT LabelFont(const Quantities &q, int dpi) {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(q.S / 300, dpi, 72);
    lf.lfWeight = FW_BOLD;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfPitchAndFamily = FF_SWISS;
    wcscpy(lf.lfFaceName, L"Arial");
    return CreateFontIndirectW(&lf);
}

CountPlace ExpectedPlace(HDC dc, const Quantities &q, int dpi) {
    HFONT font = LabelFont(q, dpi);
    HGDIOBJ old = SelectObject(dc, font);
    const wchar_t label[] = L"Pages to Follow:   ";
    SIZE extent{};
    GetTextExtentPoint32W(dc, label, static_cast<int>(wcslen(label)), &extent);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    DeleteObject(font);
    return CountPlace{q.L + extent.cx, 3 * q.T + metrics.tmAscent, MulDiv(q.S / 400, dpi, 72)};
}

// Where the label's own ink ends: its text without the trailing blanks.
int LabelInkEnd(HDC dc, const Quantities &q, int dpi) {
    HFONT font = LabelFont(q, dpi);
    HGDIOBJ old = SelectObject(dc, font);
    const wchar_t label[] = L"Pages to Follow:";
    SIZE extent{};
    GetTextExtentPoint32W(dc, label, static_cast<int>(wcslen(label)), &extent);
    SelectObject(dc, old);
    DeleteObject(font);
    return q.L + extent.cx;
}

struct CoverJob {
    std::wstring path;
    std::string bytes;
    CountPlace place{};
    int labelEnd = 0;
    DeviceGeometry g{};
};

CoverJob PrintCoverJob(const wchar_t *name, int sheetCount) {
    CoverJob job;
    OpenTestPrinter printer;
    const PrivateDevmode settings = FaxSettings(7);
    const DEVMODEW devmode = JobDevmode(DMORIENT_PORTRAIT);
    job.path = PrintDocument(name, [&](HDC dc) {
        job.g = GeometryOf(dc);
        const Quantities q = QuantitiesFor(job.g.physicalWidth, job.g.physicalHeight, DMORIENT_PORTRAIT);
        job.place = ExpectedPlace(dc, q, job.g.dpi);
        job.labelEnd = LabelInkEnd(dc, q, job.g.dpi);
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

TEST(FaxCoverJob, PageCountFollowsTheLabelOnItsBaseline) {
    const CoverJob none = PrintCoverJob(L"fax-place-0", 0);
    const CoverJob many = PrintCoverJob(L"fax-place-1234", 1234);
    std::vector<Picture> a, b;
    std::wstring error;
    ASSERT_TRUE(Render(none.path, L"fax-place-0", &a, &error)) << std::string(error.begin(), error.end());
    ASSERT_TRUE(Render(many.path, L"fax-place-1234", &b, &error)) << std::string(error.begin(), error.end());
    ASSERT_EQ(a.size(), 1u);
    ASSERT_EQ(b.size(), 1u);
    RECT digits{};
    ASSERT_TRUE(Difference(a[0], b[0], &digits));

    const Quantities q = QuantitiesFor(many.g.physicalWidth, many.g.physicalHeight, DMORIENT_PORTRAIT);
    const int labelPixels = MulDiv(q.S / 300, many.g.dpi, 72);
    const int top = 3 * q.T + many.g.offsetY;
    // The label is what is inked on its line left of the digits.
    RECT label{};
    ASSERT_TRUE(InkIn(b[0], RECT{0, top, digits.left, top + 2 * labelPixels}, &label));
    EXPECT_NEAR(label.left, q.L + many.g.offsetX, 6);
    EXPECT_NEAR(label.right, many.labelEnd + many.g.offsetX, 6) << "the label's ink ends with its colon";
    // The label's blanks lie between its colon and the first digit.
    EXPECT_GE(digits.left - label.right, labelPixels / 2);

    // 'P' stands on the baseline, and so do the digits.
    RECT first{};
    ASSERT_TRUE(InkIn(b[0], RECT{label.left, top, label.left + labelPixels / 5, top + 2 * labelPixels}, &first));
    EXPECT_NEAR(first.bottom, many.place.y + many.g.offsetY, 2);
    EXPECT_NEAR(digits.bottom, first.bottom, 2);
}
