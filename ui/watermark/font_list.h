// The editor's font list: the face names the printer offers, read from an
// information context for the printer.
#pragma once

#include <windows.h>

// Adds every face name the printer's device context enumerates to `combo`,
// each once. Leaves the list empty when no context can be made.
void FillFontList(HWND combo, HANDLE printer);

// The driver name for the printer's information context: the file name of
// the driver's configuration module without folder and extension, or the
// driver's own module name when that cannot be formed.
void InfoContextDriverName(const wchar_t *configFile, wchar_t *out, size_t chars);
