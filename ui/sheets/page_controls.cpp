#include "ui/sheets/page_controls.h"

#include "platform/raii.h"

void DisableAllControls(HWND page) {
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        EnableWindow(child, FALSE);
}

int MaxCharWidthOf(HWND control) {
    HDC dc = GetDC(control);
    if (!dc) return 0;
    auto release = scope_exit([&] { ReleaseDC(control, dc); });
    select_object_guard font(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    return GetTextMetricsW(dc, &metrics) ? metrics.tmMaxCharWidth : 0;
}
