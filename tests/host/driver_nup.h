// The PostScript driver's own N-up (several pages per sheet), as far as the
// plug-in's N-up texts depend on it: the prologue procedures and the grid of
// each pages-per-sheet setting. Shared by the job driver of the tests and the
// sample print, which adds it to Wine's output since Wine's driver has no N-up.
#pragma once

namespace testbed {

// The prologue, one PostScript text ending in a line feed. It expects $m, the
// page's default matrix, to be defined at the end of the document setup.
const char *DriverNupProlog();

struct NupGrid {
    int columns;
    int rows;
};

// Columns and rows of a sheet; 1 x 1 for any setting the driver does not offer.
NupGrid NupGridFor(int pagesPerSheet);

}  // namespace testbed
