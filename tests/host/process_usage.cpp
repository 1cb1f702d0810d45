#include "tests/host/process_usage.h"

#include <winternl.h>

#include "tests/host/ui_host.h"

namespace testbed {
namespace {

// One entry of the GDI handle table as Wine lays it out in shared memory.
struct SharedHandleEntry {
    UINT64 object;
    ULONG owner;
    USHORT unique;
    UCHAR type;
    UCHAR flags;
    UINT64 userPointer;
};
static_assert(sizeof(SharedHandleEntry) == 24);

// Live GDI handles of the table that the process environment block points
// to (GdiSharedHandleTable), each confirmed by GetObjectType.
DWORD CountSharedTableHandles() {
    // GCC takes the segment-relative read in NtCurrentTeb for an access to a
    // zero-length array.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
    auto *peb = reinterpret_cast<BYTE *>(NtCurrentTeb()->ProcessEnvironmentBlock);
#pragma GCC diagnostic pop
#ifdef _WIN64
    constexpr size_t kTableOffset = 0xF8;
#else
    constexpr size_t kTableOffset = 0x94;
#endif
    const auto *table = *reinterpret_cast<SharedHandleEntry *const *>(peb + kTableOffset);
    if (!table) return 0;
    DWORD live = 0;
    for (DWORD i = 0; i < 0x10000; ++i) {
        if (!table[i].type) continue;
        auto h = reinterpret_cast<HGDIOBJ>(static_cast<ULONG_PTR>(i | (static_cast<DWORD>(table[i].unique) << 16)));
        if (GetObjectType(h)) ++live;
    }
    return live;
}

}  // namespace

DWORD GdiObjectCount() {
    DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    return n ? n : CountSharedTableHandles();
}

namespace {

size_t BusyBytes(HANDLE heap) {
    if (!HeapLock(heap)) return 0;
    size_t busy = 0;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heap, &entry))
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) busy += entry.cbData;
    HeapUnlock(heap);
    return busy;
}

}  // namespace

size_t ProcessHeapBytes() { return BusyBytes(GetProcessHeap()); }

size_t AllHeapBytes() {
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    if (count == 0 || count > 64) return ProcessHeapBytes();
    size_t busy = 0;
    for (DWORD i = 0; i < count; ++i) busy += BusyBytes(heaps[i]);
    return busy;
}

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

}  // namespace

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

DWORD LowestFreeTlsIndex() {
    const DWORD index = TlsAlloc();
    if (index != TLS_OUT_OF_INDEXES) TlsFree(index);
    return index;
}

Holdings HoldingsNow() { return {AllHeapBytes(), CountOpenHandles(), LowestFreeTlsIndex()}; }

bool CycleModule(const std::wstring &path, int cycles) {
    for (int i = 0; i < cycles; ++i) {
        HMODULE module = LoadLibraryW(path.c_str());
        if (!module || !FreeLibrary(module)) return false;
    }
    return true;
}

}  // namespace testbed
