#include "tests/stress/long_job/job_user.h"

#include <windows.h>
#include <winspool.h>

#include <cstring>
#include <vector>

#include "tests/host/ui_host.h"

namespace longjob {
namespace {

wchar_t g_user[257] = L"longjob";

// Level 1 only: the job must exist (the real call says so), and the answer is
// its record with the user name filled in, sized and failed as GetJobW is.
BOOL WINAPI GetJobWithUser(HANDLE printer, DWORD jobId, DWORD level, LPBYTE buffer, DWORD bytes, LPDWORD needed) {
    if (level != 1 || !needed) return GetJobW(printer, jobId, level, buffer, bytes, needed);
    DWORD realNeeded = 0;
    GetJobW(printer, jobId, 1, nullptr, 0, &realNeeded);
    if (realNeeded < sizeof(JOB_INFO_1W)) return GetJobW(printer, jobId, level, buffer, bytes, needed);
    std::vector<BYTE> real(realNeeded);
    if (!GetJobW(printer, jobId, 1, real.data(), realNeeded, &realNeeded)) return FALSE;
    const size_t userBytes = (wcslen(g_user) + 1) * sizeof(wchar_t);
    *needed = static_cast<DWORD>(sizeof(JOB_INFO_1W) + userBytes);
    if (!buffer || bytes < *needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    JOB_INFO_1W info{};
    info.JobId = reinterpret_cast<const JOB_INFO_1W *>(real.data())->JobId;
    info.pUserName = reinterpret_cast<wchar_t *>(buffer + sizeof(JOB_INFO_1W));
    std::memcpy(buffer, &info, sizeof(info));
    std::memcpy(buffer + sizeof(JOB_INFO_1W), g_user, userBytes);
    return TRUE;
}

}  // namespace

JobUser::JobUser()
    : patch_(std::make_unique<ImportPatch>(testbed::UiPlugModule(), "winspool.drv", "GetJobW",
                                           reinterpret_cast<void *>(&GetJobWithUser))) {
    DWORD chars = 257;
    if (!GetUserNameW(g_user, &chars)) wcscpy(g_user, L"longjob");
}

}  // namespace longjob
