// The two dialogs of the colour page, both modal and owned by the page, both
// started with the sheet's PageContext as their init parameter. They edit only
// the context's colorWork: OK stores the dialog into it and ends with IDOK,
// Cancel ends with IDCANCEL and leaves it as it was.
#pragma once

#include <windows.h>

#include "ui/page_context.h"

// Template IDD_COLOR_CORRECTION: the manual correction of RGB images, text and
// graphics, and one setting for all three CMYK kinds.
INT_PTR CALLBACK CorrectionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Template IDD_COLOR_BALANCE: the manual balance of the four toners.
INT_PTR CALLBACK BalanceDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Whether a dialog on `ctx` may fill itself (it needs the driver's record).
bool ColorDialogCanFill(const PageContext *ctx);

// OK and Cancel of either dialog: OK stores the dialog into colorWork with
// `store` and ends it with IDOK, when the context has what storing needs;
// otherwise, and for Cancel, the dialog ends with IDCANCEL and stores nothing.
// Other buttons do nothing.
using ColorDialogStore = void (*)(HWND dialog, ColorSettings *colorWork);
void HandleColorDialogButton(HWND dialog, int id, ColorDialogStore store);
