// The two entry points the driver finds by name. There is no DllMain: loading
// the module needs nothing beyond the runtime's own start-up.
#include <windows.h>
#include <unknwn.h>

#include <new>

#include "platform/oem_abi.h"
#include "render/class_factory.h"
#include "render/module_counts.h"

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, void **ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(rclsid, CLSID_OEMRENDER)) return CLASS_E_CLASSNOTAVAILABLE;
    auto *factory = new (std::nothrow) RenderClassFactory();
    if (!factory) return E_OUTOFMEMORY;
    HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return ModuleIsIdle() ? S_OK : S_FALSE; }
