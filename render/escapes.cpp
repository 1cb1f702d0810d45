// Until the hooks do their own work they only hand every call on to the
// driver's function of the same index.
#include "render/escapes.h"

#include "render/driver_queries.h"

namespace {

const DeviceState *StateOfSurface(const SURFOBJ *pso) {
    if (!pso) return nullptr;
    return StateOf(reinterpret_cast<const DEVOBJ *>(pso->dhpdev));
}

}  // namespace

BOOL APIENTRY StartDocHook(SURFOBJ *pso, LPWSTR pwszDocName, DWORD dwJobId) {
    PFN fn = FindDriverFunction(StateOfSurface(pso), INDEX_DrvStartDoc);
    if (!fn) return TRUE;
    return reinterpret_cast<PFN_DrvStartDoc>(reinterpret_cast<void *>(fn))(pso, pwszDocName, dwJobId);
}

ULONG APIENTRY EscapeHook(SURFOBJ *pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut) {
    PFN fn = FindDriverFunction(StateOfSurface(pso), INDEX_DrvEscape);
    if (!fn) return 0;
    return reinterpret_cast<PFN_DrvEscape>(reinterpret_cast<void *>(fn))(pso, iEsc, cjIn, pvIn, cjOut, pvOut);
}
