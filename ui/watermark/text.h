// Dynamic watermark text: variables written between percent signs
// ("User:  %Username%", "%Time% %DateLong%") replaced by their values when
// the watermark is printed, previewed in the editor, or checked before saving.
#pragma once

#include <windows.h>

#include <cstddef>

enum ExpansionMode : int {
    EXPAND_PRINT = 0,    // the job's values; any bad variable fails the text
    EXPAND_PREVIEW = 1,  // sample values; bad variables are dropped
    EXPAND_CHECK = 2,    // validation only; the user name expands to nothing
};

// A source text must be shorter than this, and a result holds at most this
// many characters including its terminator.
constexpr size_t kWatermarkTextChars = 2048;

// Expands `text` for `pageNumber` at `time` (the current local time when
// null). `dc` is needed only for the job's user name in print mode.
//
// On success *sizeInOut becomes the result's length + 1, and the result is
// copied into `out` only when `out` is given and *sizeInOut was at least that
// large; a smaller size still succeeds, so callers can ask for the size with a
// null `out`. On failure *sizeInOut becomes 0, except when `printer`, `text`
// or `sizeInOut` is missing, which fails without touching it.
bool ExpandWatermarkText(HANDLE printer, HDC dc, const wchar_t *text, int pageNumber, const SYSTEMTIME *time,
                         ExpansionMode mode, wchar_t *out, size_t *sizeInOut);

// Whether `text` expands in check mode (page 1, the current local time).
bool CheckWatermarkText(HANDLE printer, HDC dc, const wchar_t *text);

// The user name of spooler job `jobId` on `printer` (JOB_INFO_1's pUserName),
// copied into `out` of `chars` characters. Fails when the job has no user
// name or the name does not fit.
bool QueryJobUserName(HANDLE printer, DWORD jobId, wchar_t *out, size_t chars);
