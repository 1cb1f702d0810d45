// Registry values as another program, an older version or a damaged hive may
// leave them: every type, and sizes of 0, 1, odd, just short of what the
// reader expects, exact, just longer and very long.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/stress/corruption/rng.h"

namespace stress {

struct RegistryValue {
    DWORD type = REG_NONE;
    std::vector<uint8_t> data;
    const char *kind = "";
    // What lies after the data in the writer's memory: RegSetValueExW counts
    // a string's terminator in when the caller left it out but it follows.
    bool zeroAfter = false;
};

// A value for a reader that expects `expected` bytes of `expectedType`;
// `valid`, when given, is what a good value holds (it is cut, extended or
// damaged), else noise.
RegistryValue CorruptValue(Rng &rng, DWORD expectedType, size_t expected, const std::vector<uint8_t> &valid = {});

// Writes the value (any type, any size) below HKEY_CURRENT_USER, then sets
// `value` to what the registry stored.
bool WriteRegistryValue(const std::wstring &keyPath, const wchar_t *name, RegistryValue *value);

}  // namespace stress
