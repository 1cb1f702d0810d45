#include "ui/output/output_store.h"

#include <cstring>

#include "platform/raii.h"
#include "ui/printer/registry_keys.h"

namespace {

const wchar_t kLastUserNameValue[] = L"LastUserName";
const wchar_t kFaxInfoValue[] = L"FaxInfo";

// The stored size of a value of the wanted type, 0 when there is none.
DWORD StoredSize(HKEY key, const wchar_t *name, DWORD wantedType) {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return 0;
    return type == wantedType ? size : 0;
}

}  // namespace

bool ReadLastUserName(HANDLE printer, wchar_t *buffer, size_t capacity) {
    if (!buffer || capacity < kHoldUserNameChars + 1) return false;
    unique_hkey key;
    if (!OpenDriverKeyForRead(printer, &key)) return false;
    const DWORD size = StoredSize(key.get(), kLastUserNameValue, REG_SZ);
    if (size == 0 || size > (kHoldUserNameChars + 1) * sizeof(wchar_t)) return false;
    // Read into a block of its own, so that a failed read leaves the buffer
    // alone. A value stored without its terminator is cut to a name's length.
    wchar_t name[kHoldUserNameChars + 1] = {};
    DWORD read = size, type = 0;
    if (RegQueryValueExW(key.get(), kLastUserNameValue, nullptr, &type, reinterpret_cast<BYTE *>(name), &read) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    const size_t end = read / sizeof(wchar_t);
    name[end < kHoldUserNameChars ? end : kHoldUserNameChars] = L'\0';
    memcpy(buffer, name, sizeof(name));
    return true;
}

bool WriteLastUserName(HANDLE printer, const wchar_t *name) {
    if (!name) return false;
    const size_t length = wcsnlen(name, kHoldUserNameChars + 1);
    if (length > kHoldUserNameChars) return false;
    unique_hkey key;
    if (!CreateDriverKey(printer, &key, nullptr)) return false;
    const DWORD bytes = static_cast<DWORD>((length + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.get(), kLastUserNameValue, 0, REG_SZ, reinterpret_cast<const BYTE *>(name), bytes) ==
           ERROR_SUCCESS;
}

bool ReadFaxInfo(HANDLE printer, FaxInfo *fax) {
    if (!fax) return false;
    unique_hkey key;
    if (!OpenDriverKeyForRead(printer, &key)) return false;
    const DWORD size = StoredSize(key.get(), kFaxInfoValue, REG_BINARY);
    if (size == 0 || size > sizeof(FaxInfo)) return false;
    FaxInfo stored;
    memset(&stored, 0, sizeof(stored));
    DWORD read = size, type = 0;
    if (RegQueryValueExW(key.get(), kFaxInfoValue, nullptr, &type, reinterpret_cast<BYTE *>(&stored), &read) !=
            ERROR_SUCCESS ||
        type != REG_BINARY)
        return false;
    TerminateFaxTexts(&stored);
    *fax = stored;
    return true;
}

bool WriteFaxInfo(HANDLE printer, const FaxInfo *fax) {
    if (!fax) return false;
    unique_hkey key;
    if (!CreateDriverKey(printer, &key, nullptr)) return false;
    return RegSetValueExW(key.get(), kFaxInfoValue, 0, REG_BINARY, reinterpret_cast<const BYTE *>(fax),
                          sizeof(FaxInfo)) == ERROR_SUCCESS;
}

void TerminateFaxTexts(FaxInfo *fax) {
    if (!fax) return;
    TerminateString(fax->recipientFaxNumber);
    TerminateString(fax->stationId);
    TerminateString(fax->recipientName);
    TerminateString(fax->senderName);
    TerminateString(fax->senderCompany);
    TerminateString(fax->senderAddress);
    TerminateString(fax->reservedText);
    TerminateString(fax->senderFaxNumber);
    TerminateString(fax->senderVoice);
    TerminateString(fax->senderEmail);
    TerminateString(fax->comments);
}
