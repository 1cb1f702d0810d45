// Watermark geometry to the device unit: font, colour and reference point
// for every anchor, unit, scale and orientation.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "ui/watermark/draw.h"

namespace {

// A Letter sheet at 600 dpi with uneven physical margins, and a text box
// of 1000 x 300 device units.
constexpr WatermarkDevice kLetter600{5100, 6600, 100, 120};
constexpr SIZE kExtent{1000, 300};

WatermarkRecord Record(uint32_t position, double angle = 0.0) {
    WatermarkRecord wm;
    MakeDefaultWatermark(&wm);
    wm.position = position;
    wm.angle = angle;
    return wm;
}

WatermarkLayoutInput Ordinary(const WatermarkRecord *wm) {
    WatermarkLayoutInput in{};
    in.wm = wm;
    in.device = kLetter600;
    in.extent = kExtent;
    in.dpi = 600;
    in.dmScale = 100;
    in.orientation = DMORIENT_PORTRAIT;
    in.compensateOffsets = true;
    in.requestFlag = 0;
    in.pageRect = nullptr;
    in.scale = 1.0f;
    return in;
}

POINT Place(const WatermarkLayoutInput &in) {
    WatermarkLayout out{};
    EXPECT_TRUE(ComputeWatermarkLayout(&in, &out));
    return POINT{out.x, out.y};
}

WatermarkLayout Layout(const WatermarkLayoutInput &in) {
    WatermarkLayout out{};
    EXPECT_TRUE(ComputeWatermarkLayout(&in, &out));
    return out;
}

struct Expected {
    uint32_t position;
    int x;
    int y;
};

}  // namespace

TEST(WatermarkLayout, AnchorsOnAnOrdinaryPageAtAngleZero) {
    // hw 2550, hh 3300; insets at 600 dpi are 42 across and 60 down.
    const Expected compensated[] = {
        {0, 2550 - 500 - 100, 3300 - 150 - 120},       // sheet centre
        {1, 0 + 100, 6600 - 300 - 240 - 60},           // bottom left
        {2, 100, 120},                                 // top left
        {3, 100, 3300 - 150 - 120},                    // left, middle
        {4, 2550 - 500 - 100, 6600 - 300 - 240 - 60},  // bottom centre, centred like the centre
        {5, 2550 - 500 - 100, 0 + 120},                // top centre, centred like the centre
        {6, 5100 - 1000 - 200 - 84, 6600 - 300 - 240 - 120},
        {7, 5100 - 1000 - 200 - 42, 0 + 120},
        {8, 5100 - 1000 - 200 - 42, 3300 - 150 - 120},
        {9, 2550 - 500 - 100, 3300 - 150 - 120},  // unknown anchors draw in the centre
    };
    for (const Expected &e : compensated) {
        WatermarkRecord wm = Record(e.position);
        POINT p = Place(Ordinary(&wm));
        EXPECT_EQ(p.x, e.x) << "position " << e.position;
        EXPECT_EQ(p.y, e.y) << "position " << e.position;
    }

    const Expected raw[] = {
        {0, 2050, 3150}, {1, 0, 6240}, {2, 0, 0},       {3, 0, 3150},    {4, 2050, 6240},
        {5, 2050, 0},    {6, 4016, 6180}, {7, 4058, 0}, {8, 4058, 3150},
    };
    for (const Expected &e : raw) {
        WatermarkRecord wm = Record(e.position);
        WatermarkLayoutInput in = Ordinary(&wm);
        in.compensateOffsets = false;
        POINT p = Place(in);
        EXPECT_EQ(p.x, e.x) << "position " << e.position;
        EXPECT_EQ(p.y, e.y) << "position " << e.position;
    }
}

