#include "render/device_setup.h"

#include <strsafe.h>

#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

namespace {

struct DeviceRecord {
    DeviceState state;
    DevicePrivate priv;
};
// The driver holds a pointer to the state; the record is found from it.
static_assert(std::is_standard_layout<DeviceRecord>::value && offsetof(DeviceRecord, state) == 0,
              "the state opens the record");

DeviceRecord *RecordOf(DeviceState *state) { return reinterpret_cast<DeviceRecord *>(state); }

template <size_t N>
void CopyBounded(wchar_t (&to)[N], const wchar_t (&from)[N]) {
    // The source may come from an escape caller and lack its terminator.
    StringCchCopyNW(to, N, from, N - 1);
    to[N - 1] = L'\0';
}

}  // namespace

DeviceState *CreateDeviceState(const DRVENABLEDATA *driver, IPrintCorePS2 *helper) {
    void *block = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(DeviceRecord));
    if (!block) return nullptr;
    auto *record = new (block) DeviceRecord{};
    DeviceState *state = &record->state;
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
    if (!state) return;
    DeviceRecord *record = RecordOf(state);
    record->~DeviceRecord();
    HeapFree(GetProcessHeap(), 0, record);
}

DevicePrivate *PrivateOf(DeviceState *state) { return state ? &RecordOf(state)->priv : nullptr; }

bool CarryDeviceState(DeviceState *from, DeviceState *to) {
    if (!from || !to) return false;
    if (from == to) return true;
    // The job goes on in the same file; a file the new device had opened
    // itself is closed.
    PrivateOf(to)->outputFile = std::move(PrivateOf(from)->outputFile);
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
