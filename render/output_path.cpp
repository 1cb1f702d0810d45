#include "render/output_path.h"

#include <cstdint>
#include <cwchar>
#include <initializer_list>

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

wchar_t AsciiUpper(wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

// A piece of the path: `length` characters from `text`, not terminated.
struct Span {
    const wchar_t *text;
    size_t length;
};

// Compares without regard to ASCII case; `upper` is upper case.
bool EqualsName(Span s, const wchar_t *upper) {
    size_t n = wcslen(upper);
    if (s.length != n) return false;
    for (size_t i = 0; i < n; ++i)
        if (AsciiUpper(s.text[i]) != upper[i]) return false;
    return true;
}

// Length of the path component starting at `from`.
size_t ComponentLength(const wchar_t *path, size_t length, size_t from) {
    size_t n = 0;
    while (from + n < length && !IsSeparator(path[from + n])) ++n;
    return n;
}

// Win32 drops trailing dots and blanks from a name before it reaches the
// file system, so "NUL ." and "pipe." name what "NUL" and "pipe" name.
Span TrimTrailingDotsAndBlanks(Span s) {
    while (s.length > 0 && (s.text[s.length - 1] == L'.' || s.text[s.length - 1] == L' ')) --s.length;
    return s;
}

bool IsPortDigit(wchar_t c) {
    // The platform's naming rules reserve 0 as well, and count the Latin-1
    // superscripts one, two and three as digits.
    return (c >= L'0' && c <= L'9') || c == L'\u00B9' || c == L'\u00B2' || c == L'\u00B3';
}

// A device name stays a device whatever extension follows it: "NUL.txt",
// "com1 .log" and "CONOUT$" all open a device, in any folder.
bool IsReservedDeviceName(Span component) {
    Span base{component.text, 0};
    while (base.length < component.length && component.text[base.length] != L'.') ++base.length;
    while (base.length > 0 && base.text[base.length - 1] == L' ') --base.length;
    for (const wchar_t *name : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
        if (EqualsName(base, name)) return true;
    if (base.length != 4 || !IsPortDigit(base.text[3])) return false;
    Span prefix{base.text, 3};
    return EqualsName(prefix, L"COM") || EqualsName(prefix, L"LPT");
}

bool NamesADevice(const wchar_t *path, size_t length) {
    for (size_t at = 0; at < length; ++at) {
        if (IsSeparator(path[at])) continue;
        size_t n = ComponentLength(path, length, at);
        if (IsReservedDeviceName(Span{path + at, n})) return true;
        at += n;
    }
    return false;
}

bool IsDrivePath(const wchar_t *path, size_t length) {
    return length > 3 && IsDriveLetter(path[0]) && path[1] == L':' && IsSeparator(path[2]);
}

// Shares that lead to interprocess channels rather than files: a client that
// opens one connects to a server that can take on its identity.
bool IsChannelShare(Span share) {
    Span name = TrimTrailingDotsAndBlanks(share);
    return EqualsName(name, L"PIPE") || EqualsName(name, L"IPC$") || EqualsName(name, L"MAILSLOT");
}

// \\server\share\rest, where a server of "." or "?" would make it a device
// or namespace path rather than a share, and an "@" in the server name sends
// the open to the WebDAV client (host@port, host@SSL).
bool IsSharePath(const wchar_t *path, size_t length) {
    if (length < 2 || !IsSeparator(path[0]) || !IsSeparator(path[1])) return false;
    size_t server = ComponentLength(path, length, 2);
    if (server == 0) return false;
    if (server == 1 && (path[2] == L'.' || path[2] == L'?')) return false;
    if (wmemchr(path + 2, L'@', server)) return false;
    size_t shareAt = 2 + server + 1;
    if (shareAt >= length) return false;
    size_t share = ComponentLength(path, length, shareAt);
    if (share == 0 || IsChannelShare(Span{path + shareAt, share})) return false;
    size_t restAt = shareAt + share + 1;
    return restAt < length;
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
    return !NamesADevice(path, length);
}
