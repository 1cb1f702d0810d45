// Private records as another program, an older version or a damaged profile
// may hand them over: random bytes, bit flips, truncations and extensions of
// valid records, every header the readers tell apart, unterminated strings,
// out-of-range values, NaN and infinite doubles.
#pragma once

#include <cstdint>
#include <vector>

#include "settings/private_devmode.h"
#include "tests/stress/corruption/rng.h"

namespace stress {

struct RecordInput {
    // The whole buffer handed over; the header's dwSize never claims more
    // than the buffer holds of what a reader may take (at most one record).
    std::vector<uint8_t> bytes;
    const char *kind = "";
};

// A valid record with varied contents, as a driver holds one.
PrivateDevmode ValidRecord(Rng &rng);
// The plug-ins' defaults.
PrivateDevmode DefaultRecord();

RecordInput CorruptRecord(Rng &rng);

// Fills `count` bytes with noise.
void Noise(Rng &rng, uint8_t *bytes, size_t count);

}  // namespace stress
