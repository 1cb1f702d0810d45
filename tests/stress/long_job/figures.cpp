#include "tests/stress/long_job/figures.h"

#include <cstdio>

#include "tests/host/process_usage.h"

namespace longjob {
namespace {

struct WindowCount {
    DWORD process;
    long count;
};

BOOL CALLBACK CountChild(HWND, LPARAM param) {
    ++reinterpret_cast<WindowCount *>(param)->count;
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM param) {
    auto *c = reinterpret_cast<WindowCount *>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner != c->process) return TRUE;
    ++c->count;
    EnumChildWindows(hwnd, CountChild, param);
    return TRUE;
}

// Wine's GetGuiResources answers 0 for user objects. What stands for them
// here are the process's windows, top-level and child, of every thread:
// the windows, menus and hooks of a page or prompt live and die together,
// and a window left behind is what a leaked dialog or control leaves.
long UserObjectCount() {
    const DWORD n = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (n) return static_cast<long>(n);
    WindowCount c{GetCurrentProcessId(), 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&c));
    return c.count;
}

}  // namespace

Figures Measure() {
    Figures f;
    f.gdiObjects = static_cast<long>(testbed::GdiObjectCount());
    f.userObjects = UserObjectCount();
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

}  // namespace longjob
