// The driver functions renderplug puts in front of the driver's own: the
// start of a document and printer escapes.
#pragma once

#include "platform/oem_abi.h"

BOOL APIENTRY StartDocHook(SURFOBJ *pso, LPWSTR pwszDocName, DWORD dwJobId);
ULONG APIENTRY EscapeHook(SURFOBJ *pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut);
