#include "ui/watermark/draw.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cwchar>
#include <utility>

#include "platform/raii.h"
#include "ui/watermark/text.h"

namespace {

constexpr double kRadiansPerDegree = 0.017453292519943295;
constexpr double kInchesPerMillimetre = 0.03937007874015748;
// Far beyond any sheet at any resolution. Holding every coordinate inside it
// keeps the "times ten" steps and MulDiv inside int, so a corrupt record gives
// a failure instead of a wrapped-around position.
constexpr long long kCoordinateLimit = 1LL << 26;

bool InRange(long long v) { return v >= -kCoordinateLimit && v <= kCoordinateLimit; }

bool Round(double v, int *out) { return RoundWatermarkValue(v, out); }

// The platform's MulDiv (its rounding included) on operands that are known
// to fit.
bool CheckedMulDiv(long long value, int numerator, int denominator, int *out) {
    if (denominator == 0 || value > INT_MAX || value < -INT_MAX) return false;
    if (!InRange(value * numerator / denominator)) return false;
    *out = MulDiv(static_cast<int>(value), numerator, denominator);
    return true;
}

// How each anchor is corrected by the physical offsets (multiples of ox and
// oy) and moved off the right and bottom edges of an ordinary page
// (multiples of the insets).
struct AnchorRule {
    int oxFactor;
    int oyFactor;
    int insetXFactor;
    int insetYFactor;
};

constexpr AnchorRule kAnchorRules[] = {
    {-1, -1, 0, 0},  // centre
    {1, -2, 0, 1},   // bottom left
    {1, 1, 0, 0},    // top left
    {1, -1, 0, 0},   // left, middle
    {-1, -2, 0, 1},  // bottom centre
    {-1, 1, 0, 0},   // top centre
    {-2, -2, 2, 2},  // bottom right
    {-2, 1, 1, 0},   // top right
    {-2, -1, 1, 0},  // right, middle
};

struct PageBox {
    int width;
    int height;
    int ox;
    int oy;
};

bool ChoosePageBox(const WatermarkLayoutInput &in, PageBox *box) {
    const WatermarkDevice &d = in.device;
    bool logical = in.requestFlag != 0;
    bool shrunk = logical && in.scale < 1.0f;
    if (!InRange(d.physWidth) || !InRange(d.physHeight) || !InRange(d.physOffsetX) || !InRange(d.physOffsetY))
        return false;
    long long width = d.physWidth, height = d.physHeight;
    box->ox = d.physOffsetX;
    box->oy = d.physOffsetY;
    if (logical) {
        width = static_cast<long long>(in.pageRect->right) - in.pageRect->left;
        height = std::llabs(static_cast<long long>(in.pageRect->bottom) - in.pageRect->top);
        if (shrunk) {
            box->ox = 0;
            box->oy = d.physOffsetX;
        }
    }
    if (!InRange(width) || !InRange(height)) return false;
    // The device may report the sheet upright while the job is turned.
    bool turned = (in.orientation == DMORIENT_LANDSCAPE && height > width) ||
                  (in.orientation == DMORIENT_PORTRAIT && height < width);
    if (turned) {
        std::swap(width, height);
        box->ox = d.physOffsetY;
        box->oy = shrunk ? 0 : d.physOffsetX;
    }
    box->width = static_cast<int>(width);
    box->height = static_cast<int>(height);
    return true;
}

struct TextBox {
    int w;
    int h;
    double theta;
    double c;
    double s;
    int wc;
    int ws;
    int hs;
    int hc;
};

TextBox RotateTextBox(SIZE extent, double angle) {
    TextBox t{};
    t.w = extent.cx;
    t.h = extent.cy;
    t.theta = angle * kRadiansPerDegree;
    t.c = std::cos(t.theta);
    t.s = std::sin(t.theta);
    int ci = static_cast<int>(std::round(t.c * 10000));
    int si = static_cast<int>(std::round(t.s * 10000));
    t.wc = MulDiv(t.w, ci, 10000);
    t.ws = MulDiv(t.w, si, 10000);
    t.hs = MulDiv(t.h, si, 10000);
    t.hc = MulDiv(t.h, ci, 10000);
    return t;
}

// A point at distance r from the reference point, at angle phi: the corner
// or edge middle of the rotated box that the anchor pins to the page.
bool PolarOffset(double phi, double r, int *cosPart, int *sinPart) {
    return Round(std::cos(phi) * r, cosPart) && Round(std::sin(phi) * r, sinPart);
}

// The centre anchor as the preview rounds it: each half rounded from the
// rounded full product.
void PreviewCentre(const AnchorBox &box, const TextBox &t, long long *x, long long *y) {
    auto half = [](double v) { return std::round(std::round(v) * 0.5); };
    *x = box.midX - static_cast<long long>(half(t.w * t.c) + half(t.h * t.s));
    *y = box.midY + static_cast<long long>(half(t.w * t.s)) - static_cast<long long>(half(t.h * t.c));
}

// The text's reference point that puts the anchor's corner or edge middle of
// the rotated text box on the matching place of the box.
bool AnchorPoint(uint32_t position, const AnchorBox &box, const TextBox &t, CentreRule rule, long long *x,
                 long long *y) {
    long long h = t.h, w = t.w;
    int a = 0, b = 0;
    switch (position) {
    case WM_POS_BOTTOM_LEFT:
        if (!Round(t.s * h, &a) || !Round(t.c * h, &b)) return false;
        *x = box.left - a;
        *y = box.bottom - b;
        return true;
    case WM_POS_TOP_LEFT:
        *x = box.left;
        *y = box.top;
        return true;
    case WM_POS_MIDDLE_LEFT:
        if (!Round(t.s * h * 0.5, &a) || !Round(t.c * h * 0.5, &b)) return false;
        *x = box.left - a;
        *y = box.midY - b;
        return true;
    case WM_POS_BOTTOM_CENTER: {
        double half = w * 0.5;
        double r = std::sqrt(static_cast<double>(h * h) + half * half);
        if (r == 0) break;
        if (!PolarOffset(t.theta - std::asin(h / r), r, &a, &b)) return false;
        *x = box.midX - a;
        *y = box.bottom + b;
        return true;
    }
    case WM_POS_TOP_CENTER:
        if (!Round(t.c * w * 0.5, &a) || !Round(t.s * w * 0.5, &b)) return false;
        *x = box.midX - a;
        *y = box.top + b;
        return true;
    case WM_POS_BOTTOM_RIGHT: {
        double r = std::sqrt(static_cast<double>(h * h + w * w));
        if (r == 0) break;
        if (!PolarOffset(t.theta - std::asin(h / r), r, &a, &b)) return false;
        *x = box.right - a;
        *y = box.bottom + b;
        return true;
    }
    case WM_POS_TOP_RIGHT:
        if (!Round(t.c * w, &a) || !Round(t.s * w, &b)) return false;
        *x = box.right - a;
        *y = box.top + b;
        return true;
    case WM_POS_MIDDLE_RIGHT: {
        double half = h * 0.5;
        double r = std::sqrt(static_cast<double>(w * w) + half * half);
        if (r == 0) break;
        if (!PolarOffset(t.theta + std::asin(w / r), r, &a, &b)) return false;
        // Measured from the right edge's middle, the sine part runs across
        // the box and the cosine part down it.
        *x = box.right - b;
        *y = box.midY - a;
        return true;
    }
    default:
        if (rule == CentreRule::Preview) {
            PreviewCentre(box, t, x, y);
            return true;
        }
        *x = box.midX + (-(t.wc + t.hs)) / 2;
        *y = box.midY + (t.ws - t.hc) / 2;
        return true;
    }
    // A text without extent: the anchor itself.
    *x = position == WM_POS_BOTTOM_CENTER ? box.midX : box.right;
    *y = position == WM_POS_MIDDLE_RIGHT ? box.midY : box.bottom;
    return true;
}

// The job's start time gives the same text on every page of a job; without a
// usable one, the time of drawing.
SYSTEMTIME VariableTime(const SYSTEMTIME *jobTime) {
    FILETIME check;
    if (jobTime && SystemTimeToFileTime(jobTime, &check)) return *jobTime;
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now;
}

// The text to draw: the record's text, cut as validation cuts it, expanded
// when it carries variables.
bool WatermarkText(HANDLE printer, HDC dc, const WatermarkRecord *wm, int pageNumber, const SYSTEMTIME *jobTime,
                   wchar_t (&text)[kWatermarkTextChars]) {
    wchar_t stored[ARRAYSIZE(wm->text)];
    size_t n = wcsnlen(wm->text, ARRAYSIZE(stored) - 1);
    wmemcpy(stored, wm->text, n);
    stored[n] = L'\0';
    if (!wm->dynamicText) {
        wmemcpy(text, stored, n + 1);
        return true;
    }
    SYSTEMTIME t = VariableTime(jobTime);
    size_t size = kWatermarkTextChars;
    return ExpandWatermarkText(printer, dc, stored, pageNumber, &t, EXPAND_PRINT, text, &size);
}

// Drivers report the resolution in the devmode; a device-independent quality
// level (a negative value) says nothing about dots, so the device is asked.
int JobResolution(const DEVMODEW *devmode, HDC dc) {
    return devmode->dmPrintQuality > 0 ? devmode->dmPrintQuality : GetDeviceCaps(dc, LOGPIXELSY);
}

int JobScale(const DEVMODEW *devmode) { return devmode->dmScale > 0 ? devmode->dmScale : 100; }

WatermarkDevice MeasureDevice(HDC dc) {
    return WatermarkDevice{GetDeviceCaps(dc, PHYSICALWIDTH), GetDeviceCaps(dc, PHYSICALHEIGHT),
                           GetDeviceCaps(dc, PHYSICALOFFSETX), GetDeviceCaps(dc, PHYSICALOFFSETY)};
}

void StrokeTextOutline(HDC dc, COLORREF color, int x, int y, const wchar_t *text, int length) {
    if (!BeginPath(dc)) return;
    bool traced = TextOutW(dc, x, y, text, length) != 0;
    if (!EndPath(dc) || !traced) {
        AbortPath(dc);
        return;
    }
    select_object_guard pen(dc, GetStockObject(DC_PEN));
    if (!pen.ok()) {
        AbortPath(dc);
        return;
    }
    COLORREF oldPenColor = SetDCPenColor(dc, color);
    auto restorePenColor = scope_exit([&] {
        if (oldPenColor != CLR_INVALID) SetDCPenColor(dc, oldPenColor);
    });
    StrokePath(dc);
}

}  // namespace

