#include "ui/frame/activation_context.h"

#include "resources/resource.h"
#include "ui/frame/module.h"
#include "ui/frame/module_path.h"

namespace {

// Pages, dialogs and document events may ask for the context first on two
// threads at once; one context is created, and it is the one released.
INIT_ONCE g_contextOnce = INIT_ONCE_STATIC_INIT;
HANDLE g_context = INVALID_HANDLE_VALUE;

HANDLE CreateModuleContext() {
    ModulePath path;
    if (!path.Read(UiModule())) return INVALID_HANDLE_VALUE;
    ACTCTXW ctx{};
    ctx.cbSize = sizeof(ctx);
    ctx.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID | ACTCTX_FLAG_HMODULE_VALID;
    ctx.lpSource = path.text();
    ctx.lpResourceName = MAKEINTRESOURCEW(IDR_MANIFEST);
    ctx.hModule = UiModule();
    HANDLE h = CreateActCtxW(&ctx);
    return h ? h : INVALID_HANDLE_VALUE;
}

// A context that could not be created is asked for again by the next user.
BOOL CALLBACK CreateContextOnce(PINIT_ONCE, PVOID, PVOID *) {
    g_context = CreateModuleContext();
    return g_context != INVALID_HANDLE_VALUE;
}

}  // namespace

HANDLE UiActivationContext() {
    if (!InitOnceExecuteOnce(&g_contextOnce, CreateContextOnce, nullptr, nullptr)) return INVALID_HANDLE_VALUE;
    return g_context;
}

void ReleaseUiActivationContext() {
    BOOL pending = FALSE;
    if (!InitOnceBeginInitialize(&g_contextOnce, INIT_ONCE_CHECK_ONLY, &pending, nullptr) || pending) return;
    InitOnceInitialize(&g_contextOnce);
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
