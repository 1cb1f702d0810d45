// Refusals and clean-up: bad inputs start no page, every font and pen made
// for the page is deleted on every path, and the application's device
// context is left as the application set it.
#include <gtest/gtest.h>

#include <cwchar>
#include <vector>

#include "resources/resource.h"
#include "tests/ui_fax/cover_print.h"
#include "ui/frame/module.h"
#include "ui/output/fax_cover.h"

using namespace faxtest;

namespace {

// Makers that use the real GDI functions, keep every handle they hand out,
// and fail the creation numbered failAt (counting from 0 over fonts and pens).
struct MakerLog {
    int failAt = -1;
    int calls = 0;
    std::vector<HGDIOBJ> handles;
};
MakerLog g_makers;

HFONT WINAPI LoggedFont(const LOGFONTW *lf) {
    if (g_makers.calls++ == g_makers.failAt) return nullptr;
    HFONT font = CreateFontIndirectW(lf);
    g_makers.handles.push_back(font);
    return font;
}

HPEN WINAPI LoggedPen(int style, int width, COLORREF color) {
    if (g_makers.calls++ == g_makers.failAt) return nullptr;
    HPEN pen = CreatePen(style, width, color);
    g_makers.handles.push_back(pen);
    return pen;
}

const GdiMakers kLoggedMakers{LoggedFont, LoggedPen};

void ResetMakers(int failAt) { g_makers = MakerLog{failAt, 0, {}}; }

int LiveHandles() {
    int live = 0;
    for (HGDIOBJ h : g_makers.handles)
        if (GetObjectType(h) != 0) ++live;
    return live;
}

int PagesIn(const std::wstring &job) { return CountOf(testbed::ReadFileBytes(job), "%%Page:"); }

}  // namespace

