#include "tests/stress/parallel_jobs/spooler_users.h"

#include <winspool.h>

#include <cstring>
#include <map>

#include "tests/host/ui_host.h"

namespace parallel {
namespace {

SRWLOCK g_lock = SRWLOCK_INIT;
std::map<DWORD, std::wstring> g_users;

bool UserOf(DWORD jobId, std::wstring *user) {
    AcquireSRWLockShared(&g_lock);
    auto found = g_users.find(jobId);
    const bool known = found != g_users.end();
    if (known) *user = found->second;
    ReleaseSRWLockShared(&g_lock);
    return known;
}

// Level 1 of a job this program started: its id and owner, sized and failed
// as GetJobW is. Anything else goes to Wine.
BOOL WINAPI GetJobWithOwner(HANDLE printer, DWORD jobId, DWORD level, LPBYTE buffer, DWORD bytes, LPDWORD needed) {
    std::wstring user;
    if (level != 1 || !needed || !UserOf(jobId, &user))
        return GetJobW(printer, jobId, level, buffer, bytes, needed);
    const size_t userBytes = (user.size() + 1) * sizeof(wchar_t);
    *needed = static_cast<DWORD>(sizeof(JOB_INFO_1W) + userBytes);
    if (!buffer || bytes < *needed) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    JOB_INFO_1W info{};
    info.JobId = jobId;
    info.pUserName = reinterpret_cast<wchar_t *>(buffer + sizeof(JOB_INFO_1W));
    std::memcpy(buffer, &info, sizeof(info));
    std::memcpy(buffer + sizeof(JOB_INFO_1W), user.c_str(), userBytes);
    return TRUE;
}

}  // namespace

SpoolerUsers::SpoolerUsers()
    : patch_(std::make_unique<ImportPatch>(testbed::UiPlugModule(), "winspool.drv", "GetJobW",
                                           reinterpret_cast<void *>(&GetJobWithOwner))) {}

SpoolerUsers::~SpoolerUsers() = default;

void SpoolerUsers::Set(DWORD jobId, const std::wstring &user) {
    AcquireSRWLockExclusive(&g_lock);
    g_users[jobId] = user;
    ReleaseSRWLockExclusive(&g_lock);
}

void SpoolerUsers::Forget(DWORD jobId) {
    AcquireSRWLockExclusive(&g_lock);
    g_users.erase(jobId);
    ReleaseSRWLockExclusive(&g_lock);
}

}  // namespace parallel
