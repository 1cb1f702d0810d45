// Printing cover pages on the test bed's PostScript printer and reading the
// result back: the job file's bytes, and rules and ink in Ghostscript's pixels.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "settings/private_devmode.h"
#include "tests/host/wine_printer.h"

namespace faxtest {

// Job settings of a faxed document with a cover page of `parts`, every text
// field filled.
PrivateDevmode FaxSettings(uint32_t parts);

// A public devmode whose only meaningful field is the orientation.
DEVMODEW JobDevmode(short orientation);

// A printer handle on the test printer, for the routine's printer argument.
struct OpenTestPrinter {
    OpenTestPrinter();
    ~OpenTestPrinter();
    HANDLE handle = nullptr;
};

// Runs `body` between StartDocW and EndDoc of a job written to a file in a
// scratch folder named `name`; the device context is made from `dcDevmode`
// (the printer's defaults when null). Returns the job file's path, or an empty
// string when the document could not be started.
std::wstring PrintDocument(const wchar_t *name, const std::function<void(HDC)> &body,
                           const DEVMODEW *dcDevmode = nullptr);

int CountOf(const std::string &haystack, const std::string &needle);

// Where the device's origin lies on the rendered page, and its page size.
struct DeviceGeometry {
    int physicalWidth = 0;
    int physicalHeight = 0;
    int offsetX = 0;
    int offsetY = 0;
    int printableWidth = 0;
    int dpi = 0;
};
DeviceGeometry GeometryOf(HDC dc);
DeviceGeometry TestPrinterGeometry();

// The page quantities as the layout names them, for a physical page and a job
// orientation: X across, Y down, S the shorter side, L R T D I.
struct Quantities {
    int X, Y, S, L, R, T, D, I;
};
Quantities QuantitiesFor(int width, int height, short orientation);

// A band of consecutive rows in which a horizontal run of dark pixels is at
// least a given length: a rule. left/right are the widest run's ends.
struct RuleBand {
    int top;
    int bottom;
    int left;
    int right;
    int Thickness() const { return bottom - top + 1; }
    int Middle() const { return (top + bottom) / 2; }
};
std::vector<RuleBand> FindRules(const testbed::Picture &page, int minRun);

// Ink (dark pixels) inside `area`; its bounding box in *box.
bool InkIn(const testbed::Picture &page, const RECT &area, RECT *box = nullptr);

// The share of the pixels in `area` that are ink.
double InkShare(const testbed::Picture &page, const RECT &area);

// Bands of rows inside `area` that hold ink, separated by blank rows: lines of text.
int TextLinesIn(const testbed::Picture &page, const RECT &area);

// Renders a job at 300 dpi; PNGs go to the build's artifacts folder under `name`.
bool Render(const std::wstring &job, const wchar_t *name, std::vector<testbed::Picture> *pages,
            std::wstring *error);

}  // namespace faxtest
