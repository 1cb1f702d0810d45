// The editor's preview as the screen shows it: the text's pixels where the
// preview geometry puts them, and no GDI objects left behind by repaints.
#include "tests/ui_wmeditor/editor_fixture.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/host/process_usage.h"
#include "tests/host/screenshot.h"
#include "ui/watermark/draw.h"
#include "ui/watermark/preview.h"

using namespace wmeditor;

namespace {

struct Ink {
    RECT box{LONG_MAX, LONG_MAX, -1, -1};
    int count = 0;
    int exact = 0;  // pixels of exactly the colour asked for
};

// The preview control's client pixels, read back from the screen.
Ink ReadInk(HWND control, COLORREF exactColor) {
    RECT client{};
    GetClientRect(control, &client);
    int w = client.right, h = client.bottom;
    HDC dc = GetDC(control);
    HDC memory = CreateCompatibleDC(dc);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, dc, 0, 0, SRCCOPY);
    Ink ink;
    auto *px = static_cast<const uint32_t *>(bits);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t p = px[y * w + x] & 0xFFFFFF;
            if (p == 0xFFFFFF) continue;
            ++ink.count;
            COLORREF c = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
            if (c == exactColor) ++ink.exact;
            ink.box.left = std::min<LONG>(ink.box.left, x);
            ink.box.top = std::min<LONG>(ink.box.top, y);
            ink.box.right = std::max<LONG>(ink.box.right, x + 1);
            ink.box.bottom = std::max<LONG>(ink.box.bottom, y + 1);
        }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(control, dc);
    return ink;
}

struct Expected {
    PreviewLayout layout;
    SIZE extent;
};

// Where the preview geometry puts `shown` (the text as expanded) for `wm`.
Expected Geometry(HWND control, const WatermarkRecord &wm, const wchar_t *shown) {
    Expected e{};
    HDC dc = GetDC(control);
    LOGFONTW lf;
    EXPECT_TRUE(BuildPreviewFont(&wm, GetDeviceCaps(dc, LOGPIXELSY), &lf));
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ old = SelectObject(dc, font);
    GetTextExtentPoint32W(dc, shown, static_cast<int>(wcslen(shown)), &e.extent);
    SelectObject(dc, old);
    DeleteObject(font);
    RECT client{};
    GetClientRect(control, &client);
    EXPECT_TRUE(ComputePreviewLayout(&wm, e.extent, client, GetDeviceCaps(dc, LOGPIXELSX),
                                     GetDeviceCaps(dc, LOGPIXELSY), &e.layout));
    ReleaseDC(control, dc);
    return e;
}

