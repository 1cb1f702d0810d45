#include "render/device_setup.h"

#include <strsafe.h>

namespace {

template <size_t N>
void CopyBounded(wchar_t (&to)[N], const wchar_t (&from)[N]) {
    // The source may come from an escape caller and lack its terminator.
    StringCchCopyNW(to, N, from, N - 1);
    to[N - 1] = L'\0';
}

}  // namespace

DeviceState *CreateDeviceState(const DRVENABLEDATA *driver, IPrintCorePS2 *helper) {
    auto *state = static_cast<DeviceState *>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(DeviceState)));
    if (!state) return nullptr;
    state->size = kDeviceStateSize;
    if (driver) {
        state->driverVersion = driver->iDriverVersion;
        state->driverFunctionCount = driver->c;
        state->driverFunctions = driver->pdrvfn;
    }
    state->coreHelper = helper;
    GetLocalTime(&state->jobStartTime);
    DWORD chars = ARRAYSIZE(state->userName);
    if (!GetUserNameW(state->userName, &chars)) state->userName[0] = L'\0';
    state->userName[ARRAYSIZE(state->userName) - 1] = L'\0';
    return state;
}

void FreeDeviceState(DeviceState *state) {
    if (state) HeapFree(GetProcessHeap(), 0, state);
}

bool CarryDeviceState(const DeviceState *from, DeviceState *to) {
    if (!from || !to) return false;
    if (from == to) return true;
    CopyBounded(to->documentName, from->documentName);
    CopyBounded(to->userName, from->userName);
    to->jobId = from->jobId;
    to->jobStartTime = from->jobStartTime;
    to->duplexSideRequests = from->duplexSideRequests;
    to->manualDuplexActive = from->manualDuplexActive;
    to->eraseArmed = from->eraseArmed;
    to->erasePending = from->erasePending;
    to->showPageMark = from->showPageMark;
    to->eventPageCount = from->eventPageCount;
    to->psPageCount = from->psPageCount;
    return true;
}
