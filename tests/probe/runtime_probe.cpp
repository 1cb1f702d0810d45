// A module linked as the plug-ins are, whose load makes the statically linked
// thread library keep a record of the loading thread, as the x86 unwinder's
// frame registration does in each plug-in. On x64 the plug-ins' own loads
// make no record, so this is where their unload path meets one there.
#include <windows.h>

#include <pthread.h>

#include "platform/runtime_unload.h"

namespace {

pthread_once_t once = PTHREAD_ONCE_INIT;

void Nothing() {}

struct AtLoad {
    AtLoad() { pthread_once(&once, Nothing); }
} atLoad;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_DETACH) ReleaseRuntimeOnUnload(instance, reserved);
    return TRUE;
}
