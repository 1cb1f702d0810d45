// What the process holds before and after the jobs of all threads, measured
// as the long job measures it, and the check that none of it grew.
#pragma once

#include <string>
#include <vector>

namespace parallel {

struct Figures {
    long gdiObjects = 0;
    long userObjects = 0;
    long handles = 0;
    long tlsIndex = 0;  // the lowest free one
    long long heapBytes = 0;
};

Figures Measure();
void PrintFigures(const char *when, const Figures &f);

// Growth from `before` to `after` beyond what Wine's own caches and the
// allocator's rounding move by: one line per figure that grew further.
std::vector<std::string> Growth(const Figures &before, const Figures &after);

}  // namespace parallel
