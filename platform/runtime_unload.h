// The C++ runtime that each plug-in carries inside it sets memory aside when
// the module loads (the reserve it throws exceptions from when memory runs
// out) and gives it back only when the process ends. A driver's plug-ins are
// loaded and unloaded with its device contexts and sheets, many times in one
// application or spooler process, so every unload would leave that reserve
// behind (some 73 KB on x64). Called from DllMain's DLL_PROCESS_DETACH.
#pragma once

#include <windows.h>

#if defined(__GLIBCXX__)
namespace __gnu_cxx {
void __freeres() noexcept;
}
#endif

// `reserved` is DllMain's third argument: null when the module is unloaded
// while the process goes on, the only case in which the memory matters and
// in which no other thread can be inside the runtime of this module.
inline void ReleaseRuntimeReserve(LPVOID reserved) {
#if defined(__GLIBCXX__)
    if (!reserved) __gnu_cxx::__freeres();
#else
    (void)reserved;
#endif
}
