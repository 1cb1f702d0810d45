#include "tests/stress/parallel_jobs/options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace parallel {
namespace {

constexpr char kUsage[] =
    "usage: parallel_jobs [--full] [--threads T] [--jobs J] [--pages P]\n"
    "  (none)       the short run: 4 threads, 4 jobs each, 3 pages each\n"
    "  --full       the long run: 8 threads, 50 jobs each, 20 pages each\n"
    "  --threads T  threads printing at once, 1 to 64\n"
    "  --jobs J     jobs per thread, 1 to 999 (at most 1,296 jobs in all)\n"
    "  --pages P    pages per job, 1 to 1,000\n";

// Every job has a PIN of four digits from 1 to 6 of its own.
constexpr long kMostJobs = 6 * 6 * 6 * 6;

bool ReadCount(const char *text, long low, long high, int *out) {
    char *end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (!text[0] || *end || value < low || value > high) return false;
    *out = static_cast<int>(value);
    return true;
}

bool Fail(const char *reason, const char *value) {
    std::printf("%s%s%s\n%s", reason, value ? ": " : "", value ? value : "", kUsage);
    return false;
}

}  // namespace

bool ParseOptions(int argc, char **argv, RunOptions *o) {
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        const char *value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (std::strcmp(arg, "--full") == 0) {
            o->threads = 8;
            o->jobs = 50;
            o->pages = 20;
        } else if (std::strcmp(arg, "--threads") == 0 && value) {
            if (!ReadCount(value, 1, 64, &o->threads)) return Fail("bad thread count", value);
            ++i;
        } else if (std::strcmp(arg, "--jobs") == 0 && value) {
            if (!ReadCount(value, 1, 999, &o->jobs)) return Fail("bad job count", value);
            ++i;
        } else if (std::strcmp(arg, "--pages") == 0 && value) {
            if (!ReadCount(value, 1, 1000, &o->pages)) return Fail("bad page count", value);
            ++i;
        } else if (std::strcmp(arg, "--help") == 0) {
            std::printf("%s", kUsage);
            return false;
        } else {
            return Fail("unknown option or missing value", arg);
        }
    }
    if (static_cast<long>(o->threads) * o->jobs > kMostJobs) return Fail("more than 1,296 jobs", nullptr);
    return true;
}

}  // namespace parallel
