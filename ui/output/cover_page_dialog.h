// The fax cover page dialog: which parts the cover page carries, the sender's
// details and the comments. It edits the sheet's coverPageWork, and only when
// it is ended with OK; the output options page takes that block into the job.
#pragma once

#include <windows.h>

struct PageContext;

INT_PTR CALLBACK CoverPageDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the dialog modally over `owner` under the module's activation context.
// Returns IDOK, IDCANCEL, or -1 when it could not be shown.
INT_PTR RunCoverPageDialog(HWND owner, PageContext *ctx);
