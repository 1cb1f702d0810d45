#include "ui/activation_context.h"

#include "resources/resource.h"
#include "ui/module.h"

namespace {

HANDLE g_context = INVALID_HANDLE_VALUE;

HANDLE CreateModuleContext() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(UiModule(), path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return INVALID_HANDLE_VALUE;
    ACTCTXW ctx{};
    ctx.cbSize = sizeof(ctx);
    ctx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID | ACTCTX_FLAG_HMODULE_VALID;
    ctx.lpSource = path;
    ctx.lpResourceName = MAKEINTRESOURCEW(IDR_MANIFEST);
    ctx.hModule = UiModule();
    HANDLE h = CreateActCtxW(&ctx);
    return h ? h : INVALID_HANDLE_VALUE;
}

}  // namespace

HANDLE UiActivationContext() {
    if (g_context == INVALID_HANDLE_VALUE) g_context = CreateModuleContext();
    return g_context;
}

void ReleaseUiActivationContext() {
    if (g_context == INVALID_HANDLE_VALUE) return;
    using ReleaseFn = void(WINAPI *)(HANDLE);
    HMODULE kernel = GetModuleHandleW(L"Kernel32.dll");
    auto release = kernel ? reinterpret_cast<ReleaseFn>(
                                reinterpret_cast<void *>(GetProcAddress(kernel, "ReleaseActCtx")))
                          : nullptr;
    if (release) release(g_context);
    g_context = INVALID_HANDLE_VALUE;
}

ActivationScope::ActivationScope() noexcept {
    HANDLE ctx = UiActivationContext();
    if (ctx == INVALID_HANDLE_VALUE) return;
    active_ = ActivateActCtx(ctx, &cookie_) != FALSE;
}

ActivationScope::~ActivationScope() {
    if (active_) DeactivateActCtx(0, cookie_);
}
