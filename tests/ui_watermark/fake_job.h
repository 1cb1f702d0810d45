// A print job as a real system reports it from behind the printer device
// context: the rendering plug-in answers the job-id escape, and the spooler
// returns the job with its user. Wine's PostScript driver answers no private
// escape and its spooler records no user, so the tests put this in their place.
#pragma once

#include <windows.h>

#include "tests/host/import_patch.h"

class FakeJob {
public:
    // `jobId` is what the escape answers (0 for a renderer that does not
    // answer); `userName` may be null for a job without a recorded user.
    FakeJob(int jobId, const wchar_t *userName);
    ~FakeJob();
    FakeJob(const FakeJob &) = delete;
    FakeJob &operator=(const FakeJob &) = delete;

    bool ok() const { return escape_.ok() && getJob_.ok(); }
    int escapeCalls() const;
    int jobQueries() const;
    DWORD lastQueriedJob() const;

private:
    ImportPatch escape_;
    ImportPatch getJob_;
};
