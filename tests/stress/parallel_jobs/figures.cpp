#include "tests/stress/parallel_jobs/figures.h"

#include <cstdio>

#include "tests/host/process_usage.h"

namespace parallel {
namespace {

// The long job's tolerances: far less than one object per job of a run.
struct Tolerance {
    long gdiObjects = 12;
    long userObjects = 0;
    long handles = 4;
    long tlsIndex = 0;
    long long heapBytes = 64 * 1024;
};

}  // namespace

Figures Measure() {
    Figures f;
    f.gdiObjects = static_cast<long>(testbed::GdiObjectCount());
    f.userObjects = testbed::UserObjectCount();
    const testbed::Holdings held = testbed::HoldingsNow();
    f.handles = held.handles;
    f.tlsIndex = static_cast<long>(held.freeTlsIndex);
    f.heapBytes = static_cast<long long>(held.heapBytes);
    return f;
}

void PrintFigures(const char *when, const Figures &f) {
    std::printf("%-8s GDI objects %ld, user objects %ld, handles %ld, lowest free TLS index %ld, heap bytes %lld\n",
                when, f.gdiObjects, f.userObjects, f.handles, f.tlsIndex, f.heapBytes);
}

std::vector<std::string> Growth(const Figures &before, const Figures &after) {
    const Tolerance t;
    std::vector<std::string> faults;
    auto check = [&](const char *what, long long then, long long now, long long tolerance) {
        if (now - then <= tolerance) return;
        char line[160];
        std::snprintf(line, sizeof(line), "%s grew from %lld to %lld (tolerance %lld)", what, then, now, tolerance);
        faults.push_back(line);
    };
    check("GDI objects", before.gdiObjects, after.gdiObjects, t.gdiObjects);
    check("user objects", before.userObjects, after.userObjects, t.userObjects);
    check("handles", before.handles, after.handles, t.handles);
    check("lowest free TLS index", before.tlsIndex, after.tlsIndex, t.tlsIndex);
    check("heap bytes", before.heapBytes, after.heapBytes, t.heapBytes);
    return faults;
}

}  // namespace parallel
