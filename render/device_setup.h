// Birth, hand-over and end of the per-device state (EnablePDEV, ResetPDEV,
// DisablePDEV).
#pragma once

#include "platform/raii.h"
#include "render/device_state.h"

// What the renderer keeps per device besides the wire record. It lives in the
// same allocation, after the DeviceState, where the escapes (which copy
// exactly kDeviceStateSize bytes) cannot reach it: a handle here cannot be
// planted or read by an escape caller.
struct DevicePrivate {
    unique_hfile outputFile;  // the File/EPS output, from the job's first write until DisablePDEV
};

// A fresh state for a device whose driver functions are in `driver` (may be
// null: no driver functions), or null when it cannot be allocated.
DeviceState *CreateDeviceState(const DRVENABLEDATA *driver, IPrintCorePS2 *helper);
// Closes what the device still holds and frees it.
void FreeDeviceState(DeviceState *state);
// Carries the job from the state of a device the application reset into the
// state of its successor, the open output file included (the old device no
// longer holds it); false when either is missing.
bool CarryDeviceState(DeviceState *from, DeviceState *to);
// The private part of a state that CreateDeviceState made; null for null.
DevicePrivate *PrivateOf(DeviceState *state);
