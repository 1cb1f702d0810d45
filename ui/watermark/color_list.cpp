#include "ui/watermark/color_list.h"

#include "platform/raii.h"
#include "resources/resource.h"
#include "ui/frame/module.h"

namespace {

struct ColorRow {
    UINT nameId;
    COLORREF color;
};

const ColorRow kColors[] = {
    {IDS_SWATCH_BLACK, RGB(0, 0, 0)},       {IDS_SWATCH_RED, RGB(255, 0, 0)},
    {IDS_SWATCH_GREEN, RGB(0, 255, 0)},     {IDS_SWATCH_BLUE, RGB(0, 0, 255)},
    {IDS_SWATCH_GRAY, RGB(205, 205, 205)},  {IDS_SWATCH_PURPLE, RGB(180, 0, 223)},
    {IDS_SWATCH_YELLOW, RGB(255, 255, 0)},  {IDS_SWATCH_ORANGE, RGB(238, 145, 17)},
    {IDS_SWATCH_AQUA, RGB(0, 255, 255)},    {IDS_SWATCH_NAVY, RGB(0, 0, 128)},
    {IDS_SWATCH_WHITE, RGB(255, 255, 255)}, {IDS_SWATCH_PINK, RGB(248, 100, 162)},
    {IDS_SWATCH_BROWN, RGB(128, 64, 0)},
};

constexpr int kItemTextChars = 2048;

}  // namespace

void FillColorList(HWND combo) {
    if (!combo) return;
    wchar_t name[kUiStringChars];
    for (const ColorRow &row : kColors) {
        LoadUiString(row.nameId, name, kUiStringChars);
        LRESULT index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        if (index >= 0) SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), row.color);
    }
}

void SelectColor(HWND combo, const uint8_t *rgb) {
    if (!combo || !rgb) return;
    COLORREF wanted = RGB(rgb[0], rgb[1], rgb[2]);
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (static_cast<COLORREF>(SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == wanted) {
            SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return;
        }
    }
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
}

void SelectedColor(HWND combo, uint8_t (&rgb)[4]) {
    rgb[0] = rgb[1] = rgb[2] = rgb[3] = 0;
    LRESULT selected = combo ? SendMessageW(combo, CB_GETCURSEL, 0, 0) : CB_ERR;
    if (selected == CB_ERR) return;
    auto color = static_cast<COLORREF>(SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0));
    if (color == static_cast<COLORREF>(CB_ERR)) return;
    rgb[0] = GetRValue(color);
    rgb[1] = GetGValue(color);
    rgb[2] = GetBValue(color);
}

void DrawColorItem(const DRAWITEMSTRUCT *item) {
    if (!item || static_cast<int>(item->itemID) < 0) return;
    HDC dc = item->hDC;
    bool focused = (item->itemState & ODS_FOCUS) != 0;
    bool selected = (item->itemState & ODS_SELECTED) != 0;
    COLORREF background = GetSysColor(focused || selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    COLORREF foreground = GetSysColor(focused    ? COLOR_WINDOW
                                      : selected ? COLOR_HIGHLIGHTTEXT
                                                 : COLOR_WINDOWTEXT);
    RECT r = item->rcItem;
    unique_hbrush fill(CreateSolidBrush(background));
    if (fill) FillRect(dc, &r, fill.get());

    unique_hbrush swatch(CreateSolidBrush(static_cast<COLORREF>(item->itemData)));
    if (swatch) {
        select_object_guard selectedBrush(dc, swatch.get());
        Rectangle(dc, r.left + 2, r.top + 2, r.left + 18, r.bottom - 2);
        RECT inner{r.left + 3, r.top + 3, r.left + 17, r.bottom - 3};
        FillRect(dc, &inner, swatch.get());
    }

    wchar_t text[kItemTextChars] = L"";
    LRESULT length = SendMessageW(item->hwndItem, CB_GETLBTEXTLEN, item->itemID, 0);
    if (length == CB_ERR || length >= kItemTextChars) return;
    SendMessageW(item->hwndItem, CB_GETLBTEXT, item->itemID, reinterpret_cast<LPARAM>(text));
    COLORREF oldText = SetTextColor(dc, foreground);
    COLORREF oldBack = SetBkColor(dc, background);
    RECT textRect{r.left + 28, r.top, r.right + 28, r.bottom};
    DrawTextW(dc, text, -1, &textRect, DT_SINGLELINE | DT_VCENTER);
    SetTextColor(dc, oldText);
    SetBkColor(dc, oldBack);
}
