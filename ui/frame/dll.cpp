// Module entry points of uiplug.dll.
#include <windows.h>

#include "platform/oem_abi.h"
#include "platform/runtime_unload.h"
#include "ui/frame/activation_context.h"
#include "ui/frame/class_factory.h"
#include "ui/frame/module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        SetUiModule(instance);
        DisableThreadLibraryCalls(instance);
        break;
    case DLL_PROCESS_DETACH:
        ReleaseUiActivationContext();
        ReleaseRuntimeOnUnload(instance, reserved);
        break;
    default:
        break;
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, void **ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualCLSID(rclsid, CLSID_OEMUI)) return CLASS_E_CLASSNOTAVAILABLE;
    return CreateClassFactory(riid, ppv);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() {
    return LiveObjectCount() == 0 && ServerLockCount() == 0 ? S_OK : S_FALSE;
}
