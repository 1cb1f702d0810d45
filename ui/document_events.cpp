#include "ui/document_events.h"

#include <winddiui.h>

// Until document events are handled, every event is declined so that GDI
// carries on without the plug-in.
HRESULT HandleDocumentEvent(HANDLE, HDC, INT, ULONG, PVOID, ULONG, PVOID, PINT piResult) {
    if (!piResult) return E_FAIL;
    *piResult = DOCUMENTEVENT_UNSUPPORTED;
    return S_OK;
}
