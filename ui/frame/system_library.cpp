#include "ui/frame/system_library.h"

#include <strsafe.h>

namespace {

// GetModuleHandleW finds loaded images only; a copy mapped as a data file
// by someone else is not found, and a fresh one is mapped instead.
HMODULE TakeLoadedCopy(const wchar_t *name) {
    HMODULE module = nullptr;
    return GetModuleHandleExW(0, name, &module) ? module : nullptr;
}

// Systems without the search flags (Windows 7 before its loader update)
// refuse them as an invalid parameter: the full path then does the same.
HMODULE LoadByFullPath(const wchar_t *name, DWORD flags) {
    wchar_t path[MAX_PATH];
    if (!SystemFilePath(name, path, MAX_PATH)) return nullptr;
    // An image's own imports are then looked for beside it first.
    const DWORD search = (flags & LOAD_LIBRARY_AS_DATAFILE) ? 0 : LOAD_WITH_ALTERED_SEARCH_PATH;
    return LoadLibraryExW(path, nullptr, flags | search);
}

}  // namespace

bool SystemFilePath(const wchar_t *name, wchar_t *path, size_t chars) {
    if (!name || !path || chars == 0 || chars > MAXDWORD) return false;
    path[0] = L'\0';
    const UINT length = GetSystemDirectoryW(path, static_cast<UINT>(chars));
    if (length == 0 || length >= chars) {
        path[0] = L'\0';
        return false;
    }
    if (FAILED(StringCchCatW(path, chars, L"\\")) || FAILED(StringCchCatW(path, chars, name))) {
        path[0] = L'\0';
        return false;
    }
    return true;
}

unique_hmodule LoadSystemLibrary(const wchar_t *name, DWORD flags) {
    if (!name || !name[0]) return unique_hmodule();
    if (HMODULE loaded = TakeLoadedCopy(name)) return unique_hmodule(loaded);
    HMODULE module = LoadLibraryExW(name, nullptr, flags | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module && GetLastError() == ERROR_INVALID_PARAMETER) module = LoadByFullPath(name, flags);
    return unique_hmodule(module);
}
