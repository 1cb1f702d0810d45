// System libraries for uiplug's own use. A bare name given to LoadLibrary is
// looked for in the application's folder first, and uiplug runs inside every
// application that prints: whatever lies beside a document's program would be
// loaded with it. Only the system folder's copy is ever taken.
#pragma once

#include <windows.h>

#include "platform/raii.h"

// `name` (a bare file name) as the process already has it, or else loaded
// from the system folder with `flags` (0 or LOAD_LIBRARY_AS_DATAFILE). The
// reference returned is the caller's own. Empty when neither is possible;
// the application's folder and the current folder are never searched.
unique_hmodule LoadSystemLibrary(const wchar_t *name, DWORD flags);

// The full path of `name` in the system folder. False when it does not fit.
bool SystemFilePath(const wchar_t *name, wchar_t *path, size_t chars);
