// The Watermark page of the document sheet: which stored watermarks go on
// which pages, under or over the page content, and the way into the editor
// and the edit and remove dialogs.
#pragma once

#include <windows.h>

INT_PTR CALLBACK WatermarkPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
