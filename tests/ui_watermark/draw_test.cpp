// Drawing watermarks: real pixels from the PostScript printer device context
// where the geometry puts them, in the intensity's colour, outlined when asked;
// and on a memory bitmap, the failure paths, the state handed back and the
// GDI objects left behind.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <winternl.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "platform/raii.h"
#include "tests/host/process_usage.h"
#include "tests/host/wine_printer.h"
#include "tests/ui_watermark/printer_suite.h"
#include "tests/ui_watermark/fake_job.h"
#include "ui/watermark/draw.h"

using testbed::Picture;

namespace {

constexpr SYSTEMTIME kJobTime{2021, 9, 3, 15, 14, 5, 9, 0};

std::wstring ArtifactDir() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    dir = dir.substr(0, dir.find_last_of(L"\\/"));  // bin
    dir = dir.substr(0, dir.find_last_of(L"\\/")) + L"\\artifacts";
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir;
}

WatermarkRecord Record(const wchar_t *text, uint32_t position, double angle) {
    WatermarkRecord wm;
    MakeDefaultWatermark(&wm);
    wcsncpy(wm.text, text, 127);
    wm.position = position;
    wm.angle = angle;
    wm.fontStyle = 2;
    return wm;
}

DEVMODEW JobDevmode(HDC dc) {
    DEVMODEW dm{};
    dm.dmSize = sizeof(dm);
    dm.dmFields = DM_PRINTQUALITY | DM_SCALE | DM_ORIENTATION;
    dm.dmPrintQuality = static_cast<short>(GetDeviceCaps(dc, LOGPIXELSY));
    dm.dmScale = 100;
    dm.dmOrientation = DMORIENT_PORTRAIT;
    return dm;
}

bool IsWhite(const uint8_t *px) { return px[0] == 255 && px[1] == 255 && px[2] == 255; }

// Bounding box of every non-white pixel.
bool PaintBox(const Picture &p, RECT *box) {
    RECT r{p.width, p.height, -1, -1};
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (!IsWhite(p.At(x, y))) {
                r.left = std::min<LONG>(r.left, x);
                r.top = std::min<LONG>(r.top, y);
                r.right = std::max<LONG>(r.right, x);
                r.bottom = std::max<LONG>(r.bottom, y);
            }
    if (r.right < 0) return false;
    *box = r;
    return true;
}

// The most frequent non-white colour: the fill of the glyphs (Ghostscript
// renders without anti-aliasing here).
COLORREF MainPaint(const Picture &p) {
    std::map<COLORREF, size_t> counts;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const uint8_t *px = p.At(x, y);
            if (!IsWhite(px)) ++counts[RGB(px[0], px[1], px[2])];
        }
    COLORREF best = CLR_INVALID;
    size_t most = 0;
    for (auto &[c, n] : counts)
        if (n > most) {
            most = n;
            best = c;
        }
    return best;
}

// Wine's PostScript driver writes each colour component with two decimals
// ("0.98 0.98 0.98 setrgbcolor" for 252), so a printed channel may be up to
// 3 off the colour that GDI was given.
constexpr int kPrintedColourTolerance = 3;

void ExpectColorNear(COLORREF actual, COLORREF expected, const char *what) {
    EXPECT_NEAR(GetRValue(actual), GetRValue(expected), kPrintedColourTolerance) << what;
    EXPECT_NEAR(GetGValue(actual), GetGValue(expected), kPrintedColourTolerance) << what;
    EXPECT_NEAR(GetBValue(actual), GetBValue(expected), kPrintedColourTolerance) << what;
}

class WatermarkDrawing : public PrinterSuite {
protected:

    void SetUp() override { MakeDefaultPrivateDevmode(&settings_); }

    using PageFn = std::function<void(HDC)>;

