// Makes one registry call of a module fail, as a registry that refuses a
// write or runs out of memory makes it fail: every registry function the
// stores import is replaced in the module's import table, the calls made
// while armed are counted, and the chosen one returns an error without
// touching the registry. Disarmed, every call goes through unchanged, so a
// test's own reads (in the same module) see the registry as it is.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/host/import_patch.h"

namespace faults {

class RegistryFaults {
public:
    explicit RegistryFaults(HMODULE module);
    ~RegistryFaults();
    RegistryFaults(const RegistryFaults &) = delete;
    RegistryFaults &operator=(const RegistryFaults &) = delete;

    // Every function of the list that the module imports is patched, and the
    // module imports at least the basic ones.
    bool ok() const;
    // Names of the functions patched in this module.
    std::vector<std::string> Patched() const;

    // Counts from 0 again; the `failAt`-th call (1-based) fails, none for 0.
    void Arm(int failAt);
    // The `occurrence`-th call of `function` fails (counting while armed).
    void ArmFunction(const char *function, int occurrence = 1);
    void Disarm();

    int calls() const;
    // The functions called while armed, in order.
    const std::vector<const char *> &trace() const;
    // The function that was made to fail, or null.
    const char *failed() const;

private:
    std::vector<std::unique_ptr<ImportPatch>> patches_;
    std::vector<std::string> names_;
};

// The functions of a trace, with how often each was called.
std::string Summary(const std::vector<const char *> &trace);

}  // namespace faults
