#include "ui/frame/module_path.h"

bool ModulePath::Read(HMODULE module) noexcept {
    buffer_.reset();
    length_ = 0;
    for (DWORD chars = MAX_PATH;; chars *= 2) {
        if (chars > kLongPathChars) chars = kLongPathChars;
        unique_process_heap_ptr buffer(HeapAlloc(GetProcessHeap(), 0, chars * sizeof(wchar_t)));
        if (!buffer) return false;
        const DWORD n = GetModuleFileNameW(module, static_cast<wchar_t *>(buffer.get()), chars);
        if (n == 0) return false;
        // A path that filled the buffer was cut (with or without an error,
        // depending on the system).
        if (n < chars) {
            buffer_ = std::move(buffer);
            length_ = n;
            return true;
        }
        if (chars == kLongPathChars) return false;
    }
}