    // Prints one page per function on the test printer and renders the job
    // at the device's resolution, keeping PNGs of the pages as artifacts.
    void PrintJob(const wchar_t *name, const std::vector<PageFn> &pages, std::vector<Picture> *pictures) {
        unique_hdc dc(testbed::CreatePrinterDc());
        ASSERT_TRUE(dc);
        dpi_ = GetDeviceCaps(dc.get(), LOGPIXELSY);
        std::wstring path = testbed::ScratchDir(name) + L"\\job.ps";
        DOCINFOW di{sizeof(di), name, path.c_str(), nullptr, 0};
        ASSERT_GT(StartDocW(dc.get(), &di), 0);
        for (const PageFn &page : pages) {
            ASSERT_GT(StartPage(dc.get()), 0);
            page(dc.get());
            ASSERT_GT(EndPage(dc.get()), 0);
        }
        ASSERT_GT(EndDoc(dc.get()), 0);
        std::wstring error;
        ASSERT_TRUE(testbed::RenderPostScript(path, dpi_, pictures, &error, ArtifactDir() + L"\\" + name))
            << std::string(error.begin(), error.end());
        ASSERT_EQ(pictures->size(), pages.size());
    }

    int Draw(HDC dc, const WatermarkRecord &wm, int page = 1) {
        DEVMODEW dm = JobDevmode(dc);
        return DrawWatermark(dc, printer(), &settings_, &dm, &wm, page, &kJobTime, 0, nullptr, 1.0f);
    }

    // Where the geometry puts the text on this device context.
    static WatermarkLayout LayoutOn(HDC dc, const WatermarkRecord &wm, bool compensate) {
        WatermarkLayoutInput in{};
        in.wm = &wm;
        in.device = WatermarkDevice{GetDeviceCaps(dc, PHYSICALWIDTH), GetDeviceCaps(dc, PHYSICALHEIGHT),
                                    GetDeviceCaps(dc, PHYSICALOFFSETX), GetDeviceCaps(dc, PHYSICALOFFSETY)};
        in.dpi = GetDeviceCaps(dc, LOGPIXELSY);
        in.dmScale = 100;
        in.orientation = DMORIENT_PORTRAIT;
        in.compensateOffsets = compensate;
        in.scale = 1.0f;
        WatermarkLayout layout{};
        EXPECT_TRUE(BuildWatermarkFont(&wm, in.dpi, 100, 1.0f, &layout.font));
        unique_hfont font(CreateFontIndirectW(&layout.font));
        select_object_guard selected(dc, font.get());
        EXPECT_TRUE(GetTextExtentPoint32W(dc, wm.text, static_cast<int>(wcslen(wm.text)), &in.extent));
        EXPECT_TRUE(ComputeWatermarkLayout(&in, &layout));
        return layout;
    }

    // The same text in the same font drawn at a known point, to learn where
    // its ink lies relative to the text's reference point.
    static void DrawReference(HDC dc, const WatermarkRecord &wm, POINT at) {
        LOGFONTW lf{};
        ASSERT_TRUE(BuildWatermarkFont(&wm, GetDeviceCaps(dc, LOGPIXELSY), 100, 1.0f, &lf));
        unique_hfont font(CreateFontIndirectW(&lf));
        select_object_guard selected(dc, font.get());
        SetBkMode(dc, TRANSPARENT);
        TextOutW(dc, at.x, at.y, wm.text, static_cast<int>(wcslen(wm.text)));
    }

    void ExpectInkWhereTheGeometrySays(const wchar_t *name, const WatermarkRecord &wm, RECT *ink, int *physX,
                                       int *physY) {
        const POINT ref{1200, 1600};
        WatermarkLayout layout{};
        settings_.compensatePrinterOffsets = 1;
        std::vector<Picture> pictures;
        PrintJob(name,
                 {[&](HDC dc) { DrawReference(dc, wm, ref); },
                  [&](HDC dc) {
                      layout = LayoutOn(dc, wm, true);
                      *physX = GetDeviceCaps(dc, PHYSICALOFFSETX);
                      *physY = GetDeviceCaps(dc, PHYSICALOFFSETY);
                      EXPECT_EQ(Draw(dc, wm), 1);
                  }},
                 &pictures);
        if (pictures.size() != 2) return;
        RECT refInk{}, wmInk{};
        ASSERT_TRUE(PaintBox(pictures[0], &refInk));
        ASSERT_TRUE(PaintBox(pictures[1], &wmInk)) << "nothing printed";
        int dx = layout.x - ref.x, dy = layout.y - ref.y;
        EXPECT_NEAR(wmInk.left, refInk.left + dx, 2);
        EXPECT_NEAR(wmInk.right, refInk.right + dx, 2);
        EXPECT_NEAR(wmInk.top, refInk.top + dy, 2);
        EXPECT_NEAR(wmInk.bottom, refInk.bottom + dy, 2);
        *ink = wmInk;
    }

