// What a planted program or library does when something runs it: it leaves
// "<its own path>.ran" beside itself, so a test sees that it ran without
// having to catch it running.
#pragma once

#include <windows.h>

inline void LeaveRanMarker(HMODULE self) {
    wchar_t path[MAX_PATH + 8];
    const DWORD n = GetModuleFileNameW(self, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    lstrcpynW(path + n, L".ran", 8);
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}