class PreviewTest : public EditorTest {
protected:
    // Opens the editor over `wm` and reads its preview once painted.
    void Look(const WatermarkRecord &wm, const wchar_t *shown, Ink *ink, Expected *expected) {
        Store(wm);
        OpenEdit(wm.name, [&](HWND dialog) {
            HWND preview = GetDlgItem(dialog, IDC_WMEDIT_PREVIEW);
            RedrawWindow(preview, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
            testbed::PumpMessages(100);
            *ink = ReadInk(preview, WatermarkColor(&wm));
            testbed::SaveWindowPicture(dialog, std::wstring(L"wmeditor_preview_") + wm.name);
            // The preview draws the face the list shows: the printer may
            // not offer the record's own.
            WatermarkRecord drawn = wm;
            GetDlgItemTextW(dialog, IDC_WMEDIT_FONT, drawn.faceName, ARRAYSIZE(drawn.faceName));
            *expected = Geometry(preview, drawn, shown);
            testbed::Click(dialog, IDCANCEL);
        });
    }
};

WatermarkRecord Upright(const wchar_t *name, uint32_t position) {
    WatermarkRecord wm = MakeRecord(name, L"WMARK");
    wm.position = position;
    wm.fontStyle = 2;
    return wm;
}

// An upright text lies inside its cell, and fills most of its width.
void ExpectInCell(const Ink &ink, const Expected &e, int slack = 2) {
    ASSERT_GT(ink.count, 0) << "nothing drawn";
    EXPECT_GE(ink.box.left, e.layout.x - slack);
    EXPECT_GE(ink.box.top, e.layout.y - slack);
    EXPECT_LE(ink.box.right, e.layout.x + e.extent.cx + slack);
    EXPECT_LE(ink.box.bottom, e.layout.y + e.extent.cy + slack);
    EXPECT_GT(ink.box.right - ink.box.left, e.extent.cx / 2);
}

TEST_F(PreviewTest, TopLeftWithAnOffsetInMillimetres) {
    WatermarkRecord wm = Upright(L"TopLeft", WM_POS_TOP_LEFT);
    wm.units = 0;
    wm.horizontalOffset = 50.8;  // two inches to the right
    wm.verticalOffset = -25.4;   // one inch down
    Ink ink;
    Expected e;
    Look(wm, L"WMARK", &ink, &e);
    EXPECT_GT(e.layout.x, 30) << "the offset moved the text";
    EXPECT_GT(e.layout.y, 15);
    ExpectInCell(ink, e);
}

TEST_F(PreviewTest, BottomRight) {
    Ink ink;
    Expected e;
    Look(Upright(L"BottomRight", WM_POS_BOTTOM_RIGHT), L"WMARK", &ink, &e);
    ExpectInCell(ink, e);
}

TEST_F(PreviewTest, TurnedTextIsCentredOnTheModelPage) {
    WatermarkRecord wm = Upright(L"Turned", WM_POS_CENTER);
    wm.angle = 45;
    Ink ink;
    Expected e;
    Look(wm, L"WMARK", &ink, &e);
    ASSERT_GT(ink.count, 0);
    double c = std::cos(45 * 3.14159265358979 / 180), s = std::sin(45 * 3.14159265358979 / 180);
    double cx = e.layout.x + e.extent.cx / 2.0 * c + e.extent.cy / 2.0 * s;
    double cy = e.layout.y - e.extent.cx / 2.0 * s + e.extent.cy / 2.0 * c;
    EXPECT_NEAR((ink.box.left + ink.box.right) / 2.0, cx, 4);
    EXPECT_NEAR((ink.box.top + ink.box.bottom) / 2.0, cy, 4);
    EXPECT_GT(ink.box.bottom - ink.box.top, e.extent.cy * 3 / 2) << "the text runs up at 45 degrees";
}

TEST_F(PreviewTest, OutlineIsStrokedInTheIntensitysColour) {
    WatermarkRecord filled = Upright(L"Filled", WM_POS_MIDDLE_LEFT);
    WatermarkRecord outlined = Upright(L"Outlined", WM_POS_MIDDLE_LEFT);
    outlined.effects = kEffectOutline;
    outlined.intensity = 50;
    outlined.pointSize = 120;
    filled.pointSize = 120;
    Ink solid, outline;
    Expected e;
    Look(filled, L"WMARK", &solid, &e);
    Look(outlined, L"WMARK", &outline, &e);
    ExpectInCell(outline, e);
    EXPECT_GT(outline.exact, 0) << "stroked in RGB(127, 127, 127)";
    EXPECT_LT(outline.count, solid.count) << "only the outline, not the filled glyphs";
}

TEST_F(PreviewTest, DynamicTextShowsItsSample) {
    WatermarkRecord wm = Upright(L"Dynamic", WM_POS_TOP_LEFT);
    wcscpy(wm.text, L"%pagenumber%");
    wm.dynamicText = 1;
    Ink ink;
    Expected e;
    Look(wm, L"1", &ink, &e);
    ExpectInCell(ink, e);
}

TEST_F(PreviewTest, RepaintsLeaveNoGdiObjectsBehind) {
    WatermarkRecord wm = Upright(L"Repainted", WM_POS_CENTER);
    wm.effects = kEffectOutline;
    wm.angle = 30;
    Store(wm);
    OpenEdit(wm.name, [&](HWND dialog) {
        HWND preview = GetDlgItem(dialog, IDC_WMEDIT_PREVIEW);
        UpdateWindow(preview);
        DWORD before = testbed::GdiObjectCount();
        for (int i = 0; i < 1000; ++i) {
            InvalidateRect(preview, nullptr, TRUE);
            UpdateWindow(preview);
        }
        DWORD after = testbed::GdiObjectCount();
        EXPECT_GT(before, 0u);
        EXPECT_LE(after, before + 2) << "GDI objects grew from " << before << " to " << after;
        testbed::Click(dialog, IDCANCEL);
    });
}

}  // namespace
