// Replaces one imported function of a loaded module while the patch lives.
// The tests use it to stand in for what sits behind the printer device
// context on a real system: the rendering plug-in's answer to the job-id
// escape, and a spooler that records the job's user (Wine's records none).
#pragma once

#include <windows.h>

class ImportPatch {
public:
    ImportPatch(HMODULE module, const char *dll, const char *function, void *replacement);
    ~ImportPatch();
    ImportPatch(const ImportPatch &) = delete;
    ImportPatch &operator=(const ImportPatch &) = delete;

    bool ok() const { return slot_ != nullptr; }
    void *original() const { return original_; }

private:
    void **slot_ = nullptr;
    void *original_ = nullptr;
};
