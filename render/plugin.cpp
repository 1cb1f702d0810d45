#include "render/plugin.h"

#include "render/device_setup.h"
#include "render/hook_table.h"
#include "render/injection.h"
#include "render/module_counts.h"
#include "render/write_printer.h"
#include "settings/devmode_calls.h"

RenderPlugin::RenderPlugin() { NoteObjectCreated(); }

RenderPlugin::~RenderPlugin() {
    DropCoreHelper();
    FreeHookTable(hookTable);
    hookTable = nullptr;
    NoteObjectDestroyed();
}

void RenderPlugin::DropCoreHelper() {
    if (!coreHelper) return;
    coreHelper->Release();
    coreHelper = nullptr;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::QueryInterface(REFIID riid, void **ppv) {
    if (!ppv) return E_POINTER;
    // Only the second-generation interface: the driver must not mistake this
    // object for one that lacks WritePrinter.
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPrintOemPS2)) {
        *ppv = static_cast<IPrintOemPS2 *>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE RenderPlugin::AddRef() { return InterlockedIncrement(&refCount); }

ULONG STDMETHODCALLTYPE RenderPlugin::Release() {
    LONG left = InterlockedDecrement(&refCount);
    if (left == 0) delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize, PDWORD pcbNeeded) {
    return AnswerGetInfo(dwMode, pBuffer, cbSize, pcbNeeded, PublisherInfoAnswer::NotImplemented);
}

HRESULT STDMETHODCALLTYPE RenderPlugin::DevMode(DWORD dwMode, OEMDMPARAM *pOemDMParam) {
    return AnswerDevMode(dwMode, pOemDMParam);
}

HRESULT STDMETHODCALLTYPE RenderPlugin::EnableDriver(DWORD, DWORD, DRVENABLEDATA *pded) {
    // A table that cannot be allocated means no hooks; the driver still works.
    RegisterHooks(pded, &hookTable);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::DisableDriver() {
    DropCoreHelper();
    FreeHookTable(hookTable);
    hookTable = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::EnablePDEV(PDEVOBJ pdevobj, PWSTR, ULONG, HSURF *, ULONG, GDIINFO *, ULONG,
                                                   DEVINFO *, DRVENABLEDATA *pded, PDEVOEM *pDevOem) {
    if (!pdevobj || !pDevOem || !pdevobj->pOEMDM) return E_FAIL;
    DeviceState *state = CreateDeviceState(pded, coreHelper);
    if (!state) return E_FAIL;
    *pDevOem = state;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::DisablePDEV(PDEVOBJ pdevobj) {
    if (!pdevobj) return S_OK;
    FreeDeviceState(StateOf(pdevobj));
    // Nothing may find the freed state through this DEVOBJ any more.
    pdevobj->pdevOEM = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::ResetPDEV(PDEVOBJ pdevobjOld, PDEVOBJ pdevobjNew) {
    if (!pdevobjOld || !pdevobjNew) return E_FAIL;
    if (!CarryDeviceState(StateOf(pdevobjOld), StateOf(pdevobjNew))) return E_FAIL;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::PublishDriverInterface(IUnknown *pIUnknown) {
    if (coreHelper) return S_OK;
    if (!pIUnknown) return E_FAIL;
    void *helper = nullptr;
    if (FAILED(pIUnknown->QueryInterface(IID_IPrintCorePS2, &helper)) || !helper) {
        coreHelper = nullptr;
        return E_FAIL;
    }
    coreHelper = static_cast<IPrintCorePS2 *>(helper);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::Command(PDEVOBJ pdevobj, DWORD dwIndex, PVOID, DWORD, DWORD *pdwResult) {
    HRESULT hr = HandleInjection(pdevobj, dwIndex, coreHelper);
    DWORD result = 0;
    if (hr == E_NOTIMPL) {
        // An injection point this plug-in does not use; not a failure.
        result = ERROR_NOT_SUPPORTED;
        hr = S_OK;
    } else if (hr != S_OK) {
        result = GetLastError();
        hr = E_FAIL;
    }
    if (pdwResult) *pdwResult = result;
    return hr;
}

HRESULT STDMETHODCALLTYPE RenderPlugin::WritePrinter(PDEVOBJ pdevobj, PVOID pBuf, DWORD cbBuffer,
                                                     PDWORD pcbWritten) {
    // The driver's probe at DrvEnablePDEV time: say the method is implemented.
    if (!pdevobj && !pBuf && cbBuffer == 0) return S_OK;
    return WriteJobOutput(pdevobj, pBuf, cbBuffer, pcbWritten, &outputPaths);
}

HRESULT STDMETHODCALLTYPE RenderPlugin::GetPDEVAdjustment(PDEVOBJ, DWORD, PVOID, DWORD, BOOL *) {
    return E_NOTIMPL;
}