    PrivateDevmode settings_;
    int dpi_ = 0;
};


}  // namespace

TEST_F(WatermarkDrawing, CentredTextIsCentredOnThePrintedSheet) {
    RECT ink{};
    int physX = 0, physY = 0;
    WatermarkRecord wm = Record(L"HIH", WM_POS_CENTER, 0.0);
    ExpectInkWhereTheGeometrySays(L"wm-centre-0", wm, &ink, &physX, &physY);
    // The rendered picture is the whole sheet: its middle is the sheet's.
    const int sheetW = 2550, sheetH = 3300;
    EXPECT_NEAR((ink.left + ink.right) / 2.0, sheetW / 2.0, 3);

    wm = Record(L"HIH", WM_POS_CENTER, 90.0);
    ExpectInkWhereTheGeometrySays(L"wm-centre-90", wm, &ink, &physX, &physY);
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, sheetH / 2.0, 3);
    EXPECT_GT(ink.bottom - ink.top, ink.right - ink.left) << "turned text runs up the page";
}

TEST_F(WatermarkDrawing, AnchorsAndAnglesOnThePrintedSheet) {
    RECT ink{};
    int physX = 0, physY = 0;
    WatermarkRecord wm = Record(L"HIH", WM_POS_BOTTOM_CENTER, 0.0);
    ExpectInkWhereTheGeometrySays(L"wm-bottom-centre", wm, &ink, &physX, &physY);
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 2550 / 2.0, 3) << "bottom centre is centred on the sheet";
    EXPECT_GT(ink.top, 3300 / 2);

    wm = Record(L"Draft", WM_POS_BOTTOM_RIGHT, 0.0);
    ExpectInkWhereTheGeometrySays(L"wm-bottom-right", wm, &ink, &physX, &physY);
    EXPECT_GT(ink.left, 2550 / 2);
    EXPECT_LT(ink.right, 2550 - physX);

    // The corrected top left corner lies as far inside the printable area as
    // the printable area lies inside the sheet.
    wm = Record(L"Draft", WM_POS_TOP_LEFT, 0.0);
    ExpectInkWhereTheGeometrySays(L"wm-top-left", wm, &ink, &physX, &physY);
    EXPECT_GE(ink.left, 2 * physX);
    EXPECT_GE(ink.top, 2 * physY);

    wm = Record(L"Draft", WM_POS_CENTER, 30.0);
    ExpectInkWhereTheGeometrySays(L"wm-centre-30", wm, &ink, &physX, &physY);
    EXPECT_NEAR((ink.left + ink.right) / 2.0, 2550 / 2.0, 12);
    EXPECT_NEAR((ink.top + ink.bottom) / 2.0, 3300 / 2.0, 12);

    wm = Record(L"Draft", WM_POS_MIDDLE_RIGHT, -45.0);
    ExpectInkWhereTheGeometrySays(L"wm-right-minus45", wm, &ink, &physX, &physY);
    EXPECT_GT(ink.left, 2550 / 2);
}

TEST_F(WatermarkDrawing, IntensityLightensThePrintedColour) {
    WatermarkRecord grey = Record(L"HHH", WM_POS_CENTER, 0.0);
    grey.pointSize = 150;
    grey.intensity = 50;
    WatermarkRecord faint = grey;
    faint.intensity = 1;
    WatermarkRecord colour = grey;
    colour.color[0] = 200;
    colour.color[1] = 100;
    colour.color[2] = 0;
    colour.intensity = 100;
    WatermarkRecord halfColour = colour;
    halfColour.intensity = 50;

    std::vector<Picture> pictures;
    PrintJob(L"wm-intensity",
             {[&](HDC dc) { EXPECT_EQ(Draw(dc, grey), 1); }, [&](HDC dc) { EXPECT_EQ(Draw(dc, faint), 1); },
              [&](HDC dc) { EXPECT_EQ(Draw(dc, colour), 1); }, [&](HDC dc) { EXPECT_EQ(Draw(dc, halfColour), 1); }},
             &pictures);
    ASSERT_EQ(pictures.size(), 4u);
    ExpectColorNear(MainPaint(pictures[0]), RGB(127, 127, 127), "black at 50");
    ExpectColorNear(MainPaint(pictures[1]), RGB(252, 252, 252), "black at 1");
    EXPECT_NE(MainPaint(pictures[1]), RGB(255, 255, 255));
    ExpectColorNear(MainPaint(pictures[2]), RGB(200, 100, 0), "colour at 100");
    ExpectColorNear(MainPaint(pictures[3]), RGB(227, 177, 127), "colour at 50");
}