bool RoundWatermarkValue(double v, int *out) {
    if (!out || !std::isfinite(v) || std::fabs(v) > static_cast<double>(kCoordinateLimit)) return false;
    *out = static_cast<int>(std::round(v));
    return true;
}

bool WatermarkAnchorPoint(uint32_t position, const AnchorBox &box, SIZE extent, double angle, CentreRule rule,
                          long long *x, long long *y) {
    if (!x || !y || !InRange(extent.cx) || !InRange(extent.cy) || !std::isfinite(angle)) return false;
    return AnchorPoint(position, box, RotateTextBox(extent, angle), rule, x, y);
}

bool WatermarkOffsets(const WatermarkRecord *wm, int dpiX, int dpiY, double scale, int *offH, int *offV) {
    if (!wm || !offH || !offV) return false;
    if (!Round(dpiX * wm->horizontalOffset * scale, offH)) return false;
    if (!Round(dpiY * wm->verticalOffset * scale, offV)) return false;
    if (wm->units != 0) return true;
    return Round(*offH * kInchesPerMillimetre, offH) && Round(*offV * kInchesPerMillimetre, offV);
}

// The drawing calls' own results are not looked at: a page that did not take
// its watermark still prints, and the caller goes on either way.
void PaintWatermarkText(HDC dc, COLORREF color, int x, int y, const wchar_t *text, int length, bool outline,
                        const RECT &clip) {
    COLORREF oldColor = SetTextColor(dc, color);
    auto restoreColor = scope_exit([&] {
        if (oldColor != CLR_INVALID) SetTextColor(dc, oldColor);
    });
    int oldMode = SetBkMode(dc, TRANSPARENT);
    auto restoreMode = scope_exit([&] {
        if (oldMode != 0) SetBkMode(dc, oldMode);
    });
    if (outline) {
        StrokeTextOutline(dc, color, x, y, text, length);
        return;
    }
    ExtTextOutW(dc, x, y, ETO_CLIPPED, &clip, text, static_cast<UINT>(length), nullptr);
}

