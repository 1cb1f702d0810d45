// The editor's and the position dialog's preview: the watermark drawn on a
// 0.195 scale model of the page in the preview control, with the anchors,
// rounding, colour and font rules that printing uses.
#pragma once

#include <windows.h>

#include "settings/private_devmode.h"

// The model's size relative to the page.
constexpr double kPreviewScale = 0.195;

struct PreviewLayout {
    LOGFONTW font;
    COLORREF color;
    int x;  // where the text is drawn, in client coordinates
    int y;
};

// The preview's font for a screen of `dpiY` dots per inch: the printing font
// with the height scaled to the model (at least one pixel).
bool BuildPreviewFont(const WatermarkRecord *wm, int dpiY, LOGFONTW *font);

// Font, colour and text position for a text of unrotated `extent` in the
// preview's client rectangle `client`, offsets included. Fails for values
// whose result would not fit a coordinate.
bool ComputePreviewLayout(const WatermarkRecord *wm, SIZE extent, const RECT &client, int dpiX, int dpiY,
                          PreviewLayout *out);

// Draws `record` into `window`'s client area on `dc`: the white model page,
// then the text (expanded as a sample when it carries variables; nothing at
// all when that expansion fails). Leaves the device context as it found it.
void DrawWatermarkPreview(HDC dc, HWND window, const WatermarkRecord *record, HANDLE printer);

// Fills `record`'s fields from the dialog that owns the preview; false when
// there is nothing to draw.
using PreviewCollectFn = bool (*)(HWND dialog, WatermarkRecord *record);

// Makes `control` a preview: it keeps a copy of `start`, the printer and
// `collect`, and on every paint draws what `collect` gives. The control frees
// what it keeps when it is destroyed.
bool AttachPreview(HWND control, const WatermarkRecord *start, HANDLE printer, PreviewCollectFn collect);

// Repaints the preview control `id` of `dialog` (erasing it first).
void RefreshPreview(HWND dialog, int id);
