// The owner of every job, as a print server's spooler records it. Wine's
// GetJobW answers JOB_INFO_1 without a user name, so uiplug's GetJobW import
// is answered here for the jobs this program started: each job's own user,
// found by its job id.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "tests/host/import_patch.h"

namespace parallel {

class SpoolerUsers {
public:
    SpoolerUsers();
    ~SpoolerUsers();
    SpoolerUsers(const SpoolerUsers &) = delete;
    SpoolerUsers &operator=(const SpoolerUsers &) = delete;

    bool ok() const { return patch_->ok(); }
    // From any thread: the job's owner, until Forget.
    static void Set(DWORD jobId, const std::wstring &user);
    static void Forget(DWORD jobId);

private:
    std::unique_ptr<ImportPatch> patch_;
};

}  // namespace parallel
