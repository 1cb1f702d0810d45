// The driver's way into renderplug's two hooks. GDI turns ExtEscape and
// StartDoc on the printer device context into DrvEscape and DrvStartDoc calls
// with the device's surface; the driver's dispatch table holds whatever the
// plug-in registered in the DRVENABLEDATA it filled at EnableDriver. This host
// takes those registered pointers and calls them with a surface whose device
// handle is the DEVOBJ, just as the driver does; it never calls the plug-in's
// internal functions.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "platform/oem_abi.h"
#include "render/device_state.h"
#include "settings/private_devmode.h"
#include "tests/host/guarded_buffer.h"
#include "tests/host/render_host.h"

namespace testbed {

class EscapeHost {
public:
    // The first device of the host when none is given.
    explicit EscapeHost(RenderHost &host, HostDevice *device = nullptr);

    // Both hooks are registered.
    bool ok() const { return escapeHook_ && startDocHook_; }

    // ExtEscape(hdc, code, cjIn, pvIn, cjOut, pvOut) as it reaches the driver.
    ULONG Escape(ULONG code, ULONG cjIn, void *pvIn, ULONG cjOut, void *pvOut);
    ULONG Escape(ULONG code) { return Escape(code, 0, nullptr, 0, nullptr); }
    // An escape with a u32 as its whole input.
    ULONG EscapeWithU32(ULONG code, uint32_t value);
    // StartDoc on the device context as it reaches the driver.
    BOOL StartDoc(const wchar_t *docName, DWORD jobId);

    // The same calls on another surface (one without a device, say).
    ULONG EscapeOn(SURFOBJ *surface, ULONG code, ULONG cjIn, void *pvIn, ULONG cjOut, void *pvOut);
    BOOL StartDocOn(SURFOBJ *surface, const wchar_t *docName, DWORD jobId);

    SURFOBJ *surface() { return &device_->surface; }
    HostDevice &device() { return *device_; }
    DeviceState *state() { return device_->state(); }
    PrivateDevmode *settings() { return static_cast<PrivateDevmode *>(device_->dev()->pOEMDM); }
    DEVMODEW *publicDevmode() { return device_->dev()->pPublicDM; }

    // The escapes that reached the driver's own DrvEscape, in order.
    std::vector<DriverCall> DriverEscapes() const;
    std::vector<DriverCall> DriverStartDocs() const;
    void ClearDriverCalls() { host_.driverCalls.clear(); }

private:
    RenderHost &host_;
    HostDevice *device_;
    PFN_DrvEscape escapeHook_ = nullptr;
    PFN_DrvStartDoc startDocHook_ = nullptr;
};

// Moves a device's three job records (state, private record, public devmode)
// into memory that ends at an inaccessible page, so that any read or write
// past their ends faults; puts the originals back, updated, when it goes.
class GuardedJobRecords {
public:
    explicit GuardedJobRecords(HostDevice &device);
    ~GuardedJobRecords();
    GuardedJobRecords(const GuardedJobRecords &) = delete;
    GuardedJobRecords &operator=(const GuardedJobRecords &) = delete;

    bool ok() const { return state_.ok() && privateDm_.ok() && publicDm_.ok(); }

private:
    HostDevice &device_;
    DeviceState *originalState_;
    GuardedBuffer state_;
    GuardedBuffer privateDm_;
    GuardedBuffer publicDm_;
};

}  // namespace testbed
