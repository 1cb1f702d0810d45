// One sample print: the document printed through both plug-ins on the test
// printer, and the job assembled as the printer would receive it.
//
// The application's GDI calls go to a real Wine PostScript device context,
// with the document events that GDI raises for uiplug (watermarks, the fax
// cover page) and the escapes that reach renderplug's hook (the test host's
// print job). At the points of each call where the PostScript driver reaches
// its injection points, renderplug's Command is asked for its text, which is
// then spliced into Wine's PostScript. The result goes out through
// renderplug's WritePrinter, to the spooler's job file, to the output file of
// the File and EPS destinations, or nowhere.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "sample/document.h"
#include "sample/options.h"

namespace sample {

struct PrintedJob {
    int documentPages = 0;  // pages the application drew
    int jobPages = 0;       // pages of the job, the cover page included
    double printSeconds = 0.0;
    double eventSeconds = 0.0;  // of printSeconds, inside uiplug's document events
};

// Reports each page as it is printed, one line of text.
using Progress = std::function<void(const std::wstring &line)>;

// Prints `document` and writes the job to `jobFile`; Wine's own PostScript is
// kept in `workDir` while the job runs. False with a one-line reason.
bool PrintSample(const SampleOptions &options, const TextDocument &document, const std::wstring &workDir,
                 const std::wstring &jobFile, const Progress &progress, PrintedJob *printed, std::wstring *error);

}  // namespace sample