TEST_F(WatermarkDrawing, OutlineStrokesTheGlyphEdgesOnly) {
    WatermarkRecord filled = Record(L"I", WM_POS_CENTER, 0.0);
    filled.pointSize = 300;
    filled.color[0] = 200;
    WatermarkRecord outlined = filled;
    outlined.effects = kEffectOutline;

    std::vector<Picture> pictures;
    PrintJob(L"wm-outline", {[&](HDC dc) { EXPECT_EQ(Draw(dc, filled), 1); },
                             [&](HDC dc) { EXPECT_EQ(Draw(dc, outlined), 1); }},
             &pictures);
    ASSERT_EQ(pictures.size(), 2u);
    RECT f{}, o{};
    ASSERT_TRUE(PaintBox(pictures[0], &f));
    ASSERT_TRUE(PaintBox(pictures[1], &o)) << "the outline printed nothing";
    // Same glyph, same place.
    EXPECT_NEAR(o.left, f.left, 3);
    EXPECT_NEAR(o.right, f.right, 3);
    EXPECT_NEAR(o.top, f.top, 3);
    EXPECT_NEAR(o.bottom, f.bottom, 3);
    ASSERT_GT(f.right - f.left, 40) << "the stem must be wide enough to have an inside";

    int cx = (o.left + o.right) / 2, cy = (o.top + o.bottom) / 2;
    EXPECT_FALSE(IsWhite(pictures[0].At(cx, cy))) << "the filled glyph is inked inside";
    EXPECT_TRUE(IsWhite(pictures[1].At(cx, cy))) << "the outlined glyph stays white inside";
    // Along the middle row the outline crosses the glyph's left and right
    // edges, in the drawing colour.
    int inked = 0;
    for (int x = o.left; x <= o.right; ++x) {
        const uint8_t *px = pictures[1].At(x, cy);
        if (IsWhite(px)) continue;
        ++inked;
        ExpectColorNear(RGB(px[0], px[1], px[2]), RGB(200, 0, 0), "outline");
    }
    EXPECT_GE(inked, 2);
    EXPECT_LT(inked, (o.right - o.left) / 4) << "only the edges are inked";
}

// ---------------------------------------------------------------------------
// On a memory bitmap: what is drawn, what is not, and what is left behind.

namespace {

class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        dc_.reset(CreateCompatibleDC(nullptr));
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = width;
        bi.bmiHeader.biHeight = -height;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void *bits = nullptr;
        bitmap_.reset(CreateDIBSection(dc_.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
        bits_ = static_cast<uint32_t *>(bits);
        previous_ = SelectObject(dc_.get(), bitmap_.get());
        Clear();
    }
    ~Canvas() { SelectObject(dc_.get(), previous_); }
    Canvas(const Canvas &) = delete;
    Canvas &operator=(const Canvas &) = delete;

    HDC dc() const { return dc_.get(); }
    void Clear() {
        GdiFlush();
        for (int i = 0; i < width_ * height_; ++i) bits_[i] = 0x00FFFFFF;
    }
    std::vector<uint32_t> Pixels() const {
        GdiFlush();
        return std::vector<uint32_t>(bits_, bits_ + width_ * height_);
    }
    bool Blank() const {
        for (uint32_t px : Pixels())
            if ((px & 0x00FFFFFF) != 0x00FFFFFF) return false;
        return true;
    }

private:
    int width_, height_;
    unique_hdc dc_;
    unique_hbitmap bitmap_;
    uint32_t *bits_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

DEVMODEW ScreenDevmode() {
    DEVMODEW dm{};
    dm.dmSize = sizeof(dm);
    dm.dmPrintQuality = 96;
    dm.dmScale = 100;
    dm.dmOrientation = DMORIENT_PORTRAIT;
    return dm;
}

// Top left, uncorrected: on a memory device context the text starts at (0, 0).
WatermarkRecord CanvasRecord(const wchar_t *text, uint32_t dynamic = 0) {
    WatermarkRecord wm = Record(text, WM_POS_TOP_LEFT, 0.0);
    wm.pointSize = 36;
    wm.dynamicText = dynamic;
    return wm;
}

}  // namespace

class WatermarkCanvas : public WatermarkDrawing {
protected:
    void SetUp() override {
        WatermarkDrawing::SetUp();
        settings_.compensatePrinterOffsets = 0;
        dm_ = ScreenDevmode();
    }
    int Draw(const WatermarkRecord &wm, int page = 1, const SYSTEMTIME *time = &kJobTime) {
        return DrawWatermark(canvas_.dc(), printer(), &settings_, &dm_, &wm, page, time, 0, nullptr, 1.0f);
    }
    std::vector<uint32_t> Drawn(const WatermarkRecord &wm, int page = 1, const SYSTEMTIME *time = &kJobTime) {
        canvas_.Clear();
        EXPECT_EQ(Draw(wm, page, time), 1);
        return canvas_.Pixels();
    }

