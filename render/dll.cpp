// The two entry points the driver finds by name, and DllMain, which loading
// needs nothing from: it only gives back what the runtime keeps at unload.
#include <windows.h>
#include <unknwn.h>

#include <new>

#include "platform/oem_abi.h"
#include "platform/runtime_unload.h"
#include "render/class_factory.h"
#include "render/module_counts.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_DETACH) ReleaseRuntimeOnUnload(instance, reserved);
    return TRUE;
}

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
