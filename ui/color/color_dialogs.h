// The two dialogs of the colour page, both modal and owned by the page, both
// started with the sheet's PageContext as their init parameter. They edit only
// the context's colorWork: OK stores the dialog into it and ends with IDOK,
// Cancel ends with IDCANCEL and leaves it as it was.
#pragma once

#include <windows.h>

#include "ui/sheets/page_context.h"

// Template IDD_COLOR_CORRECTION: the manual correction of RGB images, text and
// graphics, and one setting for all three CMYK kinds.
INT_PTR CALLBACK CorrectionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Template IDD_COLOR_BALANCE: the manual balance of the four toners.
INT_PTR CALLBACK BalanceDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// What distinguishes the two dialogs: how each shows colorWork and how each
// takes it back. Everything else about them is alike.
using ColorDialogFill = void (*)(HWND dialog, const ColorSettings &colorWork);
using ColorDialogStore = void (*)(HWND dialog, ColorSettings *colorWork);

// The message handling both dialog procedures share: WM_INITDIALOG keeps the
// context and fills the dialog when the context has the driver's record; OK
// stores with `store` and ends with IDOK when the context has what storing
// needs; otherwise, and for Cancel, the dialog ends with IDCANCEL and stores
// nothing, so it can always be closed.
INT_PTR HandleColorDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, ColorDialogFill fill,
                                 ColorDialogStore store);
