// The variable dialog (dialog 101): inserts dynamic-text variables into a
// watermark's text, chosen by their descriptions.
#pragma once

#include <windows.h>

struct PageContext;

// Runs the dialog over ctx->dynamicDialogText. Always returns 1 once shown;
// ctx->dynamicDialogResult is 1 after OK (dynamicDialogText then holds the
// new text) and 2 after Cancel (the text left as it was).
INT_PTR RunVariableDialog(HWND owner, PageContext *ctx);
