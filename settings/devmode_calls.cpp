#include "settings/devmode_calls.h"

#include <cstdint>
#include <cstring>

#include "settings/private_devmode.h"

namespace {

// The record to convert lies among the input devmode's private bytes, the
// dmDriverExtra bytes after its public part. Its header's size is whatever
// the devmode's author wrote; only those private bytes are the caller's to
// give. Nothing when the record does not start among them.
size_t ReadableInputBytes(const OEMDMPARAM &param) {
    const DEVMODEW *devmode = param.pPublicDMIn;
    if (!devmode || !param.pOEMDMIn) return 0;
    const uintptr_t first = reinterpret_cast<uintptr_t>(devmode) + devmode->dmSize;
    const uintptr_t end = first + devmode->dmDriverExtra;
    const uintptr_t record = reinterpret_cast<uintptr_t>(param.pOEMDMIn);
    if (first < reinterpret_cast<uintptr_t>(devmode) || end < first) return 0;
    if (record < first || record >= end) return 0;
    return end - record;
}

// A record converted onto itself is the caller's own and is kept. Any other
// is taken through a copy of its readable bytes, whose header claims no more
// than that copy holds; fewer bytes than a header give the defaults.
void ConvertWithin(const OEMDMPARAM &param, PrivateDevmode *out) {
    if (param.pOEMDMIn == out) {
        ConvertPrivateDevmode(out, out);
        return;
    }
    ConvertRecordBytes(param.pOEMDMIn, ReadableInputBytes(param), out);
}

}  // namespace

void ConvertRecordBytes(const void *bytes, size_t size, PrivateDevmode *out) {
    PrivateDevmode staged;
    size_t taken = bytes ? size : 0;
    if (taken > sizeof(staged)) taken = sizeof(staged);
    if (taken < sizeof(staged.header)) {
        MakeDefaultPrivateDevmode(out);
        return;
    }
    std::memcpy(&staged, bytes, taken);
    if (staged.header.dwSize > taken) staged.header.dwSize = static_cast<DWORD>(taken);
    ConvertPrivateDevmode(&staged, out);
}

HRESULT AnswerGetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize, PDWORD pcbNeeded,
                      PublisherInfoAnswer publisher) {
    if (!pcbNeeded) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    switch (dwMode) {
    case OEMGI_GETSIGNATURE:
    case OEMGI_GETVERSION: {
        *pcbNeeded = sizeof(DWORD);
        if (cbSize < sizeof(DWORD) || !pBuffer) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return E_FAIL;
        }
        DWORD value = dwMode == OEMGI_GETSIGNATURE ? kPrivateDevmodeSignature : kPrivateDevmodeVersion;
        CopyMemory(pBuffer, &value, sizeof(value));
        return S_OK;
    }
    case OEMGI_GETPUBLISHERINFO:
        if (publisher == PublisherInfoAnswer::NotImplemented) {
            *pcbNeeded = 8;
            return E_NOTIMPL;
        }
        *pcbNeeded = sizeof(DWORD);
        if (cbSize < sizeof(DWORD) || !pBuffer) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return E_FAIL;
        }
        *pcbNeeded = 0;
        SetLastError(ERROR_NOT_SUPPORTED);
        return E_FAIL;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
}

HRESULT AnswerDevMode(DWORD dwMode, OEMDMPARAM *param) {
    if (!param) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    auto *in = static_cast<const PrivateDevmode *>(param->pOEMDMIn);
    auto *out = static_cast<PrivateDevmode *>(param->pOEMDMOut);
    switch (dwMode) {
    case OEMDM_SIZE:
        param->cbBufSize = kPrivateDevmodeSize;
        return S_OK;
    case OEMDM_DEFAULT:
        MakeDefaultPrivateDevmode(out);
        return S_OK;
    case OEMDM_CONVERT:
        if (!out) return S_OK;
        ConvertWithin(*param, out);
        ValidatePrivateDevmode(out);
        return S_OK;
    case OEMDM_MERGE:
        ConvertPrivateDevmode(in, out);
        ValidatePrivateDevmode(out);
        return S_OK;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
}