    Canvas canvas_{800, 200};
    DEVMODEW dm_{};
};

TEST_F(WatermarkCanvas, MissingInputsFailAndDrawNothing) {
    WatermarkRecord wm = CanvasRecord(L"Draft");
    const RECT rect{0, 0, 800, 200};
    HDC dc = canvas_.dc();
    EXPECT_EQ(DrawWatermark(nullptr, printer(), &settings_, &dm_, &wm, 1, &kJobTime, 0, nullptr, 1.0f), 0);
    EXPECT_EQ(DrawWatermark(dc, nullptr, &settings_, &dm_, &wm, 1, &kJobTime, 0, nullptr, 1.0f), 0);
    EXPECT_EQ(DrawWatermark(dc, printer(), nullptr, &dm_, &wm, 1, &kJobTime, 0, nullptr, 1.0f), 0);
    EXPECT_EQ(DrawWatermark(dc, printer(), &settings_, nullptr, &wm, 1, &kJobTime, 0, nullptr, 1.0f), 0);
    EXPECT_EQ(DrawWatermark(dc, printer(), &settings_, &dm_, nullptr, 1, &kJobTime, 0, nullptr, 1.0f), 0);
    EXPECT_EQ(DrawWatermark(dc, printer(), &settings_, &dm_, &wm, 1, &kJobTime, 1, nullptr, 1.0f), 0)
        << "a request needs its logical page";
    EXPECT_TRUE(canvas_.Blank());

    // The same call with everything present draws.
    EXPECT_EQ(DrawWatermark(dc, printer(), &settings_, &dm_, &wm, 1, &kJobTime, 1, &rect, 1.0f), 1);
    EXPECT_FALSE(canvas_.Blank());
}

TEST_F(WatermarkCanvas, NothingToDrawSucceedsWithoutDrawing) {
    EXPECT_EQ(Draw(CanvasRecord(L"")), 1);
    EXPECT_EQ(Draw(CanvasRecord(L"", 1)), 1);
    EXPECT_TRUE(canvas_.Blank());
}

TEST_F(WatermarkCanvas, FailingTextOrFontDrawsNothing) {
    // The job's user cannot be named without a renderer behind the device
    // context; an unknown variable never expands when printing.
    EXPECT_EQ(Draw(CanvasRecord(L"User: %Username%", 1)), 0);
    EXPECT_EQ(Draw(CanvasRecord(L"%foo% bar", 1)), 0);
    EXPECT_EQ(Draw(CanvasRecord(L"Draft %time", 1)), 0);
    WatermarkRecord corrupt = CanvasRecord(L"Draft");
    corrupt.angle = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(Draw(corrupt), 0);
    EXPECT_TRUE(canvas_.Blank());
    // Without the dynamic flag the same text is drawn as it stands.
    EXPECT_EQ(Draw(CanvasRecord(L"%foo% bar")), 1);
    EXPECT_FALSE(canvas_.Blank());
}

TEST_F(WatermarkCanvas, DynamicTextShowsThePageAndTheJobTime) {
    EXPECT_EQ(Drawn(CanvasRecord(L"Page %pagenumber%", 1), 12), Drawn(CanvasRecord(L"Page 12")));
    EXPECT_NE(Drawn(CanvasRecord(L"Page %pagenumber%", 1), 13), Drawn(CanvasRecord(L"Page 12")));

    // Every page of a job shows the job's start time.
    EXPECT_EQ(Drawn(CanvasRecord(L"%timemil% %dateddmmyyyy%", 1), 3), Drawn(CanvasRecord(L"14:05:09 15/09/2021")));

    // The job's user, as the renderer and the spooler name it.
    {
        FakeJob job(7, L"alice");
        ASSERT_TRUE(job.ok());
        EXPECT_EQ(Drawn(CanvasRecord(L"User: %Username%", 1)), Drawn(CanvasRecord(L"User: alice")));
    }

    // Without a usable job time, the time of drawing.
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t today[32];
    swprintf(today, 32, L"%02u/%02u/%04u", now.wDay, now.wMonth, now.wYear);
    const SYSTEMTIME unset{};
    EXPECT_EQ(Drawn(CanvasRecord(L"%dateddmmyyyy%", 1), 1, &unset), Drawn(CanvasRecord(today)));
    EXPECT_EQ(Drawn(CanvasRecord(L"%dateddmmyyyy%", 1), 1, nullptr), Drawn(CanvasRecord(today)));
}

TEST_F(WatermarkCanvas, DevmodeWithoutResolutionOrScaleFallsBackToTheDevice) {
    // A memory device context has 96 dots per inch; a quality level instead
    // of a resolution (DMRES_HIGH) and a missing scale must not change the
    // size or the place of the text.
    ASSERT_EQ(GetDeviceCaps(canvas_.dc(), LOGPIXELSY), 96);
    WatermarkRecord wm = CanvasRecord(L"Draft");
    wm.horizontalOffset = 1.0;
    std::vector<uint32_t> reference = Drawn(wm);
    dm_.dmPrintQuality = DMRES_HIGH;
    dm_.dmScale = 0;
    EXPECT_EQ(Drawn(wm), reference);
}

TEST_F(WatermarkCanvas, LeavesTheDeviceContextAsItFoundIt) {
    HDC dc = canvas_.dc();
    LOGFONTW lf{};
    lf.lfHeight = -11;
    wcscpy(lf.lfFaceName, L"Courier New");
    unique_hfont mine(CreateFontIndirectW(&lf));
    unique_hpen pen(CreatePen(PS_DASH, 1, RGB(9, 9, 9)));
    select_object_guard keepFont(dc, mine.get());
    select_object_guard keepPen(dc, pen.get());
    SetTextColor(dc, RGB(1, 2, 3));
    SetBkMode(dc, OPAQUE);
    SetDCPenColor(dc, RGB(4, 5, 6));

    WatermarkRecord plain = CanvasRecord(L"Draft");
    WatermarkRecord outline = CanvasRecord(L"Draft");
    outline.effects = kEffectOutline;
    outline.color[1] = 90;
    WatermarkRecord failing = CanvasRecord(L"%foo%", 1);
    for (const WatermarkRecord *wm : {&plain, &outline, &failing}) {
        Draw(*wm);
        EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
        EXPECT_EQ(GetBkMode(dc), OPAQUE);
        EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), mine.get());
        EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen.get());
        EXPECT_EQ(GetDCPenColor(dc), RGB(4, 5, 6));
    }
}

