// What the run is doing right now, and the two guards that report it when a
// call never comes back: a vectored exception handler (a fault, a guard page
// touched) and a watchdog thread (no progress for too long). Either prints
// the seed, the input index and the input's kind, so the input can be
// replayed, and ends the process with a non-zero status.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <cstdint>

namespace stress {

// Registers the ranges of the inaccessible pages the run's buffers sit
// against, so that a fault inside them is reported as such.
void AddGuardRange(const void *begin, size_t size);

// Sets the input in progress (kind is a string literal).
void BeginInput(uint64_t seed, uint64_t index, const char *path, const char *kind);
void EndInput();
// A guard page was touched during the current input, even if the fault was
// then handled by someone else (the system's own code, say).
bool GuardTouched();
void ClearGuardTouched();

// Installs the exception handlers and starts the watchdog.
void StartWatch(DWORD stallSeconds);

// Prints the input in progress (for a failure found by a check).
void PrintCurrentInput(FILE *to);

}  // namespace stress

namespace stress {
// Names the kind of the input in progress, once it is built.
void SetKind(const char *kind);
}  // namespace stress