TEST(FaxCoverRefusals, BadInputsStartNoPage) {
    OpenTestPrinter printer;
    ASSERT_NE(printer.handle, nullptr);
    const PrivateDevmode good = FaxSettings(7);
    PrivateDevmode noParts = FaxSettings(0);
    PrivateDevmode unknownPartOnly = FaxSettings(8);
    const DEVMODEW devmode = JobDevmode(DMORIENT_PORTRAIT);

    struct Case {
        const char *what;
        bool useDc;
        HANDLE printer;
        const PrivateDevmode *settings;
        const DEVMODEW *devmode;
        int sheets;
    } cases[] = {
        {"no device context", false, printer.handle, &good, &devmode, 1},
        {"no printer", true, nullptr, &good, &devmode, 1},
        {"no settings", true, printer.handle, nullptr, &devmode, 1},
        {"no devmode", true, printer.handle, &good, nullptr, 1},
        {"negative sheet count", true, printer.handle, &good, &devmode, -1},
        {"no part chosen", true, printer.handle, &noParts, &devmode, 1},
        {"only an unknown part", true, printer.handle, &unknownPartOnly, &devmode, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        bool drawn = true;
        std::wstring job = PrintDocument(L"fax-refused", [&](HDC dc) {
            drawn = DrawFaxCoverPage(c.useDc ? dc : nullptr, c.printer, c.settings, c.devmode, c.sheets);
        });
        ASSERT_FALSE(job.empty());
        EXPECT_FALSE(drawn);
        EXPECT_EQ(PagesIn(job), 0);
    }

    // The same document with good inputs has its page, so the count above can see one.
    std::wstring job = PrintDocument(L"fax-refused", [&](HDC dc) {
        EXPECT_TRUE(DrawFaxCoverPage(dc, printer.handle, &good, &devmode, 1));
    });
    EXPECT_EQ(PagesIn(job), 1);
}

TEST(FaxCoverCleanUp, EveryToolIsDeletedWhenAnyOneCannotBeMade) {
    OpenTestPrinter printer;
    const PrivateDevmode settings = FaxSettings(7);
    const DEVMODEW devmode = JobDevmode(DMORIENT_PORTRAIT);
    for (int failAt = 0; failAt < 5; ++failAt) {
        SCOPED_TRACE(failAt);
        ResetMakers(failAt);
        bool drawn = true;
        std::wstring job = PrintDocument(L"fax-no-tools", [&](HDC dc) {
            drawn = DrawFaxCoverPageWith(dc, printer.handle, &settings, &devmode, 1, kLoggedMakers);
        });
        EXPECT_FALSE(drawn);
        EXPECT_GE(g_makers.handles.size(), static_cast<size_t>(failAt));
        EXPECT_EQ(LiveHandles(), 0);
        // Nothing reached the device: no open, empty page.
        EXPECT_EQ(PagesIn(job), 0);
    }
}

TEST(FaxCoverCleanUp, ManyPagesLeaveNoFontOrPenBehind) {
    // GetGuiResources is a stub in Wine (it answers 0), so the count of GDI
    // objects is kept here by the makers: every object made is checked to be
    // gone when the call returns, and where the system does count objects,
    // the count must not have grown either.
    OpenTestPrinter printer;
    const PrivateDevmode settings = FaxSettings(7);
    const DEVMODEW devmode = JobDevmode(DMORIENT_PORTRAIT);
    const DWORD before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    constexpr int kPages = 25;
    int clean = 0;
    std::wstring job = PrintDocument(L"fax-many", [&](HDC dc) {
        for (int i = 0; i < kPages; ++i) {
            ResetMakers(-1);
            if (!DrawFaxCoverPageWith(dc, printer.handle, &settings, &devmode, i, kLoggedMakers)) break;
            if (g_makers.handles.size() == 5 && LiveHandles() == 0) ++clean;
        }
    });
    EXPECT_EQ(clean, kPages);
    EXPECT_EQ(PagesIn(job), kPages);
    const DWORD after = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (before != 0) {
        EXPECT_EQ(after, before);
    }
}

TEST(FaxCoverCleanUp, ApplicationDrawingStateIsRestoredAndDoesNotShiftThePage) {
    OpenTestPrinter printer;
    const PrivateDevmode settings = FaxSettings(7);
    const DEVMODEW devmode = JobDevmode(DMORIENT_PORTRAIT);
    DeviceGeometry g{};
    HFONT appFont = CreateFontW(-40, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, L"Courier New");
    HPEN appPen = CreatePen(PS_DASH, 1, RGB(255, 0, 0));
    bool drawn = false;
    std::wstring job = PrintDocument(L"fax-app-state", [&](HDC dc) {
        g = GeometryOf(dc);
        // State an application may leave behind after its last page.
        SetMapMode(dc, MM_LOENGLISH);
        SetWindowOrgEx(dc, 50, -50, nullptr);
        SetTextColor(dc, RGB(255, 255, 255));
        SetBkColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, OPAQUE);
        SetTextAlign(dc, TA_BASELINE | TA_RIGHT);
        IntersectClipRect(dc, 100, -100, 200, -200);
        HGDIOBJ oldFont = SelectObject(dc, appFont);
        HGDIOBJ oldPen = SelectObject(dc, appPen);
        MoveToEx(dc, 123, -456, nullptr);
        RECT clipBefore{};
        GetClipBox(dc, &clipBefore);

        drawn = DrawFaxCoverPage(dc, printer.handle, &settings, &devmode, 2);

        EXPECT_EQ(GetMapMode(dc), MM_LOENGLISH);
        POINT org{};
        GetWindowOrgEx(dc, &org);
        EXPECT_EQ(org.x, 50);
        EXPECT_EQ(org.y, -50);
        EXPECT_EQ(GetTextColor(dc), RGB(255, 255, 255));
        EXPECT_EQ(GetBkMode(dc), OPAQUE);
        EXPECT_EQ(GetTextAlign(dc), static_cast<UINT>(TA_BASELINE | TA_RIGHT));
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), appFont);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), appPen);
        POINT at{};
        GetCurrentPositionEx(dc, &at);
        EXPECT_EQ(at.x, 123);
        EXPECT_EQ(at.y, -456);
        RECT clipAfter{};
        GetClipBox(dc, &clipAfter);
        EXPECT_TRUE(EqualRect(&clipBefore, &clipAfter));
        SelectObject(dc, oldFont);
        SelectObject(dc, oldPen);
    });
    DeleteObject(appFont);
    DeleteObject(appPen);
    ASSERT_TRUE(drawn);

    // The page itself is laid out in device pixels, black and unclipped, as
    // on a fresh device context.
    std::vector<testbed::Picture> pages;
    std::wstring error;
    ASSERT_TRUE(Render(job, L"fax-app-state", &pages, &error)) << std::string(error.begin(), error.end());
    ASSERT_EQ(pages.size(), 1u);
    const Quantities q = QuantitiesFor(g.physicalWidth, g.physicalHeight, DMORIENT_PORTRAIT);
    const std::vector<RuleBand> rules = FindRules(pages[0], (q.R - q.L) * 9 / 10);
    ASSERT_EQ(rules.size(), 5u);
    EXPECT_NEAR(rules[0].Middle(), 2 * q.T + g.offsetY, 2);
    EXPECT_NEAR(rules[4].Middle(), q.Y - q.T + g.offsetY, 2);
    EXPECT_NEAR(rules[0].left, q.L + g.offsetX, q.S / 600 + 2);
    RECT title{};
    ASSERT_TRUE(InkIn(pages[0], RECT{0, q.T + g.offsetY, pages[0].width, rules[0].top - 1}, &title));
    EXPECT_NEAR(title.left, q.L + g.offsetX, 12);
    // Black text on no background: the title is strokes on white, not a
    // filled box with the application's background colour.
    EXPECT_LT(InkShare(pages[0], title), 0.5);
}

TEST(FaxCoverLines, FieldsAreReadOnlyUpToTheirArraySizeAndLinesCutToTheBuffer) {
    // An unterminated field followed by other text: only its own characters are read.
    struct {
        wchar_t field[8];
        wchar_t next[8];
    } record;
    wmemset(record.field, L'A', 8);
    wmemset(record.next, L'B', 8);
    record.next[7] = L'\0';
    wchar_t line[kUiStringChars];
    int n = ComposeCoverLine(IDS_FAX_TO_NAME, record.field, 8, line, kUiStringChars);
    EXPECT_EQ(std::wstring(line), std::wstring(L"Name:      AAAAAAAA"));
    EXPECT_EQ(n, 19);

    wchar_t small[16];
    wmemset(small, L'#', 16);
    n = ComposeCoverLine(IDS_FAX_TO_NAME, record.field, 8, small, 16);
    EXPECT_EQ(std::wstring(small), std::wstring(L"Name:      AAAA"));
    EXPECT_EQ(n, 15);
}
