// One job printed through both plug-ins on its own printer device context,
// as the PostScript driver prints it for an application: uiplug's document
// events draw on the device context, renderplug writes its PJL and PostScript
// at the driver's injection points and takes the finished stream through its
// WritePrinter. Everything a job writes goes to files of its own, so jobs may
// print at once on several threads.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/stress/parallel_jobs/job_mix.h"

namespace parallel {

struct JobOutput {
    // The job as the printer (or, for the File destination, the file)
    // received it: PJL, then the PostScript.
    std::string bytes;
    // Every text uiplug drew on the job's device context.
    std::vector<std::wstring> drawnTexts;
    int pages = 0;  // pages the driver printed, a cover page included
};

// `folder` holds the job's files while it prints; they are gone afterwards.
// False with the reason in *error.
bool PrintJob(const JobSpec &job, const std::wstring &folder, JobOutput *out, std::wstring *error);

}  // namespace parallel
