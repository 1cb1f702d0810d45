// The job as the PostScript driver would have sent it, put together from two
// sources: the PostScript that Wine's driver wrote for the pages the
// application drew, and the text the rendering plug-in gave at each injection
// point while the job ran. The plug-in's text goes where the driver would have
// written it, found by the document-structuring comments of Wine's output.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace sample {

// One Command call of the job, in the order the driver made them.
struct Injection {
    DWORD index = 0;
    int page = 0;           // 1-based for page-level points, 0 for document-level ones
    bool supplied = false;  // the plug-in took the point: where it replaces a driver comment, that comment goes
    std::string text;
};

// The driver's own N-up (several pages per sheet), which Wine's driver lacks.
struct SheetLayout {
    int pagesPerSheet = 1;  // 1, 2, 4, 6, 9 or 16
    int pageWidth = 612;    // points
    int pageHeight = 792;
};

// The job in the pieces the driver hands on: everything before the first page,
// each page, and the trailer.
struct SplicedJob {
    std::string head;
    std::vector<std::string> pages;
    std::string tail;

    std::string Whole() const;
};

// Fails, naming what is missing, when a text cannot be placed (its comment is
// absent) or when Wine's pages and the recorded pages differ in number:
// nothing the plug-in wrote is ever dropped.
bool SpliceJob(const std::string &driverPostScript, const std::vector<Injection> &injections,
               const SheetLayout &layout, SplicedJob *job, std::string *error);

}  // namespace sample
