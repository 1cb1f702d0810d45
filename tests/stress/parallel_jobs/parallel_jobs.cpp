// Print-server load: several threads of one process print at once through
// both plug-ins, each job on its own device context with its own settings
// (user, PIN, document name, destination, watermarks with dynamic text,
// N-up, rotation, manual duplex). Every job is first printed alone, on one
// thread; then all threads print their jobs at once, and each job's output
// must equal its lone print byte for byte (job_compare.h states what is made
// equal first) and hold no other job's PIN, user name, document name or
// watermark text (leak_check.h). The process's GDI objects, user objects,
// handles, lowest free TLS index and heap bytes must be as flat after the
// parallel prints as before them. Pages per second alone and at once are
// printed with their ratio.
//
// parallel_jobs.exe                 the short run: 4 threads x 4 jobs x 3 pages
// parallel_jobs.exe --full          8 threads x 50 jobs x 20 pages
// --threads T --jobs J --pages P    any other run (also after --full)
//
// Exit status 0 only when every job printed, matched and kept to itself and
// nothing grew; 1 otherwise, 2 for a bad command line.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tests/host/prompt_answer.h"
#include "tests/host/render_host.h"
#include "tests/host/run_figures.h"
#include "tests/stress/parallel_jobs/job_compare.h"
#include "tests/stress/parallel_jobs/job_mix.h"
#include "tests/stress/parallel_jobs/job_print.h"
#include "tests/stress/parallel_jobs/leak_check.h"
#include "tests/stress/parallel_jobs/options.h"
#include "tests/stress/parallel_jobs/printer.h"
#include "tests/stress/parallel_jobs/spooler_users.h"

