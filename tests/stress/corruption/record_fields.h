// The fields of the private record by kind, for the generators that corrupt
// them and the checks that read them back.
#pragma once

#include <cstddef>
#include <cstdint>

#include "settings/private_devmode.h"

namespace stress {

struct StringField {
    const char *name;
    size_t offset;  // in PrivateDevmode
    size_t chars;   // array length, terminator included
};

// Fields with a closed set of values (flags, enumerations, bit sets).
struct NumberField {
    size_t offset;
    size_t width;  // 1, 2 or 4 bytes
};

// The doubles of both watermarks.
struct DoubleField {
    size_t offset;
};

extern const StringField kStringFields[];
extern const size_t kStringFieldCount;
extern const NumberField kNumberFields[];
extern const size_t kNumberFieldCount;
extern const DoubleField kDoubleFields[];
extern const size_t kDoubleFieldCount;

inline const wchar_t *StringAt(const PrivateDevmode &dm, const StringField &f) {
    return reinterpret_cast<const wchar_t *>(reinterpret_cast<const uint8_t *>(&dm) + f.offset);
}

}  // namespace stress
