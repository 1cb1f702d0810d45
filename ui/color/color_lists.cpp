#include "ui/color/color_lists.h"

#include "platform/raii.h"
#include "resources/resource.h"
#include "ui/frame/module.h"

namespace {

const ColorChoice kCorrection[] = {
    {IDS_COLOR_PRINTER_SETTING, 0},
    {IDS_COLOR_OFF, 1},
    {IDS_COLOR_AUTO, 2},
    {IDS_COLOR_MANUAL, 3},
};

const ColorChoice kBalance[] = {
    {IDS_COLOR_PRINTER_SETTING, 0},
    {IDS_COLOR_MANUAL, 1},
};

// "On" reads better before "Off", although "Off" has the smaller value.
const ColorChoice kTonerSaving[] = {
    {IDS_COLOR_PRINTER_SETTING, 0},
    {IDS_COLOR_ON, 2},
    {IDS_COLOR_OFF, 1},
};

const ColorChoice kRgb[] = {
    {IDS_COLOR_PRINTER_SETTING, 0}, {IDS_COLOR_SRGB_DISPLAY, 1}, {IDS_COLOR_SRGB_VIVID, 2},
    {IDS_COLOR_VIVID, 3},           {IDS_COLOR_OFF, 4},
};

const ColorChoice kCmyk[] = {
    {IDS_COLOR_PRINTER_SETTING, 0}, {IDS_COLOR_US_CMYK, 1}, {IDS_COLOR_EURO_CMYK, 2},
    {IDS_COLOR_VIVID_CMYK, 3},      {IDS_COLOR_OFF, 4},
};

template <size_t N>
constexpr ColorChoiceList ListOf(const ColorChoice (&entries)[N]) {
    return {entries, N};
}

}  // namespace

const ColorChoiceList kCorrectionChoices = ListOf(kCorrection);
const ColorChoiceList kBalanceChoices = ListOf(kBalance);
const ColorChoiceList kTonerSavingChoices = ListOf(kTonerSaving);
const ColorChoiceList kRgbChoices = ListOf(kRgb);
const ColorChoiceList kCmykChoices = ListOf(kCmyk);

void FillColorCombos(HWND dialog, const int *ids, size_t count, const ColorChoiceList &list) {
    if (!dialog || !ids) return;
    unique_process_heap_ptr buffer(HeapAlloc(GetProcessHeap(), 0, kUiStringChars * sizeof(wchar_t)));
    if (!buffer) return;
    auto *text = static_cast<wchar_t *>(buffer.get());
    for (size_t e = 0; e < list.count; ++e) {
        if (LoadUiString(list.entries[e].textId, text, kUiStringChars) == 0) continue;
        for (size_t c = 0; c < count; ++c) {
            HWND combo = GetDlgItem(dialog, ids[c]);
            if (!combo) continue;
            LRESULT index = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
            if (index < 0) continue;
            SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), list.entries[e].value);
        }
    }
}

void SelectColorValue(HWND combo, uint32_t value) {
    if (!combo) return;
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT data = SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0);
        if (data != CB_ERR && static_cast<uint32_t>(data) == value) {
            SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return;
        }
    }
}

uint32_t ReadColorValue(HWND combo) {
    if (!combo) return 0;
    LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (selected < 0) return 0;
    LRESULT data = SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0);
    return data == CB_ERR ? 0 : static_cast<uint32_t>(data);
}

void StoreColorValue(HWND combo, uint32_t *field) {
    if (!combo || !field || SendMessageW(combo, CB_GETCOUNT, 0, 0) <= 0) return;
    *field = ReadColorValue(combo);
}

bool IsColorChoice(const ColorChoiceList &list, uint32_t value) {
    for (size_t e = 0; e < list.count; ++e)
        if (list.entries[e].value == value) return true;
    return false;
}

int32_t ClampBalance(int32_t value) {
    if (value < kBalanceMin) return kBalanceMin;
    if (value > kBalanceMax) return kBalanceMax;
    return value;
}
