#include "tests/ui_faults/registry_faults.h"

#include <shlwapi.h>

#include <cstring>
#include <map>

namespace faults {
namespace {

struct State {
    bool armed = false;
    int calls = 0;
    int failAt = 0;
    const char *failFunction = nullptr;
    int occurrence = 0;
    int seen = 0;
    const char *failed = nullptr;
    std::vector<const char *> trace;
};
State g;

// True when this call is the one to fail.
bool ShouldFail(const char *function) {
    if (!g.armed) return false;
    ++g.calls;
    g.trace.push_back(function);
    bool fail = g.calls == g.failAt;
    if (g.failFunction && std::strcmp(g.failFunction, function) == 0 && ++g.seen == g.occurrence) fail = true;
    if (fail && !g.failed) g.failed = function;
    return fail;
}

// The real functions, found by name so that no call of ours goes through a
// patched slot.
template <typename F>
F Real(const char *dll, const char *name) {
    return reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA(dll), name)));
}
#define REAL(dll, fn) static const auto real = Real<decltype(&fn)>(dll, #fn)

// Refused opens and writes answer as a registry without the rights does;
// refused reads as one that ran out of memory. None is "not found", which a
// store must be able to tell from a failure.
LONG WINAPI OpenKeyEx(HKEY key, LPCWSTR sub, DWORD options, REGSAM sam, PHKEY out) {
    REAL("advapi32.dll", RegOpenKeyExW);
    if (ShouldFail("RegOpenKeyExW")) {
        if (out) *out = nullptr;
        return ERROR_ACCESS_DENIED;
    }
    return real(key, sub, options, sam, out);
}
LONG WINAPI CreateKeyEx(HKEY key, LPCWSTR sub, DWORD reserved, LPWSTR cls, DWORD options, REGSAM sam,
                        const SECURITY_ATTRIBUTES *security, PHKEY out, LPDWORD disposition) {
    REAL("advapi32.dll", RegCreateKeyExW);
    if (ShouldFail("RegCreateKeyExW")) {
        if (out) *out = nullptr;
        return ERROR_ACCESS_DENIED;
    }
    return real(key, sub, reserved, cls, options, sam, const_cast<SECURITY_ATTRIBUTES *>(security), out,
                disposition);
}
LONG WINAPI QueryValueEx(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
    REAL("advapi32.dll", RegQueryValueExW);
    if (ShouldFail("RegQueryValueExW")) return ERROR_OUTOFMEMORY;
    return real(key, name, reserved, type, data, size);
}
LONG WINAPI QueryInfoKey(HKEY key, LPWSTR cls, LPDWORD clsChars, LPDWORD reserved, LPDWORD subKeys,
                         LPDWORD maxSubKey, LPDWORD maxClass, LPDWORD values, LPDWORD maxValueName,
                         LPDWORD maxValueData, LPDWORD security, PFILETIME written) {
    REAL("advapi32.dll", RegQueryInfoKeyW);
    if (ShouldFail("RegQueryInfoKeyW")) return ERROR_OUTOFMEMORY;
    return real(key, cls, clsChars, reserved, subKeys, maxSubKey, maxClass, values, maxValueName, maxValueData,
                security, written);
}
LONG WINAPI SetValueEx(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE *data, DWORD size) {
    REAL("advapi32.dll", RegSetValueExW);
    if (ShouldFail("RegSetValueExW")) return ERROR_ACCESS_DENIED;
    return real(key, name, reserved, type, data, size);
}
LONG WINAPI DeleteValue(HKEY key, LPCWSTR name) {
    REAL("advapi32.dll", RegDeleteValueW);
    if (ShouldFail("RegDeleteValueW")) return ERROR_ACCESS_DENIED;
    return real(key, name);
}
LONG WINAPI DeleteKey(HKEY key, LPCWSTR sub) {
    REAL("advapi32.dll", RegDeleteKeyW);
    if (ShouldFail("RegDeleteKeyW")) return ERROR_ACCESS_DENIED;
    return real(key, sub);
}
LONG WINAPI EnumValue(HKEY key, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD reserved, LPDWORD type,
                      LPBYTE data, LPDWORD size) {
    REAL("advapi32.dll", RegEnumValueW);
    if (ShouldFail("RegEnumValueW")) return ERROR_OUTOFMEMORY;
    return real(key, index, name, nameChars, reserved, type, data, size);
}
LONG WINAPI EnumKeyEx(HKEY key, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD reserved, LPWSTR cls,
                      LPDWORD clsChars, PFILETIME written) {
    REAL("advapi32.dll", RegEnumKeyExW);
    if (ShouldFail("RegEnumKeyExW")) return ERROR_OUTOFMEMORY;
    return real(key, index, name, nameChars, reserved, cls, clsChars, written);
}
LONG WINAPI EnumKey(HKEY key, DWORD index, LPWSTR name, DWORD nameChars) {
    REAL("advapi32.dll", RegEnumKeyW);
    if (ShouldFail("RegEnumKeyW")) return ERROR_OUTOFMEMORY;
    return real(key, index, name, nameChars);
}
LSTATUS WINAPI ShDeleteKey(HKEY key, LPCWSTR sub) {
    REAL("shlwapi.dll", SHDeleteKeyW);
    if (ShouldFail("SHDeleteKeyW")) return ERROR_ACCESS_DENIED;
    return real(key, sub);
}
LSTATUS WINAPI ShDeleteEmptyKey(HKEY key, LPCWSTR sub) {
    REAL("shlwapi.dll", SHDeleteEmptyKeyW);
    if (ShouldFail("SHDeleteEmptyKeyW")) return ERROR_ACCESS_DENIED;
    return real(key, sub);
}

