#include "tests/ui_watermark/fake_job.h"

#include <winspool.h>

#include <cwchar>

namespace {

constexpr int kEscGetJobId = 0x1000D;

using ExtEscapeFn = int(WINAPI *)(HDC, int, int, LPCSTR, int, LPSTR);

struct FakeState {
    int jobId = 0;
    const wchar_t *userName = nullptr;
    int escapeCalls = 0;
    int jobQueries = 0;
    DWORD lastQueriedJob = 0;
    ExtEscapeFn realExtEscape = nullptr;
} g_fake;

int WINAPI FakeExtEscape(HDC dc, int escape, int cbIn, LPCSTR in, int cbOut, LPSTR out) {
    if (escape != kEscGetJobId) return g_fake.realExtEscape(dc, escape, cbIn, in, cbOut, out);
    ++g_fake.escapeCalls;
    return g_fake.jobId;
}

// GetJobW's contract: a buffer that is missing or too small fails with
// ERROR_INSUFFICIENT_BUFFER and reports the size needed.
BOOL WINAPI FakeGetJobW(HANDLE printer, DWORD jobId, DWORD level, LPBYTE buffer, DWORD bytes, LPDWORD needed) {
    ++g_fake.jobQueries;
    g_fake.lastQueriedJob = jobId;
    if (!printer || level != 1 || !needed || g_fake.jobId <= 0 || jobId != static_cast<DWORD>(g_fake.jobId)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    size_t userBytes = g_fake.userName ? (wcslen(g_fake.userName) + 1) * sizeof(wchar_t) : 0;
    DWORD size = static_cast<DWORD>(sizeof(JOB_INFO_1W) + userBytes);
    *needed = size;
    if (!buffer || bytes < size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    auto *info = reinterpret_cast<JOB_INFO_1W *>(buffer);
    ZeroMemory(info, sizeof(*info));
    info->JobId = jobId;
    if (g_fake.userName) {
        auto *user = reinterpret_cast<wchar_t *>(buffer + sizeof(JOB_INFO_1W));
        memcpy(user, g_fake.userName, userBytes);
        info->pUserName = user;
    }
    return TRUE;
}

}  // namespace

FakeJob::FakeJob(int jobId, const wchar_t *userName)
    : escape_(GetModuleHandleW(nullptr), "gdi32.dll", "ExtEscape", reinterpret_cast<void *>(&FakeExtEscape)),
      getJob_(GetModuleHandleW(nullptr), "winspool.drv", "GetJobW", reinterpret_cast<void *>(&FakeGetJobW)) {
    g_fake = FakeState{};
    g_fake.jobId = jobId;
    g_fake.userName = userName;
    g_fake.realExtEscape = reinterpret_cast<ExtEscapeFn>(escape_.original());
}

FakeJob::~FakeJob() { g_fake = FakeState{}; }

int FakeJob::escapeCalls() const { return g_fake.escapeCalls; }
int FakeJob::jobQueries() const { return g_fake.jobQueries; }
DWORD FakeJob::lastQueriedJob() const { return g_fake.lastQueriedJob; }
