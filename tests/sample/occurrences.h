// How often a text occurs in a job, overlapping occurrences counted.
#pragma once

#include <string>

inline size_t Occurrences(const std::string &text, const std::string &what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}
