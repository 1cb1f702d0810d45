// What renderplug writes at the driver's PostScript injection points.
#pragma once

#include "platform/oem_abi.h"

// E_NOTIMPL for an injection point that is not used, E_FAIL when the helper
// or the device is missing, S_OK otherwise.
HRESULT HandleInjection(const DEVOBJ *dev, DWORD index, IPrintCorePS2 *helper);
