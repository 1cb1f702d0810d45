// Each plug-in carries the C++ runtime and its thread library inside it, and
// both were written for modules that stay until the process ends. A driver
// loads and unloads its plug-ins with its device contexts and sheets, many
// times in one application or spooler process, so what they keep would pile
// up with every unload:
// - the C++ runtime's reserve for throwing when memory runs out (some 73 KB
//   on x64);
// - the thread library's record of the thread that loaded the module: an
//   event, a duplicate of the thread's handle, and a TLS index that nothing
//   ever frees. On x86 the unwinder's frame registration creates it at every
//   load; once the process's 1,088 TLS indexes are gone, the next load
//   aborts the process. The library frees a thread's record only when that
//   thread ends while the module is still loaded.
// Called from DllMain's DLL_PROCESS_DETACH.
#pragma once

#include <windows.h>

#if defined(__GLIBCXX__)
#include <bits/gthr.h>

namespace __gnu_cxx {
void __freeres() noexcept;
}
#endif

#if defined(WIN_PTHREADS_H)
// The thread library's own TLS callback: for DLL_THREAD_DETACH it releases
// the calling thread's record and clears the thread's value in its index.
extern "C" const PIMAGE_TLS_CALLBACK __xl_f;

namespace runtime_unload {

// The indexes TlsGetValue accepts: the 64 slots in the TEB and the 1,024
// expansion slots.
constexpr DWORD kTlsIndexes = 64 + 1024;

// The library keeps its index to itself. Its callback sets exactly one value
// of this thread from non-null to null: the thread's record in that index.
inline void ReleaseThreadRecord(HINSTANCE instance) {
    static void *before[kTlsIndexes];  // the loader lock serialises DllMain
    const DWORD lastError = GetLastError();
    for (DWORD i = 0; i < kTlsIndexes; ++i) before[i] = TlsGetValue(i);
    __xl_f(instance, DLL_THREAD_DETACH, nullptr);
    DWORD released = TLS_OUT_OF_INDEXES;
    int cleared = 0;
    for (DWORD i = 0; i < kTlsIndexes; ++i) {
        if (!before[i] || TlsGetValue(i)) continue;
        released = i;
        ++cleared;
    }
    if (cleared == 1) TlsFree(released);  // more would not be the library's doing alone
    SetLastError(lastError);
}

}  // namespace runtime_unload
#endif

// `reserved` is DllMain's third argument: null when the module is unloaded
// while the process goes on, the only case in which any of this matters and
// in which no other thread can be inside this module.
inline void ReleaseRuntimeOnUnload(HINSTANCE instance, LPVOID reserved) {
    if (reserved) return;
#if defined(__GLIBCXX__)
    __gnu_cxx::__freeres();
#endif
#if defined(WIN_PTHREADS_H)
    runtime_unload::ReleaseThreadRecord(instance);
#else
    (void)instance;
#endif
}
