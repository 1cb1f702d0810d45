// The file a module was loaded from, whatever its length. A module in a deep
// folder has a path beyond MAX_PATH, and a cut path names another file.
#pragma once

#include <windows.h>

#include <cstddef>

#include "platform/raii.h"

// The longest path the platform hands out, terminator included.
constexpr DWORD kLongPathChars = 32768;

class ModulePath {
public:
    // False when the path cannot be read or memory runs out; the object then
    // holds no path.
    bool Read(HMODULE module) noexcept;
    // Null until a successful Read.
    const wchar_t *text() const noexcept { return static_cast<const wchar_t *>(buffer_.get()); }
    size_t length() const noexcept { return length_; }

private:
    unique_process_heap_ptr buffer_;
    size_t length_ = 0;
};
