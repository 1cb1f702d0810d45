// The Manual Color page: the printer's colour correction mode, the colour
// balance mode and toner saving, with buttons that open the manual correction
// and balance dialogs while their mode is Manual. It edits work.color when it
// is left and the driver's record when the sheet is applied.
#pragma once

#include <windows.h>

#include "settings/private_devmode.h"

INT_PTR CALLBACK ColorPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The page's three modes into `target`, with the manual correction and balance
// values of `colorWork` where the page's mode for them is Manual; otherwise
// those keep what `target` held. A value that no list entry carries becomes
// "Printer Setting", a balance outside its range the nearer end of it.
void StoreColorPage(HWND page, const ColorSettings &colorWork, ColorSettings *target);