// Whatever the angle, each anchor pins its own corner or edge middle of the
// rotated text box to the matching place of the page.
TEST(WatermarkLayout, RotatedTextBoxIsPinnedByItsAnchor) {
    const RECT page{0, 0, 5100, 6600};
    const double pw = 5100, ph = 6600;
    // Fractions of the text box (along the baseline, across it) and of the page.
    struct Pin {
        double along, across, pageX, pageY;
    } pins[] = {
        {0.5, 0.5, 0.5, 0.5}, {0, 1, 0, 1},   {0, 0, 0, 0},     {0, 0.5, 0, 0.5}, {0.5, 1, 0.5, 1},
        {0.5, 0, 0.5, 0},     {1, 1, 1, 1},   {1, 0, 1, 0},     {1, 0.5, 1, 0.5},
    };
    for (double angle : {-180.0, -135.0, -90.0, -30.0, 0.0, 12.5, 45.0, 90.0, 150.0, 180.0}) {
        for (uint32_t position = 0; position <= 8; ++position) {
            WatermarkRecord wm = Record(position, angle);
            WatermarkLayoutInput in = Ordinary(&wm);
            in.compensateOffsets = false;
            in.requestFlag = 1;  // no edge insets
            in.pageRect = &page;
            POINT p = Place(in);
            double t = angle * 0.017453292519943295, c = std::cos(t), s = std::sin(t);
            const Pin &pin = pins[position];
            double w = pin.along * kExtent.cx, h = pin.across * kExtent.cy;
            // Along the baseline is (c, -s) in device space, across it (s, c).
            double x = p.x + w * c + h * s;
            double y = p.y - w * s + h * c;
            EXPECT_NEAR(x, pin.pageX * pw, 2.0) << "position " << position << " angle " << angle;
            EXPECT_NEAR(y, pin.pageY * ph, 2.0) << "position " << position << " angle " << angle;
        }
    }
}

TEST(WatermarkLayout, TextWithoutExtentSitsOnTheAnchor) {
    const RECT page{0, 0, 5100, 6600};
    const Expected expected[] = {{4, 2550, 6600}, {6, 5100, 6600}, {8, 5100, 3300}};
    for (const Expected &e : expected) {
        WatermarkRecord wm = Record(e.position, 30.0);
        WatermarkLayoutInput in = Ordinary(&wm);
        in.extent = SIZE{0, 0};
        in.compensateOffsets = false;
        in.requestFlag = 1;
        in.pageRect = &page;
        POINT p = Place(in);
        EXPECT_EQ(p.x, e.x) << e.position;
        EXPECT_EQ(p.y, e.y) << e.position;
    }
}

TEST(WatermarkLayout, EdgeInsetsApplyToOrdinaryPagesOnly) {
    const RECT sheet{0, 0, kLetter600.physWidth, kLetter600.physHeight};
    const Expected shifts600[] = {
        {0, 0, 0}, {1, 0, -60}, {2, 0, 0}, {3, 0, 0}, {4, 0, -60},
        {5, 0, 0}, {6, -84, -120}, {7, -42, 0}, {8, -42, 0},
    };
    for (const Expected &e : shifts600) {
        WatermarkRecord wm = Record(e.position, 20.0);
        WatermarkLayoutInput ordinary = Ordinary(&wm);
        WatermarkLayoutInput request = ordinary;
        request.requestFlag = 1;
        request.pageRect = &sheet;
        POINT a = Place(ordinary), b = Place(request);
        EXPECT_EQ(a.x - b.x, e.x) << "position " << e.position;
        EXPECT_EQ(a.y - b.y, e.y) << "position " << e.position;
    }
    // 0.07 and 0.1 inch at 300 dpi.
    WatermarkRecord wm = Record(WM_POS_BOTTOM_RIGHT);
    WatermarkLayoutInput in = Ordinary(&wm);
    in.dpi = 300;
    WatermarkLayoutInput request = in;
    request.requestFlag = 1;
    request.pageRect = &sheet;
    POINT a = Place(in), b = Place(request);
    EXPECT_EQ(a.x - b.x, -42);
    EXPECT_EQ(a.y - b.y, -60);
}

TEST(WatermarkLayout, OffsetsInInchesAndMillimetres) {
    WatermarkRecord wm = Record(WM_POS_CENTER);
    POINT base = Place(Ordinary(&wm));

    struct Case {
        uint8_t units;
        double horizontal, vertical;
        int dx, dy;
    } cases[] = {
        {0, 25.4, 0.0, 600, 0},      // one inch in millimetres
        {1, 1.0, 0.0, 600, 0},       // one inch
        {1, 0.0, 1.0, 0, -600},      // positive vertical offsets move up
        {1, -0.5, -0.25, -300, 150},
        {0, 0.0, -12.7, 0, 300},
        // 12.6 device units in millimetre scale round to 13 first, and 13
        // converted is 0.51 unit: one unit, where rounding once gives none.
        {0, 0.021, 0.0, 1, 0},
    };
    for (const Case &c : cases) {
        wm.units = c.units;
        wm.horizontalOffset = c.horizontal;
        wm.verticalOffset = c.vertical;
        POINT p = Place(Ordinary(&wm));
        EXPECT_EQ(p.x - base.x, c.dx) << c.horizontal << " in units " << int(c.units);
        EXPECT_EQ(p.y - base.y, c.dy) << c.vertical << " in units " << int(c.units);
    }
}

