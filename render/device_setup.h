// Birth, hand-over and end of the per-device state (EnablePDEV, ResetPDEV,
// DisablePDEV).
#pragma once

#include "render/device_state.h"

// A fresh state for a device whose driver functions are in `driver` (may be
// null: no driver functions), or null when it cannot be allocated.
DeviceState *CreateDeviceState(const DRVENABLEDATA *driver, IPrintCorePS2 *helper);
void FreeDeviceState(DeviceState *state);
// Carries the job's progress from the state of a device the application
// reset into the state of its successor; false when either is missing.
bool CarryDeviceState(const DeviceState *from, DeviceState *to);
