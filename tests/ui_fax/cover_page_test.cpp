// The cover page as the printer prints it: the job goes through Wine's
// PostScript driver and Ghostscript, and the rules and text blocks are looked
// for in the pixels where the layout puts them.
#include <gtest/gtest.h>

#include "tests/ui_fax/cover_print.h"
#include "ui/output/fax_cover.h"

using namespace faxtest;
using testbed::Picture;

namespace {

std::string Narrow(const std::wstring &s) { return std::string(s.begin(), s.end()); }

// Prints one cover page and renders it.
struct RenderedCover {
    Quantities q{};
    DeviceGeometry g{};
    Picture page;
    bool drawn = false;
    std::string job;
};

RenderedCover PrintCover(const wchar_t *name, const PrivateDevmode &settings, short jobOrientation,
                         int sheetCount = 3) {
    RenderedCover out;
    OpenTestPrinter printer;
    const DEVMODEW devmode = JobDevmode(jobOrientation);
    std::wstring job = PrintDocument(name, [&](HDC dc) {
        out.g = GeometryOf(dc);
        out.drawn = DrawFaxCoverPage(dc, printer.handle, &settings, &devmode, sheetCount);
    });
    EXPECT_FALSE(job.empty());
    EXPECT_TRUE(out.drawn);
    out.q = QuantitiesFor(out.g.physicalWidth, out.g.physicalHeight, jobOrientation);
    out.job = testbed::ReadFileBytes(job);
    std::vector<Picture> pages;
    std::wstring error;
    EXPECT_TRUE(Render(job, name, &pages, &error)) << Narrow(error);
    EXPECT_EQ(pages.size(), 1u);
    if (!pages.empty()) out.page = std::move(pages[0]);
    return out;
}

// Device y to page row, device x to page column.
int Row(const RenderedCover &c, int y) { return y + c.g.offsetY; }
int Col(const RenderedCover &c, int x) { return x + c.g.offsetX; }

// A rule expected at device row y with a pen of `width` pixels.
void ExpectRule(const RenderedCover &c, const RuleBand &band, int y, int width, const char *what) {
    SCOPED_TRACE(what);
    EXPECT_NEAR(band.Middle(), Row(c, y), 2);
    EXPECT_NEAR(band.Thickness(), width, 2);
}

// Rows of the text line that starts at device row y in a font of `pixels`.
RECT LineArea(const RenderedCover &c, int y, int pixels) {
    return RECT{0, Row(c, y), c.page.width, Row(c, y) + pixels};
}

}  // namespace

TEST(FaxCoverPage, AllPartsLandWhereTheLayoutPutsThem) {
    const RenderedCover c = PrintCover(L"fax-all-parts", FaxSettings(7), DMORIENT_PORTRAIT);
    ASSERT_GT(c.page.width, 0);
    const Quantities &q = c.q;
    const int thick = q.S / 300, thin = q.S / 500;
    const int valuePixels = q.S / 400 * 300 / 72, labelPixels = q.S / 300 * 300 / 72;

    const std::vector<RuleBand> rules = FindRules(c.page, (q.R - q.L) * 9 / 10);
    ASSERT_EQ(rules.size(), 5u);
    ExpectRule(c, rules[0], 2 * q.T, thick, "under the title");
    ExpectRule(c, rules[1], 3 * q.T + q.D, thin, "under the page count");
    ExpectRule(c, rules[2], 4 * q.T + 4 * q.D, thin, "under the recipient");
    ExpectRule(c, rules[3], 5 * q.T + 11 * q.D, thin, "under the sender");
    ExpectRule(c, rules[4], q.Y - q.T, thick, "footer");
    EXPECT_GT(rules[0].Thickness(), rules[1].Thickness());
    for (const RuleBand &r : rules) {
        // Round line caps reach half a pen width beyond each end.
        EXPECT_NEAR(r.left, Col(c, q.L), thick / 2 + 2);
        EXPECT_NEAR(r.right, Col(c, q.R), thick / 2 + 2);
    }

    RECT title{};
    ASSERT_TRUE(InkIn(c.page, RECT{0, Row(c, q.T), c.page.width, rules[0].top - 1}, &title));
    EXPECT_NEAR(title.left, Col(c, q.L), 12);
    EXPECT_GE(title.top, Row(c, q.T));
    EXPECT_LT(title.top, Row(c, q.T) + q.S / 200 * 300 / 72 / 2);

    // Labels start at the margin, values one indent further in.
    struct Line {
        int y;
        int x;
        int pixels;
        const char *what;
    } lines[] = {
        {3 * q.T, q.L, labelPixels, "page count label"},
        {3 * q.T + 2 * q.D, q.L, labelPixels, "To:"},
        {4 * q.T + 2 * q.D, q.L + q.I, valuePixels, "recipient name"},
        {4 * q.T + 3 * q.D, q.L + q.I, valuePixels, "recipient fax"},
        {4 * q.T + 5 * q.D, q.L, labelPixels, "From:"},
        {5 * q.T + 5 * q.D, q.L + q.I, valuePixels, "sender name"},
        {5 * q.T + 10 * q.D, q.L + q.I, valuePixels, "sender e-mail"},
        {5 * q.T + 12 * q.D, q.L, labelPixels, "Comments:"},
        {6 * q.T + 12 * q.D, q.L + q.I, valuePixels, "comments"},
    };
    for (const Line &l : lines) {
        SCOPED_TRACE(l.what);
        RECT ink{};
        ASSERT_TRUE(InkIn(c.page, LineArea(c, l.y, l.pixels), &ink));
        EXPECT_NEAR(ink.left, Col(c, l.x), 6);
        EXPECT_GE(ink.top, Row(c, l.y));
    }
}