TEST(WatermarkLayout, DevmodeScaleShrinksFontAndPosition) {
    WatermarkRecord wm = Record(WM_POS_CENTER);
    WatermarkLayoutInput in = Ordinary(&wm);
    WatermarkLayout full = Layout(in);
    in.dmScale = 50;
    WatermarkLayout half = Layout(in);
    EXPECT_EQ(full.font.lfHeight, -600);
    EXPECT_EQ(half.font.lfHeight, -300);
    EXPECT_EQ(full.x, 1950);
    EXPECT_EQ(full.y, 3030);
    EXPECT_EQ(half.x, 975);
    EXPECT_EQ(half.y, 1515);

    // Halves of a device unit round away from zero.
    wm.horizontalOffset = 1.0 / 600;  // one device unit
    WatermarkLayout odd = Layout(in);
    EXPECT_EQ(odd.x, 976);
}

TEST(WatermarkLayout, LandscapeJobOnAnUprightSheetSwapsSidesAndOffsets) {
    WatermarkRecord wm = Record(WM_POS_CENTER);
    WatermarkLayoutInput in = Ordinary(&wm);
    in.orientation = DMORIENT_LANDSCAPE;
    POINT p = Place(in);
    // Page 6600 x 5100, ox = physY (120), oy = physX (100).
    EXPECT_EQ(p.x, 3300 - 500 - 120);
    EXPECT_EQ(p.y, 2550 - 150 - 100);

    wm.position = WM_POS_BOTTOM_RIGHT;
    p = Place(in);
    EXPECT_EQ(p.x, 6600 - 1000 - 240 - 84);
    EXPECT_EQ(p.y, 5100 - 300 - 200 - 120);

    // A sheet already reported sideways is left as it is.
    wm.position = WM_POS_CENTER;
    in.device = WatermarkDevice{6600, 5100, 120, 100};
    p = Place(in);
    EXPECT_EQ(p.x, 3300 - 500 - 120);
    EXPECT_EQ(p.y, 2550 - 150 - 100);

    // And a portrait job on a sideways sheet turns it upright.
    in.orientation = DMORIENT_PORTRAIT;
    p = Place(in);
    EXPECT_EQ(p.x, 2550 - 500 - 100);
    EXPECT_EQ(p.y, 3300 - 150 - 120);
}

TEST(WatermarkLayout, LogicalPageRequests) {
    WatermarkRecord wm = Record(WM_POS_CENTER);
    WatermarkLayoutInput in = Ordinary(&wm);
    in.requestFlag = 1;

    // Two-up: a half-size upright page. Shrunken pages use ox 0 and physX as oy.
    const RECT half{0, 0, 2550, 3300};
    in.pageRect = &half;
    in.scale = 0.5f;
    in.extent = SIZE{500, 150};
    WatermarkLayout l = Layout(in);
    EXPECT_EQ(l.font.lfHeight, -300);
    EXPECT_EQ(l.x, 1275 - 250 - 0);
    EXPECT_EQ(l.y, 1650 - 75 - 100);

    wm.position = WM_POS_TOP_RIGHT;  // no edge inset on a logical page
    l = Layout(in);
    EXPECT_EQ(l.x, 2550 - 500 - 0);
    EXPECT_EQ(l.y, 0 + 100);

    // Offsets shrink with the page.
    wm.position = WM_POS_CENTER;
    wm.horizontalOffset = 1.0;
    l = Layout(in);
    EXPECT_EQ(l.x, 1275 - 250 + 300);
    wm.horizontalOffset = 0.0;

    // A sideways logical page of an upright job is turned: ox physY, oy 0.
    const RECT sideways{0, 2550, 3300, 0};  // bottom above top counts by its size
    in.pageRect = &sideways;
    l = Layout(in);
    EXPECT_EQ(l.x, 1275 - 250 - 120);
    EXPECT_EQ(l.y, 1650 - 75 - 0);

    // Enlarged pages keep the device's offsets.
    const RECT sheet{0, 0, 5100, 6600};
    in.pageRect = &sheet;
    in.scale = 2.0f;
    in.extent = kExtent;
    l = Layout(in);
    EXPECT_EQ(l.font.lfHeight, -1200);
    EXPECT_EQ(l.x, 2550 - 500 - 100);
    EXPECT_EQ(l.y, 3300 - 150 - 120);
    wm.position = WM_POS_TOP_RIGHT;
    l = Layout(in);
    EXPECT_EQ(l.x, 5100 - 1000 - 200);
    EXPECT_EQ(l.y, 120);

    in.pageRect = nullptr;
    WatermarkLayout out{};
    EXPECT_FALSE(ComputeWatermarkLayout(&in, &out));
}