namespace parallel {
namespace {

constexpr size_t kFaultsShown = 40;
constexpr int kWarmUpPrompts = 4;

double NowSeconds() {
    LARGE_INTEGER t, f;
    QueryPerformanceCounter(&t);
    QueryPerformanceFrequency(&f);
    return static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

std::string Narrow(const std::wstring &text) { return testbed::Narrow(text); }

// A job's lone print, as the parallel print must repeat it.
struct Reference {
    uint64_t digest = 0;
    size_t bytes = 0;
    int pages = 0;
};

// A job whose parallel print differed; its output is kept in a file.
struct Mismatch {
    const JobSpec *job;
    std::wstring keptOutput;
};

struct ThreadWork {
    int thread = 0;
    std::vector<JobSpec> jobs;
    std::vector<Reference> references;
    std::wstring folder;
    const PinOwners *pins = nullptr;
    HANDLE go = nullptr;
    // Filled by the thread.
    std::vector<std::string> faults;
    std::vector<Mismatch> mismatches;
    long pages = 0;
    double seconds = 0.0;
};

void AddJobFaults(const JobSpec &job, const std::vector<std::string> &lines, std::vector<std::string> *faults) {
    for (const std::string &line : lines) faults->push_back(job.Name() + ": " + line);
}

bool WriteFileBytes(const std::wstring &path, const std::string &bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

DWORD WINAPI PrintThreadJobs(void *param) {
    auto *work = static_cast<ThreadWork *>(param);
    WaitForSingleObject(work->go, INFINITE);
    const double start = NowSeconds();
    for (size_t i = 0; i < work->jobs.size(); ++i) {
        const JobSpec &job = work->jobs[i];
        JobOutput output;
        std::wstring error;
        if (!PrintJob(job, work->folder, &output, &error)) {
            work->faults.push_back(job.Name() + ": " + Narrow(error));
            continue;
        }
        work->pages += output.pages;
        AddJobFaults(job, CheckSecrets(job, output, *work->pins), &work->faults);
        const Reference &alone = work->references[i];
        if (Digest(output.bytes) == alone.digest && output.bytes.size() == alone.bytes) continue;
        const std::wstring kept = work->folder + L"\\parallel-j" + std::to_wstring(job.index) + L".prn";
        work->mismatches.push_back({&job, WriteFileBytes(kept, output.bytes) ? kept : L""});
    }
    work->seconds = NowSeconds() - start;
    return 0;
}

// Names the first differing line of each job that differed, against a
// fresh lone print of it.
void ExplainMismatches(const std::vector<std::unique_ptr<ThreadWork>> &works, const std::wstring &soloFolder,
                       std::vector<std::string> *faults) {
    for (const auto &work : works) {
        for (size_t m = 0; m < work->mismatches.size(); ++m) {
            const Mismatch &mismatch = work->mismatches[m];
            const JobSpec &job = *mismatch.job;
            JobOutput alone;
            std::wstring error;
            std::string line = job.Name() + ": differs from its lone print";
            if (mismatch.keptOutput.empty()) {
                line += " (its output could not be kept)";
            } else if (!PrintJob(job, soloFolder, &alone, &error)) {
                line += " (a second lone print failed: " + Narrow(error) + ")";
            } else {
                const std::string parallel = testbed::ReadFileBytes(mismatch.keptOutput);
                const std::string difference = FirstDifference(alone.bytes, parallel);
                line += difference.empty() ? " (but equals a second lone print: the lone prints differ)"
                                           : ", first at " + difference;
                line += "; kept in " + Narrow(mismatch.keptOutput);
            }
            faults->push_back(line);
        }
    }
}

double PerSecond(long pages, double seconds) { return seconds > 0.0 ? pages / seconds : 0.0; }

}  // namespace
}  // namespace parallel

int main(int argc, char **argv) {
    using namespace parallel;
    RunOptions options;
    if (!ParseOptions(argc, argv, &options)) return 2;
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    std::wstring error;
    if (!testbed::EnsurePrinter(TestPrinter(), &error)) {
        std::printf("no test printer: %s\n", Narrow(error).c_str());
        return 1;
    }
    SpoolerUsers users;
    testbed::PromptAnswerer prompts;
    if (!users.ok() || !prompts.ok()) {
        std::printf("uiplug.dll does not import GetJobW and CreateProcessW\n");
        return 1;
    }
    // Wine realises some GDI objects of its own at the first few dialogs a
    // process shows; answered here, they stay out of the figures.
    prompts.WarmUp(kWarmUpPrompts);

    testbed::ScratchDir(L"parallel_jobs");  // the folder the next ones go into
    const std::wstring soloFolder = testbed::ScratchDir(L"parallel_jobs\\alone");
    std::vector<std::unique_ptr<ThreadWork>> works;
    std::vector<JobSpec> allJobs;
    for (int t = 0; t < options.threads; ++t) {
        auto work = std::make_unique<ThreadWork>();
        work->thread = t;
        work->folder = testbed::ScratchDir((L"parallel_jobs\\t" + std::to_wstring(t)).c_str());
        for (int j = 0; j < options.jobs; ++j)
            work->jobs.push_back(MakeJob(t, j, t * options.jobs + j, options.pages, work->folder));
        allJobs.insert(allJobs.end(), work->jobs.begin(), work->jobs.end());
        works.push_back(std::move(work));
    }
    const PinOwners pins = CollectPins(allJobs);
    std::printf("%d threads x %d jobs x %d pages\n", options.threads, options.jobs, options.pages);

    std::vector<std::string> faults;
    // The first job of a process loads Wine's fonts and driver: once before
    // the clock starts.
    {
        JobOutput output;
        if (!PrintJob(works[0]->jobs[0], soloFolder, &output, &error)) {
            std::printf("FAIL: the first job does not print: %s\n", Narrow(error).c_str());
            return 1;
        }
    }

    // Every job alone, one after the other on this thread.
    long alonePages = 0;
    const double aloneStart = NowSeconds();
    for (auto &work : works) {
        for (const JobSpec &job : work->jobs) {
            JobOutput output;
            Reference reference;
            if (!PrintJob(job, soloFolder, &output, &error)) {
                faults.push_back(job.Name() + ": alone: " + Narrow(error));
            } else {
                reference = Reference{Digest(output.bytes), output.bytes.size(), output.pages};
                alonePages += output.pages;
                AddJobFaults(job, CheckSecrets(job, output, pins), &faults);
            }
            work->references.push_back(reference);
        }
    }
    const double aloneSeconds = NowSeconds() - aloneStart;
    std::printf("alone:    %ld pages of %zu jobs on 1 thread in %.1f s\n", alonePages, allJobs.size(), aloneSeconds);

    // Measured as the long job measures them, with its tolerances; the
    // "pages" column counts the pages printed so far.
    runfigures::Figures before = runfigures::Measure();
    before.pages = alonePages;
    before.msPerPage = alonePages ? aloneSeconds * 1000.0 / alonePages : 0.0;
    runfigures::PrintHeader();
    runfigures::PrintRow(before);

    // All threads at once, released together.
    HANDLE go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::vector<HANDLE> threads;
    for (auto &work : works) {
        work->pins = &pins;
        work->go = go;
        HANDLE thread = CreateThread(nullptr, 0, PrintThreadJobs, work.get(), 0, nullptr);
        if (!thread) {
            faults.push_back("no thread " + std::to_string(work->thread));
            continue;
        }
        threads.push_back(thread);
    }
    const double parallelStart = NowSeconds();
    SetEvent(go);
    WaitForMultipleObjects(static_cast<DWORD>(threads.size()), threads.data(), TRUE, INFINITE);
    const double parallelSeconds = NowSeconds() - parallelStart;
    for (HANDLE thread : threads) CloseHandle(thread);
    CloseHandle(go);

    runfigures::Figures after = runfigures::Measure();
    long parallelPages = 0;
    size_t differences = 0;
    for (const auto &work : works) parallelPages += work->pages;
    after.pages = alonePages + parallelPages;
    after.msPerPage = parallelPages ? parallelSeconds * 1000.0 / parallelPages : 0.0;
    runfigures::PrintRow(after);

    for (const auto &work : works) {
        differences += work->mismatches.size();
        faults.insert(faults.end(), work->faults.begin(), work->faults.end());
        std::printf("thread %d: %zu jobs, %ld pages in %.1f s\n", work->thread, work->jobs.size(), work->pages,
                    work->seconds);
    }
    std::printf("at once:  %ld pages of %zu jobs on %d threads in %.1f s\n", parallelPages, allJobs.size(),
                options.threads, parallelSeconds);
    const double alonePerSecond = PerSecond(alonePages, aloneSeconds);
    const double parallelPerSecond = PerSecond(parallelPages, parallelSeconds);
    std::printf("pages per second: %.2f on 1 thread, %.2f on %d threads, ratio %.2f\n", alonePerSecond,
                parallelPerSecond, options.threads, alonePerSecond > 0.0 ? parallelPerSecond / alonePerSecond : 0.0);

    ExplainMismatches(works, soloFolder, &faults);
    const std::vector<std::string> growth = runfigures::GrowthBeyond({before, after}, 0, runfigures::Tolerance{});
    faults.insert(faults.end(), growth.begin(), growth.end());
    if (!prompts.fault().empty()) faults.push_back("prompt: " + Narrow(prompts.fault()));
    if (prompts.started() != prompts.answered()) faults.push_back("not every prompt was answered");
    std::printf("differences: %zu of %zu jobs; growth: %s; prompts answered: %ld\n", differences, allJobs.size(),
                growth.empty() ? "none" : "see below", prompts.answered());
    for (size_t i = 0; i < faults.size() && i < kFaultsShown; ++i) std::printf("FAIL: %s\n", faults[i].c_str());
    if (faults.size() > kFaultsShown) std::printf("... and %zu more\n", faults.size() - kFaultsShown);
    std::printf(faults.empty() ? "parallel jobs: clean\n" : "parallel jobs: FAILED\n");
    return faults.empty() ? 0 : 1;
}
