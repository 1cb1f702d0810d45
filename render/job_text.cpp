#include "render/job_text.h"

#include <strsafe.h>

#include <cstdarg>
#include <cwchar>

#include "render/driver_queries.h"

namespace {

AllocationFilter g_allocationFilter = nullptr;

}  // namespace

unique_process_heap_ptr AllocateTextBuffer(size_t bytes) {
    if (g_allocationFilter && g_allocationFilter(bytes)) return unique_process_heap_ptr();
    return unique_process_heap_ptr(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes));
}

void SetAllocationFilter(AllocationFilter filter) { g_allocationFilter = filter; }

TextLine::TextLine() : block_(AllocateTextBuffer(kLineBufferSize)) {}

const char *TextLine::text() const { return ok() ? buffer() : ""; }

size_t TextLine::length() const {
    if (!ok()) return 0;
    size_t n = 0;
    if (FAILED(StringCchLengthA(buffer(), kLineBufferSize, &n))) return 0;
    return n;
}

void TextLine::Clear() {
    if (ok()) buffer()[0] = '\0';
}

void TextLine::AppendArgs(const char *format, va_list args) {
    if (!ok()) return;
    size_t used = length();
    // A cut result is still terminated inside the block; the cut is wanted.
    StringCchVPrintfA(buffer() + used, kLineBufferSize - used, format, args);
    buffer()[kLineBufferSize - 1] = '\0';
}

void TextLine::Format(const char *format, ...) {
    Clear();
    va_list args;
    va_start(args, format);
    AppendArgs(format, args);
    va_end(args);
}

void TextLine::Append(const char *format, ...) {
    va_list args;
    va_start(args, format);
    AppendArgs(format, args);
    va_end(args);
}

void TextLine::AppendText(const char *text) {
    if (!ok()) return;
    StringCchCatA(buffer(), kLineBufferSize, text);
    buffer()[kLineBufferSize - 1] = '\0';
}

void TextLine::EndLine() {
    if (!ok()) return;
    size_t used = length();
    if (used + 1 < kLineBufferSize) {
        buffer()[used] = '\n';
        buffer()[used + 1] = '\0';
    } else {
        buffer()[kLineBufferSize - 2] = '\n';
    }
}

void TextLine::WriteTo(const DEVOBJ *dev, IPrintCorePS2 *helper) const {
    if (!ok()) return;
    WriteToJob(dev, helper, buffer(), static_cast<DWORD>(length()));
}

void SanitizePjlValue(char *value) {
    if (!value) return;
    for (unsigned char *p = reinterpret_cast<unsigned char *>(value); *p; ++p) {
        if (*p == '"' || *p < 0x20) *p = ' ';
    }
}

bool ToPjlValue(const wchar_t *field, size_t capacity, char *out, size_t outSize) {
    if (!field || !out || outSize == 0) return false;
    out[0] = '\0';
    size_t length = wcsnlen(field, capacity);
    // The platform refuses a zero-length conversion; an empty field is an
    // empty value all the same.
    if (length == 0) return true;
    int written = WideCharToMultiByte(CP_ACP, 0, field, static_cast<int>(length), out,
                                      static_cast<int>(outSize - 1), nullptr, nullptr);
    if (written <= 0) {
        out[0] = '\0';
        return false;
    }
    out[written] = '\0';
    SanitizePjlValue(out);
    return true;
}
