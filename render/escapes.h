// The two driver functions the rendering plug-in hooks: DrvStartDoc (document
// name and job identifier) and DrvEscape (the private escape channel).
#pragma once

#include "platform/oem_abi.h"

BOOL APIENTRY StartDocHook(SURFOBJ *pso, LPWSTR pwszDocName, DWORD dwJobId);
ULONG APIENTRY EscapeHook(SURFOBJ *pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut);
