// Copies of the job's records to and from the callers of the private escapes.
// The caller's buffers are foreign memory: each operation reads its input only
// within cjIn and writes its output only within cjOut, and replies the size the
// caller needs whether or not anything was copied.
#pragma once

#include <windows.h>

#include <cstdint>

#include "platform/oem_abi.h"
#include "render/device_state.h"
#include "settings/private_devmode.h"

// One DrvEscape call exactly as the driver's dispatch made it; what is passed
// on to the driver is this, unchanged.
struct EscapeCall {
    SURFOBJ *pso;
    ULONG iEsc;
    ULONG cjIn;
    PVOID pvIn;
    ULONG cjOut;
    PVOID pvOut;
};

// The job's records that an escape works on, all present.
struct EscapeTarget {
    DEVOBJ *dev;
    DeviceState *state;
    PrivateDevmode *privateDm;
    DEVMODEW *publicDm;
};

// The u32 at the start of the input, when the caller gave one whole.
bool ReadInputU32(const EscapeCall &call, uint32_t *value);

// Bytes of the job's private record that may be read or written: its dwSize,
// but never beyond the record the driver allocated for the job.
ULONG PrivateRecordSize(const PrivateDevmode *dm);

ULONG GetPublicDevmode(const EscapeTarget &target, const EscapeCall &call);
ULONG GetPrivateDevmode(const EscapeTarget &target, const EscapeCall &call);
ULONG GetDeviceState(const EscapeTarget &target, const EscapeCall &call);
ULONG GetJobTime(const EscapeTarget &target, const EscapeCall &call);

// The public record keeps the size and driver extra it has (the driver
// allocated it for exactly those) and is replaced only by one whose fields
// are in range (IsAcceptablePublicDevmode); otherwise it stays as it is.
ULONG SetPublicDevmode(const EscapeTarget &target, const EscapeCall &call);
// The new private record is validated, so that its dwSize and strings are
// again safe for every later reader.
ULONG SetPrivateDevmode(const EscapeTarget &target, const EscapeCall &call);
// The state keeps its size, driver function table and helper: a caller cannot
// point the hooks at foreign code.
ULONG SetDeviceState(const EscapeTarget &target, const EscapeCall &call);
