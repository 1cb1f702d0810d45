// The editor's fields: reading them within their buffers, the tests typed
// text must pass, and the record they make together.
#pragma once

#include "ui/sheets/text_checks.h"

#include <windows.h>

#include "settings/private_devmode.h"

// Reads control `id`'s text into `buffer` of `chars` characters (always
// terminated, cut to fit). Returns the length read.
int ReadFieldText(HWND dialog, int id, wchar_t *buffer, int chars);

// Every character a decimal digit; with `allowSign` one leading minus sign
// is allowed, though not as the whole text. An empty text passes.
bool IsDigitText(const wchar_t *text, bool allowSign);


// Removes trailing blanks (U+0020 only).
void TrimTrailingBlanks(wchar_t *text);

// Resets `record` and fills it from the editor's controls and the placement
// held in the dialog's context. False only for a missing dialog or record.
bool CollectEditorRecord(HWND dialog, WatermarkRecord *record);

// Shows string `id` as an error (no caption, MB_ICONERROR) owned by `owner`.
void ShowEditorError(HWND owner, UINT id);
