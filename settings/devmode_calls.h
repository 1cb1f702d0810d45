// The driver's GetInfo / DevMode calls, answered identically by both plug-ins
// over the shared record.
#pragma once

#include "platform/oem_abi.h"

#include <cstddef>

enum class PublisherInfoAnswer {
    NotSupported,    // size 4 is announced, then ERROR_NOT_SUPPORTED
    NotImplemented,  // size 8 is announced, E_NOTIMPL
};

HRESULT AnswerGetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize, PDWORD pcbNeeded,
                      PublisherInfoAnswer publisher);
HRESULT AnswerDevMode(DWORD dwMode, OEMDMPARAM *param);

struct PrivateDevmode;
// Converts the `size` bytes of a record someone else wrote into `out`, not
// validated: its header claims no more than those bytes, fewer bytes than a
// header give the defaults, another signature gives the defaults.
void ConvertRecordBytes(const void *bytes, size_t size, PrivateDevmode *out);
