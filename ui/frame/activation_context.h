// The activation context built from uiplug's own manifest (common controls 6).
// Every dialog, page and library load of the module runs under it, so the
// module looks the same whatever the hosting process's manifest asks for.
#pragma once

#include <windows.h>

// The cached context, created on first use; INVALID_HANDLE_VALUE when the
// manifest cannot be turned into one.
HANDLE UiActivationContext();

// Releases the cached context (process detach).
void ReleaseUiActivationContext();

// Activates the module's context for the life of the object. Does nothing
// when there is no context; safe to nest.
class ActivationScope {
public:
    ActivationScope() noexcept;
    ~ActivationScope();
    ActivationScope(const ActivationScope &) = delete;
    ActivationScope &operator=(const ActivationScope &) = delete;
    bool active() const noexcept { return active_; }

private:
    ULONG_PTR cookie_ = 0;
    bool active_ = false;
};
