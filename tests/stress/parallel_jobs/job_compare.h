// A job's output against the same job printed alone. What differs between
// two prints of one job by nature is made equal first, by these rules:
//
// - the job's start time, the only time in its output (the date of a dynamic
//   watermark), is set to the job's own fixed instant in both prints, just
//   after StartDoc (JobSpec::startTime);
// - the job identifier the spooler gives differs between the two prints but
//   reaches no byte of the output (the renderer keeps it to answer escapes),
//   so no rule rewrites it: were it ever written, the comparison would name
//   that line.
// Everything else is compared byte for byte, line ends included.
#pragma once

#include <cstdint>
#include <string>

namespace parallel {

// FNV-1a over every byte.
uint64_t Digest(const std::string &bytes);

// Where `actual` first departs from `expected`: "line N: expected ... got ...",
// each line cut to a readable length; empty when the two are the same.
std::string FirstDifference(const std::string &expected, const std::string &actual);

}  // namespace parallel
