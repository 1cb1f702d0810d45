// What every record the product hands back must satisfy. Each check returns
// an empty string when it holds, else what is wrong.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/private_devmode.h"

namespace stress {

// Every string field ends inside its array.
std::string CheckStrings(const PrivateDevmode &dm);
// The header is the current one, every string ends inside its array, and
// the record's own validation finds nothing to change.
std::string CheckValidRecord(const PrivateDevmode &dm);

// What converting `in` must give: the defaults (every field written), with
// as much of a record of this signature as it holds, at most one record,
// then the current header.
PrivateDevmode ExpectedConversion(const std::vector<uint8_t> &in);

// The first byte at which two records differ, as text.
std::string FirstDifference(const void *a, const void *b, size_t size);

}  // namespace stress
