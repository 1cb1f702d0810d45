// The command line: how many threads print how many jobs of how many pages.
#pragma once

namespace parallel {

struct RunOptions {
    int threads = 4;
    int jobs = 4;   // per thread
    int pages = 3;  // per job
};

// False after printing the reason and the usage (the run then ends with 2).
bool ParseOptions(int argc, char **argv, RunOptions *options);

}  // namespace parallel
