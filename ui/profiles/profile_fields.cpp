#include "ui/profiles/profile_fields.h"

#include <cwchar>

#include "ui/sheets/page_context.h"

namespace {

// A stored record may hold arrays without a terminator; the copy never reads
// past the source array and always ends the destination.
template <size_t N>
void CopyText(wchar_t (&to)[N], const wchar_t (&from)[N]) {
    size_t length = wcsnlen(from, N - 1);
    wmemcpy(to, from, length);
    to[length] = L'\0';
}

void CopyWatermark(WatermarkRecord *to, const WatermarkRecord &from) {
    *to = from;
    CopyText(to->name, from.name);
    CopyText(to->text, from.text);
    CopyText(to->faceName, from.faceName);
}

void CopyFax(FaxInfo *to, const FaxInfo &from) {
    *to = from;
    CopyText(to->recipientFaxNumber, from.recipientFaxNumber);
    CopyText(to->stationId, from.stationId);
    CopyText(to->recipientName, from.recipientName);
    CopyText(to->senderName, from.senderName);
    CopyText(to->senderCompany, from.senderCompany);
    CopyText(to->senderAddress, from.senderAddress);
    CopyText(to->reservedText, from.reservedText);
    CopyText(to->senderFaxNumber, from.senderFaxNumber);
    CopyText(to->senderVoice, from.senderVoice);
    CopyText(to->senderEmail, from.senderEmail);
    CopyText(to->comments, from.comments);
}

void CopyFields(PrivateDevmode *to, const PrivateDevmode &from) {
    to->header = from.header;
    to->watermarksEnabled = from.watermarksEnabled;
    to->watermarkOrder = from.watermarkOrder;
    to->watermarkOverPage = from.watermarkOverPage;
    CopyWatermark(&to->watermarks[0], from.watermarks[0]);
    CopyWatermark(&to->watermarks[1], from.watermarks[1]);
    to->rotate180 = from.rotate180;
    to->outputDestination = from.outputDestination;
    to->pageSizePolicy = from.pageSizePolicy;
    CopyText(to->outputFilePath, from.outputFilePath);
    CopyText(to->holdUserName, from.holdUserName);
    CopyText(to->holdPin, from.holdPin);
    to->compensatePrinterOffsets = from.compensatePrinterOffsets;
    to->accountNumberEnabled = from.accountNumberEnabled;
    CopyText(to->accountNumber, from.accountNumber);
    to->discardOutput = from.discardOutput;
    CopyFax(&to->fax, from.fax);
    to->color = from.color;
    to->keepDuplicateHeldJobs = from.keepDuplicateHeldJobs;
    to->watermarkViaEscape = from.watermarkViaEscape;
    CopyText(to->loadedProfileName, from.loadedProfileName);
    to->profileLoaded = from.profileLoaded;
}

template <size_t N>
bool SameText(const wchar_t (&a)[N], const wchar_t (&b)[N]) {
    return std::wcsncmp(a, b, N) == 0;
}

template <size_t N>
bool SameTextIgnoringCase(const wchar_t (&a)[N], const wchar_t (&b)[N]) {
    int lengthA = static_cast<int>(wcsnlen(a, N));
    int lengthB = static_cast<int>(wcsnlen(b, N));
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a, lengthA, b, lengthB) == CSTR_EQUAL;
}

bool SameColor(const ColorSettings &a, const ColorSettings &b) {
    return a.correction == b.correction && a.rgbImage == b.rgbImage && a.rgbText == b.rgbText &&
           a.rgbGraphics == b.rgbGraphics && a.cmykImage == b.cmykImage && a.cmykText == b.cmykText &&
           a.cmykGraphics == b.cmykGraphics && a.balanceEnabled == b.balanceEnabled &&
           a.balanceCyan == b.balanceCyan && a.balanceMagenta == b.balanceMagenta &&
           a.balanceYellow == b.balanceYellow && a.balanceBlack == b.balanceBlack && a.colorThrift == b.colorThrift;
}

bool SameNumbers(const PrivateDevmode &a, const PrivateDevmode &b) {
    return a.discardOutput == b.discardOutput && a.blockAppPostScript == b.blockAppPostScript &&
           a.keepDuplicateHeldJobs == b.keepDuplicateHeldJobs && a.profileLoaded == b.profileLoaded &&
           a.rotate180 == b.rotate180 && a.accountNumberEnabled == b.accountNumberEnabled &&
           a.compensatePrinterOffsets == b.compensatePrinterOffsets &&
           a.watermarkViaEscape == b.watermarkViaEscape && a.watermarkOverPage == b.watermarkOverPage &&
           a.watermarksEnabled == b.watermarksEnabled && a.outputDestination == b.outputDestination &&
           a.watermarkOrder == b.watermarkOrder && a.pageSizePolicy == b.pageSizePolicy &&
           a.fax.resolution == b.fax.resolution && a.fax.sendCoverPage == b.fax.sendCoverPage &&
           SameColor(a.color, b.color);
}

bool SameFaxTexts(const FaxInfo &a, const FaxInfo &b) {
    return SameText(a.recipientFaxNumber, b.recipientFaxNumber) && SameText(a.stationId, b.stationId) &&
           SameText(a.recipientName, b.recipientName) && SameText(a.senderName, b.senderName) &&
           SameText(a.senderCompany, b.senderCompany) && SameText(a.senderAddress, b.senderAddress) &&
           SameText(a.reservedText, b.reservedText) && SameText(a.senderFaxNumber, b.senderFaxNumber) &&
           SameText(a.senderVoice, b.senderVoice) && SameText(a.senderEmail, b.senderEmail) &&
           SameText(a.comments, b.comments);
}

}  // namespace

bool CopyProfileFields(PageContext *ctx, const PrivateDevmode *source) {
    if (!ctx) return false;
    if (source) {
        CopyFields(&ctx->work, *source);
        return true;
    }
    auto *driverDm = ctx->params ? static_cast<PrivateDevmode *>(ctx->params->pOEMDM) : nullptr;
    if (!driverDm) return false;
    CopyFields(driverDm, ctx->work);
    return true;
}

bool ProfileFieldsEqual(const PrivateDevmode &a, const PrivateDevmode &b) {
    return SameNumbers(a, b) && SameTextIgnoringCase(a.watermarks[0].name, b.watermarks[0].name) &&
           SameTextIgnoringCase(a.watermarks[1].name, b.watermarks[1].name) &&
           SameText(a.outputFilePath, b.outputFilePath) && SameText(a.holdPin, b.holdPin) &&
           SameText(a.holdUserName, b.holdUserName) && SameFaxTexts(a.fax, b.fax);
}
