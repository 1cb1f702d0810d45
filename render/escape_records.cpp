#include "render/escape_records.h"

#include <cstddef>
#include <cstring>

#include "render/public_devmode.h"

namespace {

// Copies a record out when the caller's buffer holds all of it.
ULONG CopyOut(const EscapeCall &call, const void *record, ULONG size) {
    if (!call.pvOut || call.cjOut == 0 || call.cjOut < size) return size;
    memcpy(call.pvOut, record, size);
    return size;
}

// A setter's input: exactly `size` bytes, present.
bool InputIsWhole(const EscapeCall &call, ULONG size) {
    return call.pvIn && call.cjIn != 0 && call.cjIn == size;
}

template <typename T>
T ReadInputAt(const EscapeCall &call, size_t offset) {
    T value;
    memcpy(&value, static_cast<const BYTE *>(call.pvIn) + offset, sizeof(value));
    return value;
}

}  // namespace

bool ReadInputU32(const EscapeCall &call, uint32_t *value) {
    if (!call.pvIn || call.cjIn < sizeof(uint32_t)) return false;
    *value = ReadInputAt<uint32_t>(call, 0);
    return true;
}

ULONG PrivateRecordSize(const PrivateDevmode *dm) {
    return dm->header.dwSize < kPrivateDevmodeSize ? dm->header.dwSize : kPrivateDevmodeSize;
}

ULONG GetPublicDevmode(const EscapeTarget &target, const EscapeCall &call) {
    return CopyOut(call, target.publicDm, target.publicDm->dmSize);
}

ULONG GetPrivateDevmode(const EscapeTarget &target, const EscapeCall &call) {
    return CopyOut(call, target.privateDm, PrivateRecordSize(target.privateDm));
}

ULONG GetDeviceState(const EscapeTarget &target, const EscapeCall &call) {
    return CopyOut(call, target.state, kDeviceStateSize);
}

ULONG GetJobTime(const EscapeTarget &target, const EscapeCall &call) {
    return CopyOut(call, &target.state->jobStartTime, sizeof(SYSTEMTIME));
}

ULONG SetPublicDevmode(const EscapeTarget &target, const EscapeCall &call) {
    DEVMODEW *dm = target.publicDm;
    const ULONG size = dm->dmSize;
    if (!InputIsWhole(call, size) || !IsAcceptablePublicDevmode(call.pvIn, size, *dm)) return size;
    memmove(dm, call.pvIn, size);
    return size;
}

ULONG SetPrivateDevmode(const EscapeTarget &target, const EscapeCall &call) {
    PrivateDevmode *dm = target.privateDm;
    const ULONG size = PrivateRecordSize(dm);
    if (!InputIsWhole(call, size)) return size;
    memmove(dm, call.pvIn, size);
    ValidatePrivateDevmode(dm);
    // Validation leaves the profile name alone; from a foreign caller it is a
    // string like any other.
    TerminateString(dm->loadedProfileName);
    return PrivateRecordSize(dm);
}

ULONG SetDeviceState(const EscapeTarget &target, const EscapeCall &call) {
    if (!InputIsWhole(call, kDeviceStateSize)) return kDeviceStateSize;
    DeviceState *state = target.state;
    DeviceState incoming;
    memcpy(&incoming, call.pvIn, sizeof(incoming));
    incoming.size = state->size;
    incoming.driverVersion = state->driverVersion;
    incoming.driverFunctionCount = state->driverFunctionCount;
    incoming.driverFunctions = state->driverFunctions;
    incoming.coreHelper = state->coreHelper;
    // The job stream and ResetPDEV read these as strings.
    TerminateString(incoming.documentName);
    TerminateString(incoming.userName);
    *state = incoming;
    return kDeviceStateSize;
}
