#include "ui/watermark/preview.h"

#include <climits>
#include <cwchar>

#include "platform/raii.h"
#include "ui/watermark/draw.h"
#include "ui/watermark/text.h"

namespace {

// Far beyond any screen; keeps the sums below inside int.
constexpr long long kPreviewCoordinateLimit = 1LL << 26;

struct PreviewBlock {
    WNDPROC previous;
    WatermarkRecord record;  // the record as it was when the preview was attached
    HANDLE printer;
    PreviewCollectFn collect;
};

// The text the preview shows: the stored text, or its sample expansion.
bool PreviewText(const WatermarkRecord &wm, HANDLE printer, HDC dc, wchar_t (&text)[kWatermarkTextChars]) {
    wchar_t stored[ARRAYSIZE(wm.text)];
    size_t n = wcsnlen(wm.text, ARRAYSIZE(stored) - 1);
    wmemcpy(stored, wm.text, n);
    stored[n] = L'\0';
    if (!wm.dynamicText) {
        wmemcpy(text, stored, n + 1);
        return true;
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    size_t size = kWatermarkTextChars;
    return ExpandWatermarkText(printer, dc, stored, 1, &now, EXPAND_PREVIEW, text, &size);
}

RECT WindowRectInClient(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

// The model page: a black frame on the window's edge, white inside.
void PaintPage(HDC dc, HWND window) {
    RECT frame = WindowRectInClient(window);
    unique_hpen pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    if (pen) {
        select_object_guard selectedPen(dc, pen.get());
        select_object_guard selectedBrush(dc, GetStockObject(WHITE_BRUSH));
        Rectangle(dc, frame.left, frame.top, frame.right, frame.bottom);
    }
    RECT client{};
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
}

// The outline is clipped to the window, the filled text to the client area.
void PaintOutline(HDC dc, HWND window, const PreviewLayout &layout, const wchar_t *text, int length,
                  const RECT &client) {
    RECT frame = WindowRectInClient(window);
    unique_hrgn previous(CreateRectRgn(0, 0, 0, 0));
    int had = previous ? GetClipRgn(dc, previous.get()) : -1;
    unique_hrgn clip(CreateRectRgnIndirect(&frame));
    if (!clip || had < 0) return;
    SelectClipRgn(dc, clip.get());
    PaintWatermarkText(dc, layout.color, layout.x, layout.y, text, length, true, client);
    SelectClipRgn(dc, had == 1 ? previous.get() : nullptr);
}

void PaintText(HDC dc, HWND window, const WatermarkRecord &wm, const wchar_t *text, int length) {
    LOGFONTW lf;
    if (!BuildPreviewFont(&wm, GetDeviceCaps(dc, LOGPIXELSY), &lf)) return;
    unique_hfont font(CreateFontIndirectW(&lf));
    if (!font) return;
    select_object_guard selected(dc, font.get());
    if (!selected.ok()) return;
    SIZE extent{};
    if (!GetTextExtentPoint32W(dc, text, length, &extent)) return;
    RECT client{};
    GetClientRect(window, &client);
    PreviewLayout layout;
    if (!ComputePreviewLayout(&wm, extent, client, GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY),
                              &layout))
        return;
    if (wm.effects & kEffectOutline)
        PaintOutline(dc, window, layout, text, length, client);
    else
        PaintWatermarkText(dc, layout.color, layout.x, layout.y, text, length, false, client);
}

void PaintPreview(HWND control, PreviewBlock *block) {
    WatermarkRecord drawn = block->record;
    // Without a record the control paints itself as it would otherwise.
    if (block->collect && !block->collect(GetParent(control), &drawn)) return;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(control, &ps);
    if (!dc) return;
    auto end = scope_exit([&] { EndPaint(control, &ps); });
    DrawWatermarkPreview(dc, control, &drawn, block->printer);
}

LRESULT CALLBACK PreviewProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    auto *block = reinterpret_cast<PreviewBlock *>(GetWindowLongPtrW(control, GWLP_USERDATA));
    if (!block) return DefWindowProcW(control, message, wParam, lParam);
    WNDPROC previous = block->previous;
    switch (message) {
    case WM_PAINT:
        PaintPreview(control, block);
        break;
    case WM_DESTROY:
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        SetWindowLongPtrW(control, GWLP_USERDATA, 0);
        HeapFree(GetProcessHeap(), 0, block);
        break;
    default:
        break;
    }
    return CallWindowProcW(previous, control, message, wParam, lParam);
}

bool FitsCoordinate(long long v) { return v >= -kPreviewCoordinateLimit && v <= kPreviewCoordinateLimit; }

}  // namespace

