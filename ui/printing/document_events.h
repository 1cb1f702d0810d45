// GDI document events of the application's printer device context, forwarded
// by the driver.
#pragma once

#include <windows.h>

HRESULT HandleDocumentEvent(HANDLE hPrinter, HDC hdc, INT iEsc, ULONG cbIn, PVOID pvIn, ULONG cbOut,
                            PVOID pvOut, PINT piResult);
