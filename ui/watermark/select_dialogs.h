// The two small dialogs of the watermark page: the one that picks the stored
// watermark to open in the editor, and the one that removes stored ones.
#pragma once

#include <windows.h>

struct PageContext;

// Dialog 136. Returns 1 when the user accepted (editIsNew is then 0,
// editWatermark reset and editChosenName the chosen name, empty when none
// was selected) and 2 on Cancel or when the context is unusable.
INT_PTR RunEditSelectionDialog(HWND owner, PageContext *ctx);

// Dialog 135. Deletes what the user selects and confirms; always returns 2.
INT_PTR RunRemoveDialog(HWND owner, PageContext *ctx);
