// The editor's colour list: thirteen named colours, each item's data its
// colour, drawn by the dialog with a swatch before the name.
#pragma once

#include <windows.h>

#include <cstdint>

// Adds the colours to `combo` (which sorts them by name).
void FillColorList(HWND combo);

// Selects the item whose colour is `rgb` (red, green, blue bytes), else the
// first item.
void SelectColor(HWND combo, const uint8_t *rgb);

// The selected item's colour as red, green, blue and a zero byte; all zero
// when nothing is selected.
void SelectedColor(HWND combo, uint8_t (&rgb)[4]);

// Draws one item of the list (WM_DRAWITEM).
void DrawColorItem(const DRAWITEMSTRUCT *item);
