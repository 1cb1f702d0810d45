// Replaces one imported function of a loaded module while the patch lives.
// The test hosts use it to stand in for what sits behind the printer device
// context on a real system (the driver that routes escapes to the rendering
// plug-in, GDI's document events, a spooler that records the job's user),
// where Wine has nothing or something else in its place.
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
