#include "ui/frame/module.h"

namespace {
HINSTANCE g_module = nullptr;
}

HINSTANCE UiModule() { return g_module ? g_module : GetModuleHandleW(nullptr); }

void SetUiModule(HINSTANCE module) { g_module = module; }

int LoadUiString(UINT id, wchar_t *buffer, int chars) {
    if (!buffer || chars <= 0) return 0;
    buffer[0] = L'\0';
    int n = LoadStringW(UiModule(), id, buffer, chars);
    if (n <= 0) buffer[0] = L'\0';
    return n > 0 ? n : 0;
}
