// The jobs of the run: every thread prints its own mix, and every job carries
// values no other job has (user, PIN, document name, watermark text), so that
// one found in another job's output can only have leaked there.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "settings/private_devmode.h"

namespace parallel {

struct JobSpec {
    int thread = 0;
    int index = 0;  // within the thread
    int pages = 1;
    // The job's own values.
    std::wstring user;      // the spooler's job owner and the hold user
    std::wstring pin;       // confidential jobs only
    std::wstring document;  // the document name
    std::wstring mark;      // the watermark's fixed text
    std::wstring recipient;
    // What the job does.
    uint32_t destination = DEST_PRINTER;
    int pagesPerSheet = 1;
    bool rotate = false;
    bool manualDuplex = false;
    bool dynamicMark = false;
    uint32_t watermarkOrder = 1;
    bool markOverPage = false;
    std::wstring outputFile;  // the File destination's path
    SYSTEMTIME startTime{};   // the job's start, the same in both of its prints

    std::string Name() const;  // "thread 3, job 17 (confidential, 2-up ...)"
};

// The secrets of a job that no other job's output may contain.
std::vector<std::wstring> SecretsOf(const JobSpec &job);

// Job `index` of thread `thread`, the run's job number `serial` (which picks
// its PIN); File output goes into `threadFolder`.
JobSpec MakeJob(int thread, int index, int serial, int pages, const std::wstring &threadFolder);

// The job's settings as the user left them on the plug-ins' pages.
void FillSettings(const JobSpec &job, PrivateDevmode *settings);

}  // namespace parallel