TEST(WatermarkLayout, FontFollowsTheRecord) {
    WatermarkRecord wm = Record(WM_POS_CENTER);
    LOGFONTW lf{};
    ASSERT_TRUE(BuildWatermarkFont(&wm, 300, 100, 1.0f, &lf));
    EXPECT_EQ(lf.lfHeight, -300);
    EXPECT_EQ(lf.lfWidth, 0);
    EXPECT_EQ(lf.lfEscapement, 0);
    EXPECT_EQ(lf.lfWeight, FW_NORMAL);
    EXPECT_EQ(lf.lfItalic, 0);
    EXPECT_EQ(lf.lfUnderline, 0);
    EXPECT_EQ(lf.lfStrikeOut, 0);
    EXPECT_EQ(lf.lfCharSet, 0);
    EXPECT_EQ(lf.lfOutPrecision, 0);
    EXPECT_EQ(lf.lfClipPrecision, 0);
    EXPECT_EQ(lf.lfQuality, 0);
    EXPECT_EQ(lf.lfPitchAndFamily, 0);
    EXPECT_STREQ(lf.lfFaceName, L"Arial");

    // 9 pt at 600 dpi is 75 units; at half size 37.5, which rounds away from zero.
    wm.pointSize = 9;
    ASSERT_TRUE(BuildWatermarkFont(&wm, 600, 100, 0.5f, &lf));
    EXPECT_EQ(lf.lfHeight, -38);
    // 10 pt at 600 dpi: MulDiv(-100, 600, 720) = -83; scaled by 0.75: -62.25.
    wm.pointSize = 10;
    ASSERT_TRUE(BuildWatermarkFont(&wm, 600, 100, 0.75f, &lf));
    EXPECT_EQ(lf.lfHeight, -62);

    wm.angle = 12.25;
    ASSERT_TRUE(BuildWatermarkFont(&wm, 600, 100, 1.0f, &lf));
    EXPECT_EQ(lf.lfEscapement, 123);
    EXPECT_EQ(lf.lfOrientation, 123);
    wm.angle = -12.25;
    ASSERT_TRUE(BuildWatermarkFont(&wm, 600, 100, 1.0f, &lf));
    EXPECT_EQ(lf.lfEscapement, -123);
    EXPECT_EQ(lf.lfOrientation, -123);

    const struct {
        uint32_t style;
        LONG weight;
        BYTE italic;
    } styles[] = {{0, 400, 0}, {1, 400, 1}, {2, 700, 0}, {3, 700, 1}};
    for (const auto &s : styles) {
        wm.fontStyle = s.style;
        ASSERT_TRUE(BuildWatermarkFont(&wm, 600, 100, 1.0f, &lf));
        EXPECT_EQ(lf.lfWeight, s.weight) << s.style;
        EXPECT_EQ(lf.lfItalic, s.italic) << s.style;
    }

    wm.effects = kEffectUnderline;
    ASSERT_TRUE(BuildWatermarkFont(&wm, 600, 100, 1.0f, &lf));
    EXPECT_EQ(lf.lfUnderline, 1);
    EXPECT_EQ(lf.lfStrikeOut, 0);
    wm.effects = kEffectStrikeout | kEffectOutline;
    ASSERT_TRUE(BuildWatermarkFont(&wm, 600, 100, 1.0f, &lf));
    EXPECT_EQ(lf.lfUnderline, 0);
    EXPECT_EQ(lf.lfStrikeOut, 1);

    wm.charSet = 0x1A2;
    const wchar_t *longFace = L"Extraordinarily Long Font Face Name Of Forty";
    wcsncpy(wm.faceName, longFace, 63);
    ASSERT_TRUE(BuildWatermarkFont(&wm, 600, 100, 1.0f, &lf));
    EXPECT_EQ(lf.lfCharSet, 0xA2);
    EXPECT_EQ(std::wstring(lf.lfFaceName), std::wstring(longFace, 31));
    // A face name without its terminator is still cut, not overrun.
    for (wchar_t &c : wm.faceName) c = L'F';
    ASSERT_TRUE(BuildWatermarkFont(&wm, 600, 100, 1.0f, &lf));
    EXPECT_EQ(std::wstring(lf.lfFaceName), std::wstring(31, L'F'));
}

