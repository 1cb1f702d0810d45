#include "settings/devmode_calls.h"

#include "settings/private_devmode.h"

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
        ConvertPrivateDevmode(in, out);
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
