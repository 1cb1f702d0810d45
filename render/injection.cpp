// No injection point carries anything yet: every one is reported unused.
#include "render/injection.h"

#include "render/device_state.h"

HRESULT HandleInjection(const DEVOBJ *dev, DWORD, IPrintCorePS2 *helper) {
    if (!helper || !dev || !dev->pOEMDM || !dev->pdevOEM) return E_FAIL;
    return E_NOTIMPL;
}
