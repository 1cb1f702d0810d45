// What the process holds at checkpoints of a long stress run, and the check that
// none of it grows once the run has warmed up.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

namespace runfigures {

struct Figures {
    long pages = 0;
    long gdiObjects = 0;
    long userObjects = 0;
    long handles = 0;
    long tlsIndex = 0;  // the lowest free one: a module that keeps an index moves it up
    long long heapBytes = 0;
    double msPerPage = 0.0;  // over the pages since the previous checkpoint
};

// The counts as they stand now; the caller fills pages and msPerPage.
Figures Measure();

// How far a count may rise above the first checkpoint after warm-up before
// the run fails: what Wine's own caches and the allocator's rounding move
// by, far less than one object per job over a run of a hundred jobs (or of
// the forty jobs after the short run's warm-up). Wine's dialogs realise a set
// of about ten GDI objects once, at some prompt of the first few dozen (seen
// between 1,000 and 4,000 pages of a full run, and flat for the 6,000 after).
struct Tolerance {
    long gdiObjects = 12;
    long userObjects = 0;
    long handles = 4;
    long tlsIndex = 0;
    long long heapBytes = 64 * 1024;
};

void PrintHeader();
void PrintRow(const Figures &f);

// Compares every checkpoint after the warm-up with the first one after it;
// returns the growth beyond the tolerance, one line each (empty: flat).
std::vector<std::string> GrowthBeyond(const std::vector<Figures> &checkpoints, size_t warmUp, const Tolerance &t);

}  // namespace runfigures
