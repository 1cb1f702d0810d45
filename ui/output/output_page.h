// The Output Options page of the document sheet: where the job goes (the
// printer, its fax, or one of its print-and-hold modes) with the hold user
// name, PIN and duplicate-job choice, and the fax recipient, station,
// resolution and cover page. The sheet registers it only for a printer with a
// fax card or print-and-hold.
#pragma once

#include <windows.h>

INT_PTR CALLBACK OutputOptionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
