// Variable-size records of the spooler, read whole: a size query, then the
// record into a buffer of that size from the process heap.
#pragma once

#include <windows.h>

#include "platform/raii.h"

// DRIVER_INFO_<level> of the printer's driver.
bool ReadDriverInfo(HANDLE printer, DWORD level, unique_process_heap_ptr *buffer);
// PRINTER_INFO_2 of the printer.
bool ReadPrinterInfo2(HANDLE printer, unique_process_heap_ptr *buffer);

// Copies `path` whole into `out`; false (and nothing copied) when it does not
// fit, since a path cut short names some other file.
bool CopyWholePath(const wchar_t *path, wchar_t *out, size_t chars);