struct Replacement {
    const char *dll;
    const char *function;
    void *hook;
};
// RegCloseKey is left alone: a close that fails leaves nothing to check.
const Replacement kReplacements[] = {
    {"advapi32.dll", "RegOpenKeyExW", reinterpret_cast<void *>(&OpenKeyEx)},
    {"advapi32.dll", "RegCreateKeyExW", reinterpret_cast<void *>(&CreateKeyEx)},
    {"advapi32.dll", "RegQueryValueExW", reinterpret_cast<void *>(&QueryValueEx)},
    {"advapi32.dll", "RegQueryInfoKeyW", reinterpret_cast<void *>(&QueryInfoKey)},
    {"advapi32.dll", "RegSetValueExW", reinterpret_cast<void *>(&SetValueEx)},
    {"advapi32.dll", "RegDeleteValueW", reinterpret_cast<void *>(&DeleteValue)},
    {"advapi32.dll", "RegDeleteKeyW", reinterpret_cast<void *>(&DeleteKey)},
    {"advapi32.dll", "RegEnumValueW", reinterpret_cast<void *>(&EnumValue)},
    {"advapi32.dll", "RegEnumKeyExW", reinterpret_cast<void *>(&EnumKeyEx)},
    {"advapi32.dll", "RegEnumKeyW", reinterpret_cast<void *>(&EnumKey)},
    {"shlwapi.dll", "SHDeleteKeyW", reinterpret_cast<void *>(&ShDeleteKey)},
    {"shlwapi.dll", "SHDeleteEmptyKeyW", reinterpret_cast<void *>(&ShDeleteEmptyKey)},
};

}  // namespace

RegistryFaults::RegistryFaults(HMODULE module) {
    LoadLibraryA("shlwapi.dll");  // the real functions are looked up by name
    for (const Replacement &r : kReplacements) {
        auto patch = std::make_unique<ImportPatch>(module, r.dll, r.function, r.hook);
        if (!patch->ok()) continue;
        names_.push_back(r.function);
        patches_.push_back(std::move(patch));
    }
    g = State{};
}

RegistryFaults::~RegistryFaults() {
    g = State{};
    while (!patches_.empty()) patches_.pop_back();  // last patched, first restored
}

bool RegistryFaults::ok() const {
    auto has = [&](const char *name) {
        for (const std::string &n : names_)
            if (n == name) return true;
        return false;
    };
    return has("RegOpenKeyExW") && has("RegCreateKeyExW") && has("RegSetValueExW") && has("RegQueryValueExW");
}

std::vector<std::string> RegistryFaults::Patched() const { return names_; }

void RegistryFaults::Arm(int failAt) {
    g = State{};
    g.failAt = failAt;
    g.armed = true;
}

void RegistryFaults::ArmFunction(const char *function, int occurrence) {
    g = State{};
    g.failFunction = function;
    g.occurrence = occurrence;
    g.armed = true;
}

void RegistryFaults::Disarm() { g.armed = false; }
int RegistryFaults::calls() const { return g.calls; }
const std::vector<const char *> &RegistryFaults::trace() const { return g.trace; }
const char *RegistryFaults::failed() const { return g.failed; }

std::string Summary(const std::vector<const char *> &trace) {
    std::map<std::string, int> counts;
    for (const char *f : trace) ++counts[f];
    std::string out;
    for (const auto &[name, n] : counts) out += (out.empty() ? "" : ", ") + name + " " + std::to_string(n);
    return out;
}

}  // namespace faults
