#include "sample/job_settings.h"

#include <cwchar>

#include "ui/watermark/store.h"

namespace sample {
namespace {

constexpr uint32_t kCorrectionAuto = 2;
constexpr uint32_t kColorThriftOn = 2;
constexpr uint32_t kOrderAllPages = 1;
constexpr wchar_t kStationId[] = L"Sample station";

template <size_t N>
void Copy(wchar_t (&field)[N], const std::wstring &text) {
    std::wcsncpy(field, text.c_str(), N - 1);
    field[N - 1] = L'\0';
}

bool IsHeld(DWORD destination) { return destination >= DEST_CONFIDENTIAL && destination <= DEST_VERIFY; }

void SetFax(const SampleOptions &o, FaxInfo *fax) {
    Copy(fax->recipientFaxNumber, o.faxNumber);
    Copy(fax->stationId, kStationId);
    Copy(fax->recipientName, L"Ada Recipient");
    fax->sendCoverPage = o.coverPage ? 1 : 0;
    fax->coverPageParts = kCoverRecipient | kCoverSender | kCoverComments;
    Copy(fax->senderName, L"Sam Sender");
    Copy(fax->senderCompany, L"Sample Works");
    Copy(fax->senderAddress, L"1 Long Road, Springfield");
    Copy(fax->senderFaxNumber, L"+1 555 0199");
    Copy(fax->senderVoice, L"+1 555 0198");
    Copy(fax->senderEmail, L"sam@example.org");
    Copy(fax->comments, L"This cover page closes the faxed sample print. It counts the pages that were sent "
                        L"before it and lists the sender and the recipient.");
}

bool ReadStoredWatermark(HANDLE printer, const std::wstring &name, WatermarkRecord *record, std::wstring *error) {
    if (!ReadWatermark(printer, record, name.c_str())) {
        *error = L"no watermark named '" + name + L"' in the store (stored: " + StoredWatermarkNames(printer) + L")";
        return false;
    }
    ValidateWatermark(record);
    return true;
}

bool SetWatermarks(const SampleOptions &o, HANDLE printer, PrivateDevmode *s, std::wstring *error) {
    s->watermarksEnabled = o.watermarkOrder != 0 ? 1 : 0;
    s->watermarkOrder = o.watermarkOrder;
    s->watermarkOverPage = 0;
    if (!s->watermarksEnabled) return true;
    if (!ReadStoredWatermark(printer, o.watermarks[0], &s->watermarks[0], error)) return false;
    // All pages use the first watermark alone; the other orders need both.
    if (o.watermarkOrder == kOrderAllPages) return true;
    return ReadStoredWatermark(printer, o.watermarks[1], &s->watermarks[1], error);
}

}  // namespace

bool BuildJobSettings(const SampleOptions &o, HANDLE printer, const std::wstring &outputFile,
                      PrivateDevmode *settings, std::wstring *error) {
    PrivateDevmode s;
    ZeroMemory(&s, sizeof(s));
    MakeDefaultPrivateDevmode(&s);
    s.outputDestination = o.destination;
    if (IsHeld(o.destination)) Copy(s.holdUserName, o.holdUserName);
    if (o.destination == DEST_CONFIDENTIAL) Copy(s.holdPin, o.holdPin);
    if (o.destination == DEST_FAX) SetFax(o, &s.fax);
    if (o.destination == DEST_FILE || o.destination == DEST_EPS) Copy(s.outputFilePath, outputFile);
    s.rotate180 = o.rotate180 ? 1 : 0;
    s.color.correction = kCorrectionAuto;
    s.color.colorThrift = kColorThriftOn;
    if (!SetWatermarks(o, printer, &s, error)) return false;
    ValidatePrivateDevmode(&s);
    *settings = s;
    return true;
}

std::wstring StoredWatermarkNames(HANDLE printer) {
    unique_hkey key;
    if (!OpenWatermarksKeyForRead(printer, &key)) return L"none";
    std::wstring names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[128];
        DWORD chars = 128;
        LONG rc = RegEnumValueW(key.get(), i, name, &chars, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) break;
        if (!names.empty()) names += L", ";
        names.append(name, chars);
    }
    return names.empty() ? L"none" : names;
}

}  // namespace sample
