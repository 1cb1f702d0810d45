// The driver's GetInfo / DevMode calls, answered identically by both plug-ins
// over the shared record.
#pragma once

#include "platform/oem_abi.h"

enum class PublisherInfoAnswer {
    NotSupported,    // size 4 is announced, then ERROR_NOT_SUPPORTED
    NotImplemented,  // size 8 is announced, E_NOTIMPL
};

HRESULT AnswerGetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize, PDWORD pcbNeeded,
                      PublisherInfoAnswer publisher);
HRESULT AnswerDevMode(DWORD dwMode, OEMDMPARAM *param);
