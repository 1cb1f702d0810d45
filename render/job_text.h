// Building the texts the rendering plug-in writes into the job: one heap block
// per line, bounded formatting only, and the conversion of the records' wide
// strings into quoted PJL values.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstddef>

#include "platform/oem_abi.h"
#include "platform/raii.h"

// Every PJL and PostScript line is built in a block of this size, so the
// longest line the plug-in can write is one byte less.
constexpr size_t kLineBufferSize = 2048;

// A zero-filled block from the process heap, or an empty pointer when memory
// is short (the caller then skips the text concerned).
unique_process_heap_ptr AllocateTextBuffer(size_t bytes);

// Memory is short inside a spooler more often than on a test machine; tests
// install a filter that refuses chosen allocations. Null removes it.
using AllocationFilter = bool (*)(size_t bytes);  // true: refuse this one
void SetAllocationFilter(AllocationFilter filter);

// One line of job text in its own block. A line that would outgrow the block
// is cut, never written past.
class TextLine {
public:
    TextLine();
    TextLine(const TextLine &) = delete;
    TextLine &operator=(const TextLine &) = delete;

    bool ok() const { return static_cast<bool>(block_); }
    const char *text() const;
    size_t length() const;

    void Clear();
    // printf-style; values reach the formatter only as arguments.
    void Format(const char *format, ...) __attribute__((format(printf, 2, 3)));
    void Append(const char *format, ...) __attribute__((format(printf, 2, 3)));
    void AppendArgs(const char *format, va_list args);
    // Fixed text, taken byte for byte (no formatting, so '%' stays '%').
    void AppendText(const char *text);
    // Ends a PJL line. A line cut at the block's end still ends with its line
    // feed, so the command after it is never swallowed into it.
    void EndLine();
    void WriteTo(const DEVOBJ *dev, IPrintCorePS2 *helper) const;

private:
    char *buffer() const { return static_cast<char *>(block_.get()); }

    unique_process_heap_ptr block_;
};

// Turns a double quote or any control character (CR, LF, ESC ...) into a space
// so that a value cannot close its quoted PJL string or start a new command.
void SanitizePjlValue(char *value);

// Converts at most `capacity` characters of a fixed-size wide field (which need
// not be terminated) to the ANSI code page and sanitises the result. False when
// the text does not convert or does not fit `outSize` bytes with its zero.
bool ToPjlValue(const wchar_t *field, size_t capacity, char *out, size_t outSize);

template <size_t N, size_t M>
bool ToPjlValue(const wchar_t (&field)[N], char (&out)[M]) {
    return ToPjlValue(field, N, out, M);
}
