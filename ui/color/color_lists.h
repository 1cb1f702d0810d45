// The colour page's drop-down lists: the texts each offers, in the order it
// shows them, and the ColorSettings value each entry stands for. The value
// travels with its entry as item data, so the order on screen never decides
// what is stored.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

struct ColorChoice {
    UINT textId;
    uint32_t value;
};

struct ColorChoiceList {
    const ColorChoice *entries;
    size_t count;
};

extern const ColorChoiceList kCorrectionChoices;   // correction
extern const ColorChoiceList kBalanceChoices;      // balanceEnabled
extern const ColorChoiceList kTonerSavingChoices;  // colorThrift
extern const ColorChoiceList kRgbChoices;          // rgbImage, rgbText, rgbGraphics
extern const ColorChoiceList kCmykChoices;         // cmykImage, cmykText, cmykGraphics

// The modes whose settings the configure buttons open.
constexpr uint32_t kCorrectionManual = 3;
constexpr uint32_t kBalanceManual = 1;

// The range of each balance value, as its trackbar offers it.
constexpr int32_t kBalanceMin = -5;
constexpr int32_t kBalanceMax = 5;

// Adds every entry of `list`, in order, to each of the `count` combo boxes
// `ids` of `dialog` in turn. An entry whose text does not load is left out.
// Fills nothing when the text buffer cannot be allocated.
void FillColorCombos(HWND dialog, const int *ids, size_t count, const ColorChoiceList &list);
inline void FillColorCombo(HWND dialog, int id, const ColorChoiceList &list) {
    FillColorCombos(dialog, &id, 1, list);
}

// Selects the first entry carrying `value`; with none, the selection stays.
void SelectColorValue(HWND combo, uint32_t value);

// The value of the selected entry; 0 for a missing or empty combo box and for
// one without a selection.
uint32_t ReadColorValue(HWND combo);

// Stores the value of `combo` into *field; a list left empty (its texts could
// not be loaded) changes nothing, so an unfilled page loses no setting.
void StoreColorValue(HWND combo, uint32_t *field);

// Whether some entry of `list` carries `value`.
bool IsColorChoice(const ColorChoiceList &list, uint32_t value);

// `value` brought into the balance range.
int32_t ClampBalance(int32_t value);