COLORREF WatermarkColor(const WatermarkRecord *wm) {
    if (!wm) return RGB(0, 0, 0);
    // Out of range reads as full colour, as validation would make it.
    int intensity = (wm->intensity == 0 || wm->intensity > 100) ? 100 : wm->intensity;
    auto channel = [intensity](uint8_t v) { return static_cast<BYTE>(255 - MulDiv(255 - v, intensity, 100)); };
    return RGB(channel(wm->color[0]), channel(wm->color[1]), channel(wm->color[2]));
}

bool BuildWatermarkFont(const WatermarkRecord *wm, int dpi, int dmScale, float scale, LOGFONTW *font) {
    if (!wm || !font || dpi <= 0 || dmScale <= 0) return false;
    if (!std::isfinite(scale) || scale <= 0.0f) return false;
    int h1 = 0, h2 = 0, h3 = 0, escapement = 0;
    if (!CheckedMulDiv(-10LL * wm->pointSize, dpi, 720, &h1)) return false;
    if (!Round(h1 * static_cast<double>(scale), &h2)) return false;
    if (!CheckedMulDiv(10LL * h2, dmScale, 1000, &h3)) return false;
    if (!Round(wm->angle * 10.0, &escapement)) return false;

    ZeroMemory(font, sizeof(*font));
    size_t faceLength = wcsnlen(wm->faceName, ARRAYSIZE(wm->faceName));
    if (faceLength > 31) faceLength = 31;
    wmemcpy(font->lfFaceName, wm->faceName, faceLength);
    font->lfFaceName[faceLength] = L'\0';
    font->lfHeight = h3;
    font->lfEscapement = escapement;
    font->lfOrientation = escapement;
    font->lfWeight = (wm->fontStyle == 2 || wm->fontStyle == 3) ? FW_BOLD : FW_NORMAL;
    font->lfItalic = (wm->fontStyle == 1 || wm->fontStyle == 3) ? 1 : 0;
    font->lfUnderline = (wm->effects & kEffectUnderline) ? 1 : 0;
    font->lfStrikeOut = (wm->effects & kEffectStrikeout) ? 1 : 0;
    font->lfCharSet = static_cast<BYTE>(wm->charSet & 0xFF);
    return true;
}

