#include "render/module_counts.h"

namespace {
// Changed from whatever thread the driver calls on, hence interlocked only.
volatile LONG liveObjects = 0;
volatile LONG serverLocks = 0;
}  // namespace

void NoteObjectCreated() { InterlockedIncrement(&liveObjects); }

void NoteObjectDestroyed() { InterlockedDecrement(&liveObjects); }

void NoteServerLock(BOOL lock) {
    if (lock)
        InterlockedIncrement(&serverLocks);
    else
        InterlockedDecrement(&serverLocks);
}

bool ModuleIsIdle() {
    return InterlockedCompareExchange(&liveObjects, 0, 0) == 0 &&
           InterlockedCompareExchange(&serverLocks, 0, 0) == 0;
}
