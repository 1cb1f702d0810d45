#include "render/write_printer.h"

#include <cstdint>
#include <cwchar>

#include "platform/raii.h"
#include "settings/private_devmode.h"

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// Length of the path component starting at `from`.
size_t ComponentLength(const wchar_t *path, size_t length, size_t from) {
    size_t n = 0;
    while (from + n < length && !IsSeparator(path[from + n])) ++n;
    return n;
}

bool IsDrivePath(const wchar_t *path, size_t length) {
    return length > 3 && IsDriveLetter(path[0]) && path[1] == L':' && IsSeparator(path[2]);
}

// \\server\share\rest, where a server of "." or "?" would make it a device
// or namespace path rather than a share.
bool IsSharePath(const wchar_t *path, size_t length) {
    if (length < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return false;
    size_t server = ComponentLength(path, length, 2);
    if (server == 0) return false;
    if (server == 1 && (path[2] == L'.' || path[2] == L'?')) return false;
    size_t shareAt = 2 + server + 1;
    if (shareAt >= length) return false;
    size_t share = ComponentLength(path, length, shareAt);
    size_t restAt = shareAt + share + 1;
    return share > 0 && restAt < length;
}

HRESULT WriteToOutputFile(const wchar_t *path, const void *buffer, DWORD count, DWORD *outputFileStarted) {
    if (!IsAcceptableOutputPath(path, sizeof(PrivateDevmode::outputFilePath) / sizeof(wchar_t))) return S_FALSE;
    const bool appending = *outputFileStarted != 0;
    unique_hfile file(CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  appending ? OPEN_EXISTING : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return S_FALSE;
    // A name that passed the checks can still reach a device or a pipe.
    if (GetFileType(file.get()) != FILE_TYPE_DISK) return S_FALSE;
    *outputFileStarted = 1;
    if (appending) {
        LARGE_INTEGER zero{};
        if (!SetFilePointerEx(file.get(), zero, nullptr, FILE_END)) return S_FALSE;
    }
    DWORD done = 0;
    if (!WriteFile(file.get(), buffer, count, &done, nullptr) || done != count) return S_FALSE;
    if (!SetEndOfFile(file.get())) return S_FALSE;
    return S_OK;
}

}  // namespace

bool IsAcceptableOutputPath(const wchar_t *path, size_t capacity) {
    if (!path || capacity == 0) return false;
    size_t length = wcsnlen(path, capacity);
    if (length == 0 || length == capacity) return false;
    size_t driveColon = SIZE_MAX;  // no colon is allowed in a share path
    if (IsDrivePath(path, length))
        driveColon = 1;
    else if (!IsSharePath(path, length))
        return false;
    for (size_t i = 0; i < length; ++i)
        if (path[i] == L':' && i != driveColon) return false;
    return true;
}

HRESULT WriteJobOutput(const DEVOBJ *dev, const void *buffer, DWORD count, DWORD *written,
                       DWORD *outputFileStarted) {
    if (!dev || !buffer || !written || !outputFileStarted) return S_FALSE;
    if (!dev->pOEMDM || !dev->pPublicDM || !dev->hPrinter) return S_FALSE;
    *written = 0;
    const auto *settings = static_cast<const PrivateDevmode *>(dev->pOEMDM);
    if (settings->discardOutput) return S_OK;
    if (settings->outputDestination == DEST_FILE || settings->outputDestination == DEST_EPS)
        return WriteToOutputFile(settings->outputFilePath, buffer, count, outputFileStarted);
    if (!::WritePrinter(dev->hPrinter, const_cast<void *>(buffer), count, written)) return S_FALSE;
    return S_OK;
}
