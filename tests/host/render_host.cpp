#include "tests/host/render_host.h"

#include <algorithm>

namespace testbed {
namespace {

using DllGetClassObjectFn = HRESULT(STDAPICALLTYPE *)(REFCLSID, REFIID, void **);
using DllCanUnloadNowFn = HRESULT(STDAPICALLTYPE *)();

template <typename F>
PFN AsPfn(F *fn) {
    return reinterpret_cast<PFN>(reinterpret_cast<void *>(fn));
}

HostDevice *DeviceOfSurface(SURFOBJ *pso) {
    if (!pso || !pso->dhpdev) return nullptr;
    return reinterpret_cast<DeviceLink *>(pso->dhpdev)->owner;
}

void Record(SURFOBJ *pso, DriverCall call) {
    HostDevice *device = DeviceOfSurface(pso);
    if (!device || !device->host) return;
    call.surface = pso;
    call.device = device;
    device->host->driverCalls.push_back(std::move(call));
}

// Sits in the driver's table under an index no hook passes calls to.
BOOL APIENTRY UnexpectedDriverFunction(SURFOBJ *pso) {
    Record(pso, DriverCall{});
    return FALSE;
}

}  // namespace

BOOL APIENTRY RecordingDrvStartDoc(SURFOBJ *pso, LPWSTR pwszDocName, DWORD dwJobId) {
    DriverCall call;
    call.index = INDEX_DrvStartDoc;
    call.hadDocName = pwszDocName != nullptr;
    if (pwszDocName) call.docName = pwszDocName;
    call.jobId = dwJobId;
    Record(pso, std::move(call));
    HostDevice *device = DeviceOfSurface(pso);
    return device && device->host ? device->host->startDocReply : FALSE;
}

ULONG APIENTRY RecordingDrvEscape(SURFOBJ *pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut) {
    DriverCall call;
    call.index = INDEX_DrvEscape;
    call.iEsc = iEsc;
    call.cjIn = cjIn;
    if (pvIn && cjIn) call.in.assign(static_cast<uint8_t *>(pvIn), static_cast<uint8_t *>(pvIn) + cjIn);
    call.cjOut = cjOut;
    call.pvOut = pvOut;
    Record(pso, std::move(call));
    HostDevice *device = DeviceOfSurface(pso);
    if (!device || !device->host) return 0;
    if (device->host->driverEscape) return device->host->driverEscape(iEsc, cjIn, pvIn, cjOut, pvOut);
    return device->host->escapeReply;
}

std::string Narrow(const std::wstring &s) {
    std::string out;
    for (wchar_t c : s) out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

RenderHost::RenderHost(RenderHostOptions options) : options_(std::move(options)) {
    // The driver's own table: an entry without an address and an unrelated
    // function come first, so a hook must find its function by index.
    ULONG n = 0;
    driverTable_[n++] = DRVFN{INDEX_DrvEscape, nullptr};
    driverTable_[n++] = DRVFN{34 /* INDEX_DrvEndDoc */, AsPfn(&UnexpectedDriverFunction)};
    if (options_.driverHasStartDoc) driverTable_[n++] = DRVFN{INDEX_DrvStartDoc, AsPfn(&RecordingDrvStartDoc)};
    if (options_.driverHasEscape) driverTable_[n++] = DRVFN{INDEX_DrvEscape, AsPfn(&RecordingDrvEscape)};
    driverBlock_.iDriverVersion = DDI_DRIVER_VERSION_NT5_01;
    driverBlock_.c = n;
    driverBlock_.pdrvfn = driverTable_;
    core_ = FakeCorePs::Create();
}

RenderHost::~RenderHost() {
    TearDown();
    core_->Release();
}

void RenderHost::TearDown() {
    if (plugin_) {
        while (!enabledDevices_.empty()) DisablePdev(*enabledDevices_.back());
        if (driverEnabled_) DisableDriver();
    }
    while (plugin_) ReleasePlugin();
    devices_.clear();
    module_.reset();
}

std::wstring RenderHost::DllPath() const {
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe, n);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"renderplug.dll";
}

bool RenderHost::Load(std::wstring *error) {
    module_.reset(LoadLibraryW(DllPath().c_str()));
    if (!module_) {
        *error = L"cannot load " + DllPath() + L": " + std::to_wstring(GetLastError());
        return false;
    }
    IClassFactory *factory = nullptr;
    HRESULT hr = GetClassObject(CLSID_OEMRENDER, IID_IClassFactory, reinterpret_cast<void **>(&factory));
    if (FAILED(hr) || !factory) {
        *error = L"DllGetClassObject failed: " + std::to_wstring(hr);
        return false;
    }
    hr = factory->CreateInstance(nullptr, IID_IPrintOemPS2, reinterpret_cast<void **>(&plugin_));
    factory->Release();
    if (FAILED(hr) || !plugin_) {
        *error = L"CreateInstance failed: " + std::to_wstring(hr);
        plugin_ = nullptr;
        return false;
    }
    return true;
}

HRESULT RenderHost::GetClassObject(REFCLSID clsid, REFIID iid, void **out) const {
    auto fn = reinterpret_cast<DllGetClassObjectFn>(
        reinterpret_cast<void *>(GetProcAddress(module_.get(), "DllGetClassObject")));
    return fn ? fn(clsid, iid, out) : E_UNEXPECTED;
}

HRESULT RenderHost::CanUnloadNow() const {
    auto fn = reinterpret_cast<DllCanUnloadNowFn>(
        reinterpret_cast<void *>(GetProcAddress(module_.get(), "DllCanUnloadNow")));
    return fn ? fn() : E_UNEXPECTED;
}

HRESULT RenderHost::Publish(IUnknown *driverObject) { return plugin_->PublishDriverInterface(driverObject); }

HRESULT RenderHost::EnableDriver() {
    // The driver hands over an empty block and takes the hooks from it.
    hookBlock_ = DRVENABLEDATA{};
    HRESULT hr = plugin_->EnableDriver(DDI_DRIVER_VERSION_NT5_01, sizeof(hookBlock_), &hookBlock_);
    if (SUCCEEDED(hr)) driverEnabled_ = true;
    return hr;
}

HostDevice *RenderHost::NewDevice(std::wstring *error) {
    if (!EnsurePrinter(options_.printer, error)) return nullptr;
    auto device = std::make_unique<HostDevice>();
    device->host = this;
    device->link.owner = device.get();
    wchar_t *name = const_cast<wchar_t *>(options_.printer.printerName.c_str());
    if (!OpenPrinterW(name, device->printer.put(), nullptr)) {
        *error = L"OpenPrinterW failed: " + std::to_wstring(GetLastError());
        return nullptr;
    }
    LONG publicSize = DocumentPropertiesW(nullptr, device->printer.get(), name, nullptr, nullptr, 0);
    if (publicSize < static_cast<LONG>(sizeof(DEVMODEW))) {
        *error = L"DocumentPropertiesW gave no devmode size";
        return nullptr;
    }
    device->publicDm.assign(publicSize, 0);
    if (DocumentPropertiesW(nullptr, device->printer.get(), name, device->publicDevmode(), nullptr,
                            DM_OUT_BUFFER) != IDOK) {
        *error = L"DocumentPropertiesW failed";
        return nullptr;
    }

    // The plug-in's record: sized, allocated and defaulted by the plug-in.
    OEMDMPARAM param{};
    param.cbSize = sizeof(param);
    param.pdriverobj = device->dev();
    param.hPrinter = device->printer.get();
    param.hModule = module_.get();
    param.pPublicDMIn = device->publicDevmode();
    param.pPublicDMOut = device->publicDevmode();
    HRESULT hr = plugin_->DevMode(OEMDM_SIZE, &param);
    if (FAILED(hr) || param.cbBufSize < sizeof(PrivateDevmode)) {
        *error = L"DevMode(OEMDM_SIZE) failed";
        return nullptr;
    }
    device->privateDm.assign(param.cbBufSize, 0);
    param.pOEMDMOut = device->privateDm.data();
    hr = plugin_->DevMode(OEMDM_DEFAULT, &param);
    if (FAILED(hr)) {
        *error = L"DevMode(OEMDM_DEFAULT) failed";
        return nullptr;
    }

    DEVOBJ &dev = device->link.devobj;
    dev.dwSize = sizeof(DEVOBJ);
    dev.hPrinter = device->printer.get();
    dev.pPublicDM = device->publicDevmode();
    dev.pOEMDM = device->privateDm.data();
    device->surface.dhpdev = reinterpret_cast<DHPDEV>(&dev);
    devices_.push_back(std::move(device));
    return devices_.back().get();
}

HRESULT RenderHost::EnablePdev(HostDevice &device) {
    PDEVOEM state = nullptr;
    wchar_t *name = const_cast<wchar_t *>(options_.printer.printerName.c_str());
    HRESULT hr = plugin_->EnablePDEV(device.dev(), name, 0, nullptr, sizeof(gdiInfo_),
                                     reinterpret_cast<GDIINFO *>(gdiInfo_), sizeof(devInfo_),
                                     reinterpret_cast<DEVINFO *>(devInfo_), &driverBlock_, &state);
    if (FAILED(hr)) return hr;
    device.link.devobj.pdevOEM = state;
    device.enabled = true;
    enabledDevices_.push_back(&device);
    return hr;
}

HRESULT RenderHost::ResetPdev(HostDevice &from, HostDevice &to) { return plugin_->ResetPDEV(from.dev(), to.dev()); }

HRESULT RenderHost::DisablePdev(HostDevice &device) {
    HRESULT hr = plugin_->DisablePDEV(device.dev());
    device.link.devobj.pdevOEM = nullptr;
    device.enabled = false;
    enabledDevices_.erase(std::remove(enabledDevices_.begin(), enabledDevices_.end(), &device),
                          enabledDevices_.end());
    return hr;
}

HRESULT RenderHost::DisableDriver() {
    driverEnabled_ = false;
    return plugin_->DisableDriver();
}

ULONG RenderHost::ReleasePlugin() {
    if (!plugin_) return 0;
    ULONG left = plugin_->Release();
    if (left == 0) plugin_ = nullptr;
    return left;
}

bool RenderHost::Start(std::wstring *error) {
    if (!Load(error)) return false;
    HRESULT hr = Publish(core_);
    if (FAILED(hr)) {
        *error = L"PublishDriverInterface failed: " + std::to_wstring(hr);
        return false;
    }
    hr = EnableDriver();
    if (FAILED(hr)) {
        *error = L"EnableDriver failed: " + std::to_wstring(hr);
        return false;
    }
    HostDevice *first = NewDevice(error);
    if (!first) return false;
    hr = EnablePdev(*first);
    if (FAILED(hr)) {
        *error = L"EnablePDEV failed: " + std::to_wstring(hr);
        return false;
    }
    return true;
}

PFN RenderHost::Hook(ULONG index) const {
    for (ULONG i = 0; i < hookBlock_.c && hookBlock_.pdrvfn; ++i)
        if (hookBlock_.pdrvfn[i].iFunc == index) return hookBlock_.pdrvfn[i].pfn;
    return nullptr;
}

BOOL RenderHost::CallStartDoc(HostDevice &device, const wchar_t *docName, DWORD jobId) {
    auto fn = reinterpret_cast<PFN_DrvStartDoc>(reinterpret_cast<void *>(Hook(INDEX_DrvStartDoc)));
    if (!fn) return RecordingDrvStartDoc(&device.surface, const_cast<wchar_t *>(docName), jobId);
    return fn(&device.surface, const_cast<wchar_t *>(docName), jobId);
}

ULONG RenderHost::CallEscape(HostDevice &device, ULONG iEsc, ULONG cjIn, void *pvIn, ULONG cjOut, void *pvOut) {
    auto fn = reinterpret_cast<PFN_DrvEscape>(reinterpret_cast<void *>(Hook(INDEX_DrvEscape)));
    if (!fn) return RecordingDrvEscape(&device.surface, iEsc, cjIn, pvIn, cjOut, pvOut);
    return fn(&device.surface, iEsc, cjIn, pvIn, cjOut, pvOut);
}

}  // namespace testbed