bool ComputeWatermarkLayout(const WatermarkLayoutInput *in, WatermarkLayout *out) {
    if (!in || !out || !in->wm) return false;
    if (in->requestFlag && !in->pageRect) return false;
    if (!InRange(in->extent.cx) || !InRange(in->extent.cy)) return false;
    if (!BuildWatermarkFont(in->wm, in->dpi, in->dmScale, in->scale, &out->font)) return false;
    out->color = WatermarkColor(in->wm);

    PageBox page{};
    if (!ChoosePageBox(*in, &page)) return false;
    uint32_t position = in->wm->position <= WM_POS_MIDDLE_RIGHT ? in->wm->position : WM_POS_CENTER;
    AnchorBox box{0, 0, page.width, page.height, page.width / 2, page.height / 2};
    long long x = 0, y = 0;
    if (!AnchorPoint(position, box, RotateTextBox(in->extent, in->wm->angle), CentreRule::Print, &x, &y))
        return false;

    const AnchorRule &rule = kAnchorRules[position];
    if (in->compensateOffsets) {
        x += static_cast<long long>(rule.oxFactor) * page.ox;
        y += static_cast<long long>(rule.oyFactor) * page.oy;
    }
    if (!in->requestFlag) {
        x -= rule.insetXFactor * std::llround(0.07 * in->dpi);
        y -= rule.insetYFactor * std::llround(0.1 * in->dpi);
    }
    int offH = 0, offV = 0;
    if (!WatermarkOffsets(in->wm, in->dpi, in->dpi, in->scale, &offH, &offV)) return false;
    return CheckedMulDiv((x + offH) * 10, in->dmScale, 1000, &out->x) &&
           CheckedMulDiv((y - offV) * 10, in->dmScale, 1000, &out->y);
}

int DrawWatermark(HDC dc, HANDLE printer, const PrivateDevmode *settings, const DEVMODEW *devmode,
                  const WatermarkRecord *wm, int pageNumber, const SYSTEMTIME *jobTime, int requestFlag,
                  const RECT *pageRect, float scale) {
    if (!dc || !printer || !settings || !devmode || !wm) return 0;
    if (requestFlag && !pageRect) return 0;
    if (!wm->text[0]) return 1;
    wchar_t text[kWatermarkTextChars];
    if (!WatermarkText(printer, dc, wm, pageNumber, jobTime, text)) return 0;
    int length = static_cast<int>(wcsnlen(text, kWatermarkTextChars));
    if (length == 0) return 1;

    WatermarkLayoutInput in{};
    in.wm = wm;
    in.device = MeasureDevice(dc);
    in.dpi = JobResolution(devmode, dc);
    in.dmScale = JobScale(devmode);
    in.orientation = devmode->dmOrientation;
    in.compensateOffsets = settings->compensatePrinterOffsets != 0;
    in.requestFlag = requestFlag;
    in.pageRect = pageRect;
    in.scale = scale;

    LOGFONTW lf;
    if (!BuildWatermarkFont(wm, in.dpi, in.dmScale, scale, &lf)) return 0;
    unique_hfont font(CreateFontIndirectW(&lf));
    if (!font) return 0;
    select_object_guard selected(dc, font.get());
    if (!selected.ok()) return 0;
    if (!GetTextExtentPoint32W(dc, text, length, &in.extent)) return 0;
    WatermarkLayout layout;
    if (!ComputeWatermarkLayout(&in, &layout)) return 0;
    RECT clip{0, 0, 100000, 100000};
    PaintWatermarkText(dc, layout.color, layout.x, layout.y, text, length, (wm->effects & kEffectOutline) != 0,
                       clip);
    return 1;
}
