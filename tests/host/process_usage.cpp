#include "tests/host/process_usage.h"

#include <winternl.h>

#include <cstddef>

#include "tests/host/ui_host.h"
#include "tests/host/wine_printer.h"

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

// From Wine 9 on, the heap serves small blocks from groups of 31 (its
// low-fragmentation front end), each group one busy block to HeapWalk, held
// per thread and per size while any of its blocks is in use or reserved. A
// walk would count a group's free blocks as used, and a run that merely
// touches a new size or thread would seem to grow. What a group holds in use
// is read from its header as Wine lays it out: a list link, a bit per free
// block, then the blocks, each behind an 8-byte header whose last byte has
// the front end's flag on the group's own block.
struct WineBlockHeader {
    WORD size;  // in units of two pointers
    WORD tailSize;
    WORD baseOffset;
    BYTE type;
    BYTE flags;
};
static_assert(sizeof(WineBlockHeader) == 8);

struct WineLfhGroup {
    SLIST_ENTRY entry;
    LONG freeBits;  // bit i: block i free; the highest bit is a flag
    LONG affinity;
    alignas(8) WineBlockHeader firstBlock;
};
#ifdef _WIN64
static_assert(offsetof(WineLfhGroup, freeBits) == 16 && offsetof(WineLfhGroup, firstBlock) == 24);
#endif

constexpr BYTE kWineLfhFlag = 0x80;
constexpr int kWineGroupBlocks = 31;

size_t GroupBytesInUse(const PROCESS_HEAP_ENTRY &entry) {
    if (entry.cbData < sizeof(WineLfhGroup)) return entry.cbData;
    const auto *group = static_cast<const WineLfhGroup *>(entry.lpData);
    const size_t blockSize = static_cast<size_t>(group->firstBlock.size) * 2 * sizeof(void *);
    if (blockSize <= sizeof(WineBlockHeader) ||
        offsetof(WineLfhGroup, firstBlock) + kWineGroupBlocks * blockSize > entry.cbData)
        return entry.cbData;  // not laid out as expected: count it whole
    const DWORD used = ~static_cast<DWORD>(group->freeBits) & ((1u << kWineGroupBlocks) - 1);
    int count = 0;
    for (DWORD bits = used; bits; bits &= bits - 1) ++count;
    return count * (blockSize - sizeof(WineBlockHeader));
}

size_t BusyBytes(HANDLE heap) {
    static const bool lfhGroups = WineMajorVersion() >= 9;
    if (!HeapLock(heap)) return 0;
    size_t busy = 0;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heap, &entry)) {
        if (!(entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)) continue;
        const auto *header = static_cast<const WineBlockHeader *>(entry.lpData) - 1;
        const bool group = lfhGroups && entry.iRegionIndex == 0 && (header->flags & kWineLfhFlag);
        busy += group ? GroupBytesInUse(entry) : entry.cbData;
    }
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
