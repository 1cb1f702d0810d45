// What Wine itself keeps for a print job's drawing, measured on a bare device
// context of the same printer, so that the growth checks count only what the
// plug-ins keep.
#pragma once

#include <string>

#include "tests/host/wine_printer.h"

namespace stress {

// GDI objects left in the process for each text call drawn (not traced into a
// path) in an underlined or struck-out font, once its document has ended.
// Wine from version 9 plays the spooled EMF back in the application's process
// at EndDoc, and its PostScript driver keeps one brush in the text colour for
// each such call's lines; the spooler, not the application, plays a job back
// on Windows, and Wine 8 keeps nothing. Zero where nothing is kept.
long LinedTextResidue(const testbed::PrinterSetup &printer, const std::wstring &output);

}  // namespace stress
