// The job's user, as Windows' spooler records it for every job. Wine's
// GetJobW answers JOB_INFO_1 without a user name, so uiplug's GetJobW import
// is answered here: the real answer's job, with this process's user.
#pragma once

#include <memory>

#include "tests/host/import_patch.h"

namespace longjob {

class JobUser {
public:
    JobUser();
    bool ok() const { return patch_->ok(); }

private:
    std::unique_ptr<ImportPatch> patch_;
};

}  // namespace longjob
