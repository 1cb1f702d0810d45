// The printer every job of the run prints on: Wine's PostScript driver with
// the test printer description, under a name of its own.
#pragma once

#include "tests/host/wine_printer.h"

namespace parallel {

inline testbed::PrinterSetup TestPrinter() {
    return testbed::PrinterSetup{L"Parallel Jobs Printer", L"Parallel Jobs Driver", {}};
}

}  // namespace parallel