TEST(WatermarkLayout, IntensityLightensTowardWhite) {
    WatermarkRecord wm = Record(WM_POS_CENTER);
    wm.intensity = 50;
    EXPECT_EQ(WatermarkColor(&wm), RGB(127, 127, 127));
    wm.intensity = 1;
    EXPECT_EQ(WatermarkColor(&wm), RGB(252, 252, 252));

    wm.color[0] = 10;
    wm.color[1] = 200;
    wm.color[2] = 30;
    wm.intensity = 100;
    EXPECT_EQ(WatermarkColor(&wm), RGB(10, 200, 30));

    // 255 - MulDiv(55, 50, 100) etc.; MulDiv rounds 27.5 and 77.5 up.
    wm.color[0] = 200;
    wm.color[1] = 100;
    wm.color[2] = 0;
    wm.intensity = 50;
    EXPECT_EQ(WatermarkColor(&wm), RGB(227, 177, 127));

    // Out-of-range intensities read as full colour, never as a wrapped channel.
    wm.intensity = 0;
    EXPECT_EQ(WatermarkColor(&wm), RGB(200, 100, 0));
    wm.intensity = 250;
    EXPECT_EQ(WatermarkColor(&wm), RGB(200, 100, 0));

    WatermarkLayout l = Layout(Ordinary(&wm));
    EXPECT_EQ(l.color, RGB(200, 100, 0));
}

TEST(WatermarkLayout, CorruptValuesFailInsteadOfWrapping) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    WatermarkLayout out{};

    auto fails = [&](auto change) {
        WatermarkRecord wm = Record(WM_POS_BOTTOM_RIGHT, 10.0);
        WatermarkLayoutInput in = Ordinary(&wm);
        change(wm, in);
        return !ComputeWatermarkLayout(&in, &out);
    };
    EXPECT_TRUE(fails([&](WatermarkRecord &wm, WatermarkLayoutInput &) { wm.angle = nan; }));
    EXPECT_TRUE(fails([&](WatermarkRecord &wm, WatermarkLayoutInput &) { wm.angle = inf; }));
    EXPECT_TRUE(fails([&](WatermarkRecord &wm, WatermarkLayoutInput &) { wm.horizontalOffset = nan; }));
    EXPECT_TRUE(fails([&](WatermarkRecord &wm, WatermarkLayoutInput &) { wm.verticalOffset = -inf; }));
    EXPECT_TRUE(fails([&](WatermarkRecord &wm, WatermarkLayoutInput &) { wm.horizontalOffset = 1e12; }));
    EXPECT_TRUE(fails([&](WatermarkRecord &wm, WatermarkLayoutInput &) { wm.pointSize = 0xFFFFFFFFu; }));
    EXPECT_TRUE(fails([&](WatermarkRecord &, WatermarkLayoutInput &in) { in.scale = 0.0f; }));
    EXPECT_TRUE(fails([&](WatermarkRecord &, WatermarkLayoutInput &in) {
        in.scale = std::numeric_limits<float>::quiet_NaN();
    }));
    EXPECT_TRUE(fails([&](WatermarkRecord &, WatermarkLayoutInput &in) { in.dpi = 0; }));
    EXPECT_TRUE(fails([&](WatermarkRecord &, WatermarkLayoutInput &in) { in.dmScale = 0; }));
    EXPECT_TRUE(fails([&](WatermarkRecord &, WatermarkLayoutInput &in) { in.extent = SIZE{INT_MAX, 10}; }));
    static const RECT huge{LONG_MIN, 0, LONG_MAX, 100};
    EXPECT_TRUE(fails([&](WatermarkRecord &, WatermarkLayoutInput &in) {
        in.requestFlag = 1;
        in.pageRect = &huge;
    }));
    // Large but sane offsets still place the text, off the sheet.
    EXPECT_FALSE(fails([&](WatermarkRecord &, WatermarkLayoutInput &) {}));
    int onSheet = out.x;
    EXPECT_FALSE(fails([&](WatermarkRecord &wm, WatermarkLayoutInput &) { wm.horizontalOffset = 100.0; }));
    EXPECT_EQ(out.x - onSheet, 60000);
}
