// A key and everything under it, read with the test's own calls: the state a
// store operation leaves, compared whole with the states before and after
// an operation that went through.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace faults {

struct StoredValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    bool operator==(const StoredValue &o) const { return type == o.type && data == o.data; }
};

// Key path below the root ("" for the root itself) -> value name -> value.
// Names are kept as the registry returns them; keys and values compare
// without regard to case, as the registry compares them.
struct RegistryState {
    std::map<std::wstring, std::map<std::wstring, StoredValue>> keys;
    bool exists = false;
    bool operator==(const RegistryState &o) const;
    bool operator!=(const RegistryState &o) const { return !(*this == o); }
};

RegistryState ReadState(HKEY root, const std::wstring &path);
// Puts `state` back: the key is removed and written anew.
bool WriteState(HKEY root, const std::wstring &path, const RegistryState &state);
// What differs between two states, for a failure message.
std::string Difference(const RegistryState &a, const RegistryState &b);

}  // namespace faults
