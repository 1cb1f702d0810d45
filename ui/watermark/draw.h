// Drawing one watermark on a printer device context, in the device's units.
// The geometry is a pure function of the device's measurements and the text
// extent so that it can be checked to the device unit; DrawWatermark only
// measures, creates the font and draws.
#pragma once

#include <windows.h>

#include "settings/private_devmode.h"

// The sheet as GetDeviceCaps reports it.
struct WatermarkDevice {
    int physWidth;    // PHYSICALWIDTH
    int physHeight;   // PHYSICALHEIGHT
    int physOffsetX;  // PHYSICALOFFSETX
    int physOffsetY;  // PHYSICALOFFSETY
};

struct WatermarkLayoutInput {
    const WatermarkRecord *wm;
    WatermarkDevice device;
    SIZE extent;         // unrotated extent of the whole text in the watermark font
    int dpi;             // resolution of the job
    int dmScale;         // percent
    int orientation;     // DMORIENT_PORTRAIT or DMORIENT_LANDSCAPE
    bool compensateOffsets;
    int requestFlag;     // non-zero: one logical page of the sheet, in pageRect
    const RECT *pageRect;
    float scale;         // size factor of the logical page; 1 for ordinary pages
};

struct WatermarkLayout {
    LOGFONTW font;
    COLORREF color;
    int x;  // reference point of the text under the device context's alignment
    int y;
};

// The drawing colour: each channel lightened toward white by `intensity`.
COLORREF WatermarkColor(const WatermarkRecord *wm);

// The watermark's font at `dpi`, `dmScale` percent and the logical page's
// `scale`. Fails for values that cannot give a font of any sane size.
bool BuildWatermarkFont(const WatermarkRecord *wm, int dpi, int dmScale, float scale, LOGFONTW *font);

// Font, colour and reference point. Fails for missing inputs and for values
// (angle, offsets, sizes) whose result would not fit a device coordinate.
bool ComputeWatermarkLayout(const WatermarkLayoutInput *in, WatermarkLayout *out);

// The pieces that the editor's preview shares with printing, so that the
// screen model of the page rounds, colours and anchors as the page does.

// Nearest integer, halves away from zero (R(2.5) = 3, R(-2.5) = -3). False
// for values that no device coordinate could hold.
bool RoundWatermarkValue(double v, int *out);

// What the anchors refer to: the page box for printing (from 0, 0), the
// preview's client rectangle on screen. midX and midY are its middle.
struct AnchorBox {
    long long left;
    long long top;
    long long right;
    long long bottom;
    long long midX;
    long long midY;
};

// The centre anchor is rounded differently on the page (through the
// ten-thousandths of the sine and cosine) and in the preview (each half from
// the rounded full product); every other anchor is the same in both.
enum class CentreRule { Print, Preview };

// The text's reference point for `position` (values beyond the table are the
// centre), for a text of unrotated `extent` turned by `angle` degrees.
bool WatermarkAnchorPoint(uint32_t position, const AnchorBox &box, SIZE extent, double angle, CentreRule rule,
                          long long *x, long long *y);

// The record's offsets at dpiX, dpiY times `scale`; millimetres are rounded
// once as scaled values and again after conversion.
bool WatermarkOffsets(const WatermarkRecord *wm, int dpiX, int dpiY, double scale, int *offH, int *offV);

// Draws `length` characters of `text` at (x, y) in `color` on a transparent
// background: the stroked path of the glyphs with `outline`, else the text
// clipped to `clip`. Leaves the text colour, background mode and pen as found.
void PaintWatermarkText(HDC dc, COLORREF color, int x, int y, const wchar_t *text, int length, bool outline,
                        const RECT &clip);

// Draws `wm` for page `pageNumber`. Returns 1 when the watermark was drawn or
// had nothing to draw and 0 on failure; leaves the text colour, background
// mode, font and pen of `dc` as it found them.
int DrawWatermark(HDC dc, HANDLE printer, const PrivateDevmode *settings, const DEVMODEW *devmode,
                  const WatermarkRecord *wm, int pageNumber, const SYSTEMTIME *jobTime, int requestFlag,
                  const RECT *pageRect, float scale);
