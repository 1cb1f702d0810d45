// Printer and driver installation events.
#pragma once

#include <windows.h>

HRESULT HandlePrinterEvent(PWSTR printerName, INT driverEvent, DWORD flags, LPARAM lParam);
HRESULT HandleDriverEvent(DWORD driverEvent, DWORD level, LPBYTE driverInfo, LPARAM lParam);

constexpr size_t kPrintProcessorChars = 128;

// The print processor that goes with a printer description file: the file's
// base name with its last character replaced by 'C' (MODEL12E.PPD gives
// MODEL12C). False, with `name` empty, when the path has no such name.
bool DerivePrintProcessorName(const wchar_t *dataFilePath, wchar_t (&name)[kPrintProcessorChars]);
