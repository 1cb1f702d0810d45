// The watermark editor (dialog 132): creates a watermark or changes a stored
// one, with its preview and the position and variable dialogs it opens.
#pragma once

#include <windows.h>

struct PageContext;

// Runs the editor modally over the sheet's context. The caller has set
// editIsNew and editWatermark (and, to edit a stored one, editChosenName).
// Returns 1 when a watermark was saved (editWatermark then holds the record
// as saved) and 2 when the user cancelled.
INT_PTR RunWatermarkEditor(HWND owner, PageContext *ctx);
