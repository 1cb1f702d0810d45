#include "tests/ui_faults/registry_state.h"

#include <shlwapi.h>

#include "platform/raii.h"

namespace faults {
namespace {

std::wstring Lower(const std::wstring &s) {
    std::wstring out = s;
    CharLowerBuffW(out.data(), static_cast<DWORD>(out.size()));
    return out;
}

std::map<std::wstring, std::map<std::wstring, StoredValue>> Folded(const RegistryState &s) {
    std::map<std::wstring, std::map<std::wstring, StoredValue>> out;
    for (const auto &[key, values] : s.keys) {
        auto &folded = out[Lower(key)];
        for (const auto &[name, value] : values) folded[Lower(name)] = value;
    }
    return out;
}

void ReadKey(HKEY key, const std::wstring &path, RegistryState *state) {
    auto &values = state->keys[path];
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD chars = 16384, type = 0, size = 0;
        if (RegEnumValueW(key, index, name, &chars, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        StoredValue value;
        value.type = type;
        value.data.resize(size);
        chars = 16384;
        if (RegEnumValueW(key, index, name, &chars, nullptr, &type, value.data.data(), &size) != ERROR_SUCCESS) break;
        value.data.resize(size);
        values[name] = value;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD chars = 256;
        if (RegEnumKeyExW(key, index, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        unique_hkey sub;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, sub.put()) != ERROR_SUCCESS) continue;
        ReadKey(sub.get(), path.empty() ? name : path + L"\\" + name, state);
    }
}

std::string Narrow(const std::wstring &w) { return std::string(w.begin(), w.end()); }

}  // namespace

bool RegistryState::operator==(const RegistryState &o) const {
    return exists == o.exists && Folded(*this) == Folded(o);
}

RegistryState ReadState(HKEY root, const std::wstring &path) {
    RegistryState state;
    unique_hkey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return state;
    state.exists = true;
    ReadKey(key.get(), L"", &state);
    return state;
}

bool WriteState(HKEY root, const std::wstring &path, const RegistryState &state) {
    SHDeleteKeyW(root, path.c_str());
    if (!state.exists) return true;
    for (const auto &[sub, values] : state.keys) {
        unique_hkey key;
        std::wstring full = sub.empty() ? path : path + L"\\" + sub;
        if (RegCreateKeyExW(root, full.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr) !=
            ERROR_SUCCESS)
            return false;
        for (const auto &[name, value] : values)
            if (RegSetValueExW(key.get(), name.c_str(), 0, value.type, value.data.data(),
                               static_cast<DWORD>(value.data.size())) != ERROR_SUCCESS)
                return false;
    }
    return true;
}

std::string Difference(const RegistryState &a, const RegistryState &b) {
    auto fa = Folded(a), fb = Folded(b);
    std::string out;
    for (const auto &[key, values] : fa) {
        auto other = fb.find(key);
        if (other == fb.end()) {
            out += " key only in the first: [" + Narrow(key) + "]";
            continue;
        }
        for (const auto &[name, value] : values) {
            auto v = other->second.find(name);
            if (v == other->second.end())
                out += " value only in the first: [" + Narrow(key) + "] " + Narrow(name);
            else if (!(v->second == value))
                out += " value differs: [" + Narrow(key) + "] " + Narrow(name);
        }
        for (const auto &[name, value] : other->second)
            if (!values.count(name)) out += " value only in the second: [" + Narrow(key) + "] " + Narrow(name);
    }
    for (const auto &[key, values] : fb)
        if (!fa.count(key)) out += " key only in the second: [" + Narrow(key) + "]";
    return out.empty() ? " none" : out;
}

}  // namespace faults
