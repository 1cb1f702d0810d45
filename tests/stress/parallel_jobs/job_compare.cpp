#include "tests/stress/parallel_jobs/job_compare.h"

#include <algorithm>

namespace parallel {
namespace {

constexpr size_t kShownChars = 120;

// A line for a message: control bytes shown as '.', cut at kShownChars.
std::string Shown(const std::string &bytes, size_t from) {
    std::string line;
    for (size_t i = from; i < bytes.size() && bytes[i] != '\n'; ++i) {
        if (line.size() == kShownChars) {
            line += "...";
            break;
        }
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        line += c < 0x20 || c >= 0x7f ? '.' : static_cast<char>(c);
    }
    return line;
}

std::string LineOrEnd(const std::string &bytes, size_t from) {
    return from < bytes.size() ? "\"" + Shown(bytes, from) + "\"" : "the end of the output";
}

}  // namespace

uint64_t Digest(const std::string &bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string FirstDifference(const std::string &expected, const std::string &actual) {
    if (expected == actual) return {};
    const size_t common = std::min(expected.size(), actual.size());
    size_t at = 0;
    while (at < common && expected[at] == actual[at]) ++at;
    const size_t lineStart = at == 0 ? 0 : expected.rfind('\n', at - 1) + 1;  // npos + 1 is 0
    const long line = 1 + static_cast<long>(std::count(expected.begin(), expected.begin() + lineStart, '\n'));
    return "line " + std::to_string(line) + ": expected " + LineOrEnd(expected, lineStart) + ", got " +
           LineOrEnd(actual, lineStart);
}

}  // namespace parallel
