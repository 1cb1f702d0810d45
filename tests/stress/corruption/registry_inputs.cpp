#include "tests/stress/corruption/registry_inputs.h"

#include <cstring>

#include "platform/raii.h"
#include "tests/stress/corruption/record_inputs.h"

namespace stress {

RegistryValue CorruptValue(Rng &rng, DWORD expectedType, size_t expected, const std::vector<uint8_t> &valid) {
    static const DWORD types[] = {REG_NONE,          REG_SZ,
                                  REG_EXPAND_SZ,     REG_BINARY,
                                  REG_DWORD,         REG_DWORD_BIG_ENDIAN,
                                  REG_LINK,          REG_MULTI_SZ,
                                  REG_RESOURCE_LIST, REG_FULL_RESOURCE_DESCRIPTOR,
                                  REG_QWORD,         0x7FFF0001};
    RegistryValue v;
    v.type = rng.Chance(50) ? expectedType : rng.Pick(types);
    size_t size;
    switch (rng.Below(9)) {
        case 0:
            size = 0;
            v.kind = "size 0";
            break;
        case 1:
            size = 1;
            v.kind = "size 1";
            break;
        case 2:
            size = (rng.Below(expected + 2) | 1);
            v.kind = "odd size";
            break;
        case 3:
            size = expected > 1 ? expected - 1 - rng.Below(expected > 2 ? 2 : 1) : 0;
            v.kind = "just short";
            break;
        case 4:
        case 5:
            size = expected;
            v.kind = "exact size";
            break;
        case 6:
            size = expected + 1 + rng.Below(3);
            v.kind = "just longer";
            break;
        case 7:
            size = expected * 2 + rng.Below(64);
            v.kind = "twice as long";
            break;
        default:
            size = 0x10000 + rng.Below(0x30000);
            v.kind = "very long";
            break;
    }
    v.zeroAfter = rng.Chance(50);
    v.data.resize(size);
    Noise(rng, v.data.data(), size);
    if (!valid.empty() && rng.Chance(70)) {
        std::memcpy(v.data.data(), valid.data(), size < valid.size() ? size : valid.size());
        // Damage a few bytes of the good value.
        if (size && rng.Chance(50))
            for (int i = 0; i < 4; ++i) v.data[rng.Below(size)] = static_cast<uint8_t>(rng.Next());
    }
    return v;
}

bool WriteRegistryValue(const std::wstring &keyPath, const wchar_t *name, RegistryValue *value) {
    unique_hkey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_QUERY_VALUE, nullptr,
                        key.put(), nullptr) != ERROR_SUCCESS)
        return false;
    std::vector<uint8_t> written(value->data);
    written.resize(written.size() + 2, value->zeroAfter ? 0 : 0xFF);
    if (RegSetValueExW(key.get(), name, 0, value->type, written.data(), static_cast<DWORD>(value->data.size())) !=
        ERROR_SUCCESS)
        return false;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    std::vector<uint8_t> stored(size + 2);
    if (RegQueryValueExW(key.get(), name, nullptr, &type, stored.data(), &size) != ERROR_SUCCESS) return false;
    stored.resize(size);
    value->type = type;
    value->data.swap(stored);
    return true;
}

}  // namespace stress