TEST(FaxCoverPage, RecipientOnlyKeepsTheSpaceOfTheOtherBlocks) {
    const RenderedCover c = PrintCover(L"fax-recipient-only", FaxSettings(kCoverRecipient), DMORIENT_PORTRAIT);
    ASSERT_GT(c.page.width, 0);
    const Quantities &q = c.q;
    const int thick = q.S / 300, thin = q.S / 500;

    const std::vector<RuleBand> rules = FindRules(c.page, (q.R - q.L) * 9 / 10);
    ASSERT_EQ(rules.size(), 4u);
    ExpectRule(c, rules[0], 2 * q.T, thick, "under the title");
    ExpectRule(c, rules[1], 3 * q.T + q.D, thin, "under the page count");
    ExpectRule(c, rules[2], 4 * q.T + 4 * q.D, thin, "under the recipient");
    ExpectRule(c, rules[3], q.Y - q.T, thick, "footer where a full page has it");

    EXPECT_TRUE(InkIn(c.page, RECT{0, rules[1].bottom + 1, c.page.width, rules[2].top}));
    RECT ink{};
    EXPECT_FALSE(InkIn(c.page, RECT{0, rules[2].bottom + 1, c.page.width, rules[3].top}, &ink))
        << "ink at rows " << ink.top << ".." << ink.bottom << " where the sender and comments would be";
}

TEST(FaxCoverPage, LandscapeJobOnPortraitDeviceLaysTheLongSideAcross) {
    const RenderedCover c = PrintCover(L"fax-landscape", FaxSettings(7), DMORIENT_LANDSCAPE);
    ASSERT_GT(c.page.width, 0);
    ASSERT_LT(c.g.physicalWidth, c.g.physicalHeight);
    // The device context was made portrait, so Wine writes a portrait page
    // and Ghostscript renders it upright. A driver would have turned the
    // device for a landscape job; here the layout's long side runs off the
    // short side of the page, which is what shows that X is the long side:
    // the rules reach the printable edge instead of stopping at the portrait
    // right end, and the footer sits at the short side's Y - T.
    EXPECT_LT(c.page.width, c.page.height);
    const Quantities &q = c.q;
    ASSERT_EQ(q.X, c.g.physicalHeight);
    const Quantities portrait = QuantitiesFor(c.g.physicalWidth, c.g.physicalHeight, DMORIENT_PORTRAIT);

    const std::vector<RuleBand> rules = FindRules(c.page, c.g.printableWidth * 8 / 10);
    ASSERT_EQ(rules.size(), 5u);
    ExpectRule(c, rules[0], 2 * q.T, q.S / 300, "under the title");
    ExpectRule(c, rules[1], 3 * q.T + q.D, q.S / 500, "under the page count");
    ExpectRule(c, rules[2], 4 * q.T + 4 * q.D, q.S / 500, "under the recipient");
    ExpectRule(c, rules[3], 5 * q.T + 11 * q.D, q.S / 500, "under the sender");
    ExpectRule(c, rules[4], q.Y - q.T, q.S / 300, "footer");
    for (const RuleBand &r : rules) {
        EXPECT_NEAR(r.left, Col(c, q.L), q.S / 600 + 2);
        EXPECT_GE(r.right, Col(c, c.g.printableWidth) - 3);
        EXPECT_GT(r.right, Col(c, portrait.R) + 100);
    }
}

TEST(FaxCoverPage, LongCommentsWrapInsideTheCommentBox) {
    PrivateDevmode settings = FaxSettings(kCoverComments);
    const wchar_t *sentence = L"The figures for the third quarter follow on the next pages, with notes. ";
    settings.fax.comments[0] = L'\0';
    while (wcslen(settings.fax.comments) + wcslen(sentence) < 600) wcscat(settings.fax.comments, sentence);
    const RenderedCover c = PrintCover(L"fax-comments", settings, DMORIENT_PORTRAIT);
    ASSERT_GT(c.page.width, 0);
    const Quantities &q = c.q;

    const RECT box{Col(c, q.L + q.I), Row(c, 6 * q.T + 12 * q.D), Col(c, q.R - q.I), Row(c, q.Y - q.T)};
    const RECT band{0, box.top, c.page.width, box.bottom - q.S / 300};
    RECT ink{};
    ASSERT_TRUE(InkIn(c.page, band, &ink));
    EXPECT_GE(ink.left, box.left - 2);
    EXPECT_LE(ink.right, box.right + 2);
    // 600 characters at this size need several lines across the box.
    EXPECT_GE(TextLinesIn(c.page, band), 4);
    // The wrapped lines fill the box: the longest reaches near its right end.
    EXPECT_GT(ink.right, box.right - (box.right - box.left) / 5);
}
