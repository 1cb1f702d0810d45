// The About page: driver title, plug-in version and the versions of the
// driver's files. It has no settings and writes nothing.
#pragma once

#include <windows.h>

#include "platform/oem_abi.h"

INT_PTR CALLBACK AboutPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The version shown on the page: the plug-in's, not any file's.
extern const wchar_t kPluginVersionText[];

// The file's FileVersion string into `version`; "N/A" for a file without a
// version resource. False when the file has a version resource that yields no
// version (then no row is shown for it).
bool ReadFileVersionText(const wchar_t *path, wchar_t *version, size_t chars);
