// The PostScript driver's rendering side, played for renderplug.dll: it loads
// the DLL by path, creates the plug-in object through its class factory,
// publishes the helper interface, enables the driver and its devices with
// parameter blocks built the way the driver builds them, and tears all of it
// down in the driver's order. The driver's own DrvStartDoc and DrvEscape are
// recording functions, so a test sees what the plug-in's hooks handed on.
//
// The driver's order: PublishDriverInterface, EnableDriver, then per device
// context EnablePDEV ... (EnablePDEV of a successor, ResetPDEV(old, new),
// DisablePDEV(old) when the application resets it) ... DisablePDEV; finally
// DisableDriver and the last Release.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/oem_abi.h"
#include "platform/raii.h"
#include "render/device_state.h"
#include "settings/private_devmode.h"
#include "tests/host/fake_core_ps.h"
#include "tests/host/wine_printer.h"

namespace testbed {

class RenderHost;
struct HostDevice;

// The DEVOBJ comes first: the driver's device handle (SURFOBJ::dhpdev) is the
// DEVOBJ, and the recording driver functions find their device from it.
struct DeviceLink {
    DEVOBJ devobj;
    HostDevice *owner;
};

// One printer device context as the driver keeps it for the plug-in.
struct HostDevice {
    DeviceLink link{};
    RenderHost *host = nullptr;
    SURFOBJ surface{};  // dhpdev = &link.devobj
    unique_hprinter printer;
    std::vector<uint8_t> publicDm;   // DEVMODEW with the driver's extra bytes
    std::vector<uint8_t> privateDm;  // the plug-in's record, sized and defaulted by the plug-in
    bool enabled = false;

    DEVOBJ *dev() { return &link.devobj; }
    DEVMODEW *publicDevmode() { return reinterpret_cast<DEVMODEW *>(publicDm.data()); }
    PrivateDevmode *settings() { return reinterpret_cast<PrivateDevmode *>(privateDm.data()); }
    DeviceState *state() { return static_cast<DeviceState *>(link.devobj.pdevOEM); }
};

// A call that reached the driver's own function through a hook.
struct DriverCall {
    ULONG index = 0;  // INDEX_DrvStartDoc or INDEX_DrvEscape; 0 for a function no hook should reach
    SURFOBJ *surface = nullptr;
    HostDevice *device = nullptr;
    // DrvStartDoc
    bool hadDocName = false;
    std::wstring docName;
    DWORD jobId = 0;
    // DrvEscape
    ULONG iEsc = 0;
    ULONG cjIn = 0;
    std::vector<uint8_t> in;
    ULONG cjOut = 0;
    void *pvOut = nullptr;
};

struct RenderHostOptions {
    PrinterSetup printer;
    // Whether the driver's function table offers these entry points.
    bool driverHasStartDoc = true;
    bool driverHasEscape = true;
};

class RenderHost {
public:
    explicit RenderHost(RenderHostOptions options = {});
    ~RenderHost();
    RenderHost(const RenderHost &) = delete;
    RenderHost &operator=(const RenderHost &) = delete;

    // The whole start-up: Load, PublishDriverInterface(core), EnableDriver and
    // EnablePDEV of the first device. False with the reason in *error.
    bool Start(std::wstring *error);

    // The steps one by one.
    bool Load(std::wstring *error);
    HRESULT Publish(IUnknown *driverObject);  // usually core()
    HRESULT EnableDriver();
    // A further device (DEVOBJ and devmodes, not enabled), owned by the host; null on failure.
    HostDevice *NewDevice(std::wstring *error);
    HRESULT EnablePdev(HostDevice &device);
    HRESULT ResetPdev(HostDevice &from, HostDevice &to);
    HRESULT DisablePdev(HostDevice &device);
    HRESULT DisableDriver();
    // The driver's last Release of the plug-in object; returns its count.
    ULONG ReleasePlugin();

    HMODULE module() const { return module_.get(); }
    std::wstring DllPath() const;
    IPrintOemPS2 *plugin() const { return plugin_; }
    FakeCorePs &core() const { return *core_; }
    HostDevice &device() const { return *devices_.front(); }  // the first device (after Start)
    HRESULT CanUnloadNow() const;
    HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void **out) const;

    // The block the plug-in filled at EnableDriver, and the driver's own
    // function table handed to EnablePDEV.
    const DRVENABLEDATA &hookBlock() const { return hookBlock_; }
    const DRVENABLEDATA &driverBlock() const { return driverBlock_; }
    // The plug-in's entry point for a function index, or null.
    PFN Hook(ULONG index) const;

    // GDI's calls into the hooked functions, made on a device's surface.
    BOOL CallStartDoc(HostDevice &device, const wchar_t *docName, DWORD jobId);
    ULONG CallEscape(HostDevice &device, ULONG iEsc, ULONG cjIn, void *pvIn, ULONG cjOut, void *pvOut);

    // What the driver's own functions saw, and what they answer.
    std::vector<DriverCall> driverCalls;
    BOOL startDocReply = TRUE;
    ULONG escapeReply = 0x5EED;
    // When set, the driver's own DrvEscape answers through it instead of with
    // escapeReply: a real device context's driver behind the hooks.
    std::function<ULONG(ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut)> driverEscape;

private:
    void TearDown();

    RenderHostOptions options_;
    unique_hmodule module_;
    IPrintOemPS2 *plugin_ = nullptr;
    FakeCorePs *core_ = nullptr;
    bool driverEnabled_ = false;
    std::vector<std::unique_ptr<HostDevice>> devices_;
    std::vector<HostDevice *> enabledDevices_;
    DRVENABLEDATA hookBlock_{};
    DRVENABLEDATA driverBlock_{};
    DRVFN driverTable_[4]{};
    // The opaque blocks the driver fills for GDI, one pair per driver
    // instance; the plug-in only passes them on.
    uint8_t gdiInfo_[512]{};
    uint8_t devInfo_[512]{};
};

// The recording driver functions, for tests that build their own tables.
BOOL APIENTRY RecordingDrvStartDoc(SURFOBJ *pso, LPWSTR pwszDocName, DWORD dwJobId);
ULONG APIENTRY RecordingDrvEscape(SURFOBJ *pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut);

// Converts a test's wide message for gtest output.
std::string Narrow(const std::wstring &s);

}  // namespace testbed
