// Help for the plug-in's pages: finding the driver's help file among its
// dependent files and showing it for a page.
#pragma once

#include <windows.h>

// The first dependent file of the printer's driver whose name ends in ".chm"
// or ".hlp" (in any case). Reports its size in bytes (terminator included) in *bytes and
// copies it into `buffer` when one of at least that size is given. False when
// the driver has no such file or its information cannot be read.
bool FindHelpFile(HANDLE printer, wchar_t *buffer, DWORD bufferBytes, DWORD *bytes);

// Shows `helpFilePath` for `page`: HTML Help beside the sheet for a .chm file,
// WinHelp's finder for a .hlp file; nothing for a null path or any other file.
void ShowPageHelp(HWND page, const wchar_t *helpFilePath);

// Where the sheet and the HTML Help window go when shown side by side, from
// their normal-position rectangles and the desktop's.
void ArrangeSideBySide(const RECT &desktop, RECT *sheet, RECT *help);

// Shows or hides the sheet frame's title-bar help button (WS_EX_CONTEXTHELP
// on the page's parent); the frame is repainted only when the style changes.
void ShowFrameContextHelp(HWND page, bool show);
