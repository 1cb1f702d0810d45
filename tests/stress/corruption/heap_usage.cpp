#include "tests/stress/corruption/heap_usage.h"

#include <windows.h>

#include <vector>

namespace stress {

size_t AllHeapsBytes() {
    std::vector<HANDLE> heaps(64);
    DWORD n = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
    if (n > heaps.size()) {
        heaps.resize(n + 16);
        n = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
    }
    size_t busy = 0;
    for (DWORD i = 0; i < n && i < heaps.size(); ++i) {
        if (!HeapLock(heaps[i])) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) busy += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return busy;
}

}  // namespace stress
