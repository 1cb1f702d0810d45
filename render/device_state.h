// Per-device-context state of the rendering plug-in, from EnablePDEV to
// DisablePDEV. The private escape channel copies it whole to and from callers,
// so its layout is a wire format (x86: 2632 bytes exactly; on x64 the three
// pointer fields widen and the escapes carry the wider record).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "platform/oem_abi.h"

struct DeviceState {
    uint32_t size;
    uint32_t driverVersion;
    uint32_t driverFunctionCount;
    DRVFN *driverFunctions;
    IPrintCorePS2 *coreHelper;  // not reference-counted here
    uint32_t coverPageMode;
    int32_t eventPageCount;
    uint32_t jobId;
    SYSTEMTIME jobStartTime;
    wchar_t documentName[256];
    wchar_t userName[1024];
    uint16_t duplexSideRequests;  // bit 0: side one due, bit 1: side two due
    uint16_t padding0;
    uint32_t manualDuplexActive;
    uint32_t showPageMark;
    int32_t psPageCount;
    uint32_t eraseArmed;
    uint32_t erasePending;
};

constexpr DWORD kDeviceStateSize = sizeof(DeviceState);

#define STATE_AT(field, off32, off64) \
    static_assert(offsetof(DeviceState, field) == (sizeof(void *) == 8 ? (off64) : (off32)), "DeviceState." #field)
static_assert(sizeof(DeviceState) == (sizeof(void *) == 8 ? 2648 : 2632), "DeviceState size");
STATE_AT(driverVersion, 4, 4);
STATE_AT(driverFunctionCount, 8, 8);
STATE_AT(driverFunctions, 12, 16);
STATE_AT(coreHelper, 16, 24);
STATE_AT(coverPageMode, 20, 32);
STATE_AT(eventPageCount, 24, 36);
STATE_AT(jobId, 28, 40);
STATE_AT(jobStartTime, 32, 44);
STATE_AT(documentName, 48, 60);
STATE_AT(userName, 560, 572);
STATE_AT(duplexSideRequests, 2608, 2620);
STATE_AT(manualDuplexActive, 2612, 2624);
STATE_AT(showPageMark, 2616, 2628);
STATE_AT(psPageCount, 2620, 2632);
STATE_AT(eraseArmed, 2624, 2636);
STATE_AT(erasePending, 2628, 2640);
#undef STATE_AT

// The state and job records a DEVOBJ carries, or null when any is missing.
inline DeviceState *StateOf(const DEVOBJ *dev) { return dev ? static_cast<DeviceState *>(dev->pdevOEM) : nullptr; }
