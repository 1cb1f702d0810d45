// A library planted in the application's folder under a system library's
// name. Loading it is the fault, so it leaves its marker in DllMain.
#include "tests/probe/planted_marker.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) LeaveRanMarker(instance);
    return TRUE;
}
