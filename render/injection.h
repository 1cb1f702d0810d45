// The driver asks the rendering plug-in for text at each of its PostScript
// injection points; this is where those requests are answered.
#pragma once

#include "platform/oem_abi.h"

// S_OK when the point is one the plug-in uses (also when memory was short and
// nothing could be written), E_NOTIMPL for points it leaves alone, E_FAIL when
// the helper or a part of the DEVOBJ is missing.
HRESULT HandleInjection(const DEVOBJ *dev, DWORD index, IPrintCorePS2 *helper);
