// The position dialog (dialog 221): one of nine anchors and two offsets in
// inches or millimetres, with a preview. It works on a private copy of the
// sheet's context; its result is the copy's placement members.
#pragma once

#include <windows.h>

#include <cstdint>

struct PageContext;

// Runs the dialog modally over `copy`, whose editWatermark holds the record
// as entered in the editor. Returns 1 after OK (the copy's editVerticalOffset,
// editHorizontalOffset, editUnits and editPosition then hold the placement)
// and 2 after Cancel.
INT_PTR RunPositionDialog(HWND owner, PageContext *copy);

// Reads the placement from the dialog's controls. An offset that is not a
// decimal number is reported (string 83, focus on the field) and fails.
bool CollectPlacement(HWND dialog, double *vertical, double *horizontal, uint8_t *units, uint32_t *position);

// Not empty; digits, at most one full stop and at most one minus sign, which
// must come first.
bool IsDecimalText(const wchar_t *text);

// Whether an offset of `value` in the given unit lies within the limit of
// 9999.9 inches either way.
bool OffsetWithinLimit(double value, bool millimetres);
