// The fax cover page: one more page at the end of a faxed job, drawn with GDI
// on the application's printer device context, with two pieces of PostScript
// for the printer (the cover-page mark and the count of pages that follow).
#pragma once

#include <windows.h>

#include <cstddef>

#include "settings/private_devmode.h"
#include "ui/output/fax_cover_layout.h"

// Draws the cover page as a page of its own (StartPage .. EndPage) for the
// parts that settings->fax.coverPageParts selects; the page count is the
// printer's own counter where it has one, otherwise sheetCount. Fails, and
// starts no page, for a missing argument, a negative sheetCount, no part
// selected, or tools that cannot be made. Reports failure, after closing the
// page, when the device refused part of it. The device context's drawing
// state is as before afterwards.
bool DrawFaxCoverPage(HDC hdc, HANDLE hPrinter, const PrivateDevmode *settings, const DEVMODEW *devmode,
                      int sheetCount);

// The same with the tools made by `makers`.
bool DrawFaxCoverPageWith(HDC hdc, HANDLE hPrinter, const PrivateDevmode *settings, const DEVMODEW *devmode,
                          int sheetCount, const GdiMakers &makers);

// One line of the page: string `labelId` with at most `fieldChars` characters
// of `field` appended (the field need not be terminated), bounded to
// `outChars`. Returns the length written.
int ComposeCoverLine(UINT labelId, const wchar_t *field, size_t fieldChars, wchar_t *out, size_t outChars);