using testbed::GdiObjectCount;

TEST_F(WatermarkCanvas, ThousandDrawsLeaveNoGdiObjectsBehind) {
    // The counter must see a font that is created and not yet deleted.
    DWORD before = GdiObjectCount();
    {
        LOGFONTW lf{};
        lf.lfHeight = -20;
        unique_hfont probe(CreateFontIndirectW(&lf));
        ASSERT_GT(GdiObjectCount(), before) << "the GDI object count does not see new objects";
    }

    WatermarkRecord plain = CanvasRecord(L"Draft");
    WatermarkRecord outline = CanvasRecord(L"Draft");
    outline.effects = kEffectOutline;
    WatermarkRecord dynamic = CanvasRecord(L"Page %pagenumber% %time%", 1);
    WatermarkRecord failing = CanvasRecord(L"%foo%", 1);
    before = GdiObjectCount();
    for (int i = 0; i < 1000; ++i) {
        switch (i % 4) {
        case 0: ASSERT_EQ(Draw(plain), 1); break;
        case 1: ASSERT_EQ(Draw(outline), 1); break;
        case 2: ASSERT_EQ(Draw(dynamic, i), 1); break;
        default: ASSERT_EQ(Draw(failing), 0); break;
        }
    }
    EXPECT_EQ(GdiObjectCount(), before);
}
