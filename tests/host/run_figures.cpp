#include "tests/host/run_figures.h"

#include <cstdio>

#include "tests/host/process_usage.h"

namespace runfigures {

Figures Measure() {
    Figures f;
    f.gdiObjects = static_cast<long>(testbed::GdiObjectCount());
    f.userObjects = testbed::UserObjectCount();
    // Handles from GetProcessHandleCount, or the system's handle table where
    // Wine answers 0; heap bytes of every heap, since the C runtime the
    // plug-ins allocate through keeps its own.
    const testbed::Holdings held = testbed::HoldingsNow();
    f.handles = held.handles;
    f.tlsIndex = static_cast<long>(held.freeTlsIndex);
    f.heapBytes = static_cast<long long>(held.heapBytes);
    return f;
}

void PrintHeader() {
    std::printf("%8s %12s %12s %10s %10s %14s %11s\n", "pages", "GDI objects", "user objects", "handles",
                "TLS index", "heap bytes", "ms/page");
}

void PrintRow(const Figures &f) {
    std::printf("%8ld %12ld %12ld %10ld %10ld %14lld %11.2f\n", f.pages, f.gdiObjects, f.userObjects, f.handles,
                f.tlsIndex, f.heapBytes, f.msPerPage);
    std::fflush(stdout);
}

std::vector<std::string> GrowthBeyond(const std::vector<Figures> &checkpoints, size_t warmUp, const Tolerance &t) {
    std::vector<std::string> faults;
    if (checkpoints.size() <= warmUp) {
        faults.push_back("no checkpoint after the warm-up to compare with");
        return faults;
    }
    const Figures &base = checkpoints[warmUp];
    char line[200];
    for (size_t i = warmUp + 1; i < checkpoints.size(); ++i) {
        const Figures &f = checkpoints[i];
        auto check = [&](const char *what, long long now, long long then, long long tolerance) {
            if (now - then <= tolerance) return;
            std::snprintf(line, sizeof(line), "%s grew from %lld to %lld by page %ld (tolerance %lld)", what, then,
                          now, f.pages, tolerance);
            faults.push_back(line);
        };
        check("GDI objects", f.gdiObjects, base.gdiObjects, t.gdiObjects);
        check("user objects", f.userObjects, base.userObjects, t.userObjects);
        check("handles", f.handles, base.handles, t.handles);
        check("TLS index", f.tlsIndex, base.tlsIndex, t.tlsIndex);
        check("heap bytes", f.heapBytes, base.heapBytes, t.heapBytes);
    }
    return faults;
}

}  // namespace runfigures
