#include "ui/printer/spooler_info.h"

#include <winspool.h>
#include <cwchar>

namespace {

template <typename Query>
bool ReadRecord(Query query, unique_process_heap_ptr *buffer) {
    DWORD needed = 0;
    if (query(nullptr, 0, &needed) || GetLastError() != ERROR_INSUFFICIENT_BUFFER || needed == 0) return false;
    buffer->reset(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, needed));
    if (!*buffer) return false;
    return query(static_cast<BYTE *>(buffer->get()), needed, &needed);
}

}  // namespace

bool ReadDriverInfo(HANDLE printer, DWORD level, unique_process_heap_ptr *buffer) {
    if (!printer || !buffer) return false;
    return ReadRecord(
        [&](BYTE *data, DWORD size, DWORD *needed) {
            return GetPrinterDriverW(printer, nullptr, level, data, size, needed) != FALSE;
        },
        buffer);
}

bool ReadPrinterInfo2(HANDLE printer, unique_process_heap_ptr *buffer) {
    if (!printer || !buffer) return false;
    return ReadRecord(
        [&](BYTE *data, DWORD size, DWORD *needed) { return GetPrinterW(printer, 2, data, size, needed) != FALSE; },
        buffer);
}

bool CopyWholePath(const wchar_t *path, wchar_t *out, size_t chars) {
    if (!path || !out || chars == 0) return false;
    size_t length = wcsnlen(path, chars);
    if (length >= chars) return false;
    std::wmemcpy(out, path, length + 1);
    return true;
}