bool BuildPreviewFont(const WatermarkRecord *wm, int dpiY, LOGFONTW *font) {
    if (!wm || !font || dpiY <= 0) return false;
    if (!BuildWatermarkFont(wm, dpiY, 100, 1.0f, font)) return false;
    long long tenths = 10LL * wm->pointSize;
    if (tenths > INT_MAX) return false;
    int h = MulDiv(static_cast<int>(tenths), dpiY, 720);
    int t = 0;
    if (!RoundWatermarkValue(h * kPreviewScale, &t)) return false;
    font->lfHeight = t > 0 ? -t : -1;
    return true;
}

bool ComputePreviewLayout(const WatermarkRecord *wm, SIZE extent, const RECT &client, int dpiX, int dpiY,
                          PreviewLayout *out) {
    if (!wm || !out || dpiX <= 0) return false;
    if (!BuildPreviewFont(wm, dpiY, &out->font)) return false;
    out->color = WatermarkColor(wm);
    AnchorBox box{client.left,
                  client.top,
                  client.right,
                  client.bottom,
                  (static_cast<long long>(client.right) - client.left) / 2 + client.left,
                  (static_cast<long long>(client.bottom) - client.top) / 2 + client.top};
    long long x = 0, y = 0;
    if (!WatermarkAnchorPoint(wm->position, box, extent, wm->angle, CentreRule::Preview, &x, &y)) return false;
    int offH = 0, offV = 0;
    if (!WatermarkOffsets(wm, dpiX, dpiY, kPreviewScale, &offH, &offV)) return false;
    x += offH;
    y -= offV;
    if (!FitsCoordinate(x) || !FitsCoordinate(y)) return false;
    out->x = static_cast<int>(x);
    out->y = static_cast<int>(y);
    return true;
}

void DrawWatermarkPreview(HDC dc, HWND window, const WatermarkRecord *record, HANDLE printer) {
    if (!dc || !window || !record) return;
    wchar_t text[kWatermarkTextChars];
    if (!PreviewText(*record, printer, dc, text)) return;
    int oldGraphicsMode = SetGraphicsMode(dc, GM_ADVANCED);
    auto restoreGraphicsMode = scope_exit([&] {
        if (oldGraphicsMode != 0) SetGraphicsMode(dc, oldGraphicsMode);
    });
    int oldMode = SetBkMode(dc, TRANSPARENT);
    auto restoreMode = scope_exit([&] {
        if (oldMode != 0) SetBkMode(dc, oldMode);
    });
    PaintPage(dc, window);
    int length = static_cast<int>(wcsnlen(text, kWatermarkTextChars));
    if (length > 0) PaintText(dc, window, *record, text, length);
}

bool AttachPreview(HWND control, const WatermarkRecord *start, HANDLE printer, PreviewCollectFn collect) {
    if (!control || GetWindowLongPtrW(control, GWLP_USERDATA) != 0) return false;
    unique_process_heap_ptr memory(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(PreviewBlock)));
    if (!memory) return false;
    auto *block = static_cast<PreviewBlock *>(memory.get());
    if (start)
        block->record = *start;
    else
        MakeDefaultWatermark(&block->record);
    block->printer = printer;
    block->collect = collect;
    block->previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(control, GWLP_WNDPROC));
    if (!block->previous) return false;
    SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(block));
    if (!SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PreviewProc))) {
        SetWindowLongPtrW(control, GWLP_USERDATA, 0);
        return false;
    }
    memory.release();
    return true;
}

void RefreshPreview(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    if (control) InvalidateRect(control, nullptr, TRUE);
}
