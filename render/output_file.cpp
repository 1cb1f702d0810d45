#include "render/output_file.h"

#include <cwchar>

#include "render/output_path.h"
#include "render/run_identity.h"

namespace {

// FNV-1a over the path's characters. ASCII case and the two separators are
// folded, as the file system would not tell them apart either.
LONG64 PrintOf(const wchar_t *path) {
    uint64_t hash = 0xcbf29ce484222325ull;
    for (; *path; ++path) {
        wchar_t c = *path;
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
        if (c == L'/') c = L'\\';
        hash = (hash ^ static_cast<uint16_t>(c)) * 0x100000001b3ull;
    }
    // 0 stands for "nothing remembered".
    return static_cast<LONG64>(hash ? hash : 1);
}

// The open itself must not let whatever answers at the path act as the
// renderer: identification only, should it reach a pipe after all.
constexpr DWORD kOpenFlags = FILE_ATTRIBUTE_NORMAL | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION;

}  // namespace

bool OutputPathMemory::IsLatest(const wchar_t *path) const {
    auto *latest = const_cast<volatile LONG64 *>(&latest_);
    return InterlockedCompareExchange64(latest, 0, 0) == PrintOf(path);
}

void OutputPathMemory::Remember(const wchar_t *path) { InterlockedExchange64(&latest_, PrintOf(path)); }

unique_hfile OpenJobOutputFile(const wchar_t *path, size_t capacity, OutputPathMemory &memory) {
    if (!IsAcceptableOutputPath(path, capacity)) return {};
    if (!CallingThreadMayOpenOutputFile()) return {};
    const bool appending = memory.IsLatest(path);
    unique_hfile file(CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  appending ? OPEN_ALWAYS : CREATE_ALWAYS, kOpenFlags, nullptr));
    if (!file) return {};
    // A name that passed the checks can still reach a device.
    if (GetFileType(file.get()) != FILE_TYPE_DISK) return {};
    if (appending) {
        LARGE_INTEGER zero{};
        if (!SetFilePointerEx(file.get(), zero, nullptr, FILE_END)) return {};
    }
    memory.Remember(path);
    return file;
}

bool WriteWhole(HANDLE file, const void *buffer, DWORD count) {
    DWORD done = 0;
    return WriteFile(file, buffer, count, &done, nullptr) && done == count;
}
