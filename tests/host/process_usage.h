// What a process holds: GDI objects, kernel handles and heap memory, for
// checks that long runs leave nothing behind.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace testbed {

// The GDI objects this process holds. Wine's GetGuiResources is a stub that
// answers 0; there the handle table is counted instead.
DWORD GdiObjectCount();

// The process's user objects. Wine's GetGuiResources answers 0 for them;
// there the process's windows stand in (see the definition).
long UserObjectCount();

// Bytes in use in the process heap (busy blocks, as HeapWalk reports them).
size_t ProcessHeapBytes();

// Bytes in use in every heap of the process, the C runtime's own included
// (what the plug-ins allocate with malloc and new lives there).
size_t AllHeapBytes();

// The lowest TLS index that no one holds: it moves up when a module takes an
// index and keeps it.
DWORD LowestFreeTlsIndex();

// What a module's unload must give back.
struct Holdings {
    size_t heapBytes;
    long handles;
    DWORD freeTlsIndex;
};
Holdings HoldingsNow();

// Loads and unloads the module at `path` `cycles` times; false as soon as a
// load or an unload fails.
bool CycleModule(const std::wstring &path, int cycles);

}  // namespace testbed
