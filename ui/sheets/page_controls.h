// What every page does to its controls as a whole.
#pragma once

#include <windows.h>

// Disables every control of a page whose settings the user may not change
// (the driver's DM_NOPERMISSION).
void DisableAllControls(HWND page);

// The widest character of the control's own font (tmMaxCharWidth), in pixels;
// 0 when it cannot be measured. The list boxes size their scrolling range in
// it.
int MaxCharWidthOf(HWND control);
