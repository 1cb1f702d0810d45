#include "settings/private_devmode.h"

#include <cstring>
#include <cwchar>
#include <initializer_list>

namespace {

template <size_t N>
void CopyString(wchar_t (&dst)[N], const wchar_t *src) {
    size_t i = 0;
    for (; i + 1 < N && src[i]; ++i) dst[i] = src[i];
    dst[i] = L'\0';
}

// A flag field holds 0 or 1; anything else becomes the fallback.
void ClampFlag(uint32_t &v, uint32_t fallback) {
    if (v > 1) v = fallback;
}

void WriteHeader(PrivateDevmode *dm) {
    dm->header.dwSize = kPrivateDevmodeSize;
    dm->header.dwSignature = kPrivateDevmodeSignature;
    dm->header.dwVersion = kPrivateDevmodeVersion;
}

}  // namespace

bool MakeDefaultWatermark(WatermarkRecord *wm) {
    if (!wm) return false;
    wm->angle = 0.0;
    wm->pointSize = 72;
    std::memset(wm->color, 0, sizeof(wm->color));
    CopyString(wm->name, L"");
    CopyString(wm->text, L"");
    CopyString(wm->faceName, L"Arial");
    wm->verticalOffset = 0.0;
    wm->horizontalOffset = 0.0;
    wm->fontStyle = 0;
    wm->effects = 0;
    wm->intensity = 100;
    wm->position = WM_POS_CENTER;
    wm->units = 1;
    wm->charSet = 0;
    wm->dynamicText = 0;
    return true;
}

bool MakeDefaultFaxInfo(FaxInfo *fax) {
    if (!fax) return false;
    CopyString(fax->recipientFaxNumber, L"");
    CopyString(fax->stationId, L"");
    CopyString(fax->recipientName, L"");
    CopyString(fax->senderName, L"");
    CopyString(fax->senderCompany, L"");
    CopyString(fax->senderAddress, L"");
    CopyString(fax->reservedText, L"");
    CopyString(fax->senderFaxNumber, L"");
    CopyString(fax->senderVoice, L"");
    CopyString(fax->senderEmail, L"");
    CopyString(fax->comments, L"");
    fax->resolution = 0;
    fax->sendCoverPage = 0;
    fax->coverPageParts = kCoverRecipient | kCoverSender | kCoverComments;
    return true;
}

bool MakeDefaultColorSettings(ColorSettings *color) {
    if (!color) return false;
    std::memset(color, 0, sizeof(*color));
    return true;
}

bool MakeDefaultPrivateDevmode(PrivateDevmode *dm) {
    if (!dm) return false;
    // The buffer may be a fresh allocation or hold an earlier record: no
    // field, string tail or padding byte of either may survive the defaults.
    std::memset(dm, 0, sizeof(*dm));
    WriteHeader(dm);
    dm->watermarksEnabled = 0;
    dm->watermarkOrder = 0;
    MakeDefaultWatermark(&dm->watermarks[0]);
    MakeDefaultWatermark(&dm->watermarks[1]);
    dm->rotate180 = 0;
    dm->outputDestination = DEST_PRINTER;
    dm->pageSizePolicy = 2;
    CopyString(dm->outputFilePath, L"");
    CopyString(dm->holdUserName, L"");
    CopyString(dm->holdPin, L"");
    dm->blockAppPostScript = 0;
    dm->compensatePrinterOffsets = 1;
    dm->accountNumberEnabled = 0;
    CopyString(dm->accountNumber, L"");
    MakeDefaultFaxInfo(&dm->fax);
    dm->discardOutput = 0;
    MakeDefaultColorSettings(&dm->color);
    dm->keepDuplicateHeldJobs = 0;
    dm->watermarkViaEscape = 0;
    return true;
}

bool ValidateWatermark(WatermarkRecord *wm) {
    if (!wm) return false;
    // NaN fails both comparisons; it is no angle either.
    if (!(wm->angle >= -180.0 && wm->angle <= 180.0)) wm->angle = 0.0;
    TerminateString(wm->name);
    TerminateString(wm->text);
    TerminateString(wm->faceName);
    if (wm->fontStyle > 3) wm->fontStyle = 0;
    if (wm->effects & ~(kEffectStrikeout | kEffectUnderline | kEffectOutline)) wm->effects = 0;
    if (wm->intensity == 0 || wm->intensity > 100) wm->intensity = 100;
    if (wm->position > WM_POS_MIDDLE_RIGHT) wm->position = WM_POS_CENTER;
    if (wm->units > 1) wm->units = 1;
    return true;
}

bool ValidatePrivateDevmode(PrivateDevmode *dm) {
    if (!dm) return false;
    WriteHeader(dm);
    ClampFlag(dm->watermarksEnabled, 0);
    if (dm->watermarkOrder > 3) dm->watermarkOrder = 0;
    ClampFlag(dm->watermarkOverPage, 0);
    ValidateWatermark(&dm->watermarks[0]);
    ValidateWatermark(&dm->watermarks[1]);
    ClampFlag(dm->rotate180, 0);
    if (dm->outputDestination > DEST_VERIFY) dm->outputDestination = DEST_PRINTER;
    if (dm->pageSizePolicy > 7) dm->pageSizePolicy = 2;
    TerminateString(dm->outputFilePath);
    TerminateString(dm->holdUserName);
    TerminateString(dm->holdPin);
    ClampFlag(dm->blockAppPostScript, 0);
    ClampFlag(dm->compensatePrinterOffsets, 1);
    ClampFlag(dm->accountNumberEnabled, 0);
    TerminateString(dm->accountNumber);
    TerminateString(dm->fax.recipientFaxNumber);
    TerminateString(dm->fax.stationId);
    if (dm->fax.resolution != 0) dm->fax.resolution = 0;
    ClampFlag(dm->fax.sendCoverPage, 0);
    TerminateString(dm->fax.recipientName);
    TerminateString(dm->fax.senderName);
    TerminateString(dm->fax.senderCompany);
    TerminateString(dm->fax.senderAddress);
    TerminateString(dm->fax.reservedText);
    TerminateString(dm->fax.senderFaxNumber);
    TerminateString(dm->fax.senderVoice);
    TerminateString(dm->fax.senderEmail);
    TerminateString(dm->fax.comments);
    if (dm->fax.coverPageParts & ~(kCoverRecipient | kCoverSender | kCoverComments))
        dm->fax.coverPageParts = kCoverRecipient | kCoverSender | kCoverComments;
    ClampFlag(dm->discardOutput, 0);

    ColorSettings &c = dm->color;
    if (c.correction > 3) c.correction = 0;
    for (uint32_t *v : {&c.rgbImage, &c.rgbText, &c.rgbGraphics, &c.cmykImage, &c.cmykText, &c.cmykGraphics})
        if (*v > 4) *v = 0;
    if (c.balanceEnabled > 1) c.balanceEnabled = 0;
    for (int32_t *v : {&c.balanceCyan, &c.balanceMagenta, &c.balanceYellow, &c.balanceBlack})
        if (*v < -5 || *v > 5) *v = 0;
    if (c.colorThrift > 2) c.colorThrift = 0;

    ClampFlag(dm->keepDuplicateHeldJobs, 0);
    ClampFlag(dm->watermarkViaEscape, 0);
    // The profile name arrives with the record like every other string.
    TerminateString(dm->loadedProfileName);
    ClampFlag(dm->profileLoaded, 0);
    return true;
}

bool ConvertPrivateDevmode(const PrivateDevmode *in, PrivateDevmode *out) {
    if (!in || !out) return false;
    if (in == out) {
        // Converting a record onto itself keeps it; only the header is renewed.
        out->header.dwSize = kPrivateDevmodeSize;
        out->header.dwVersion = kPrivateDevmodeVersion;
        return true;
    }
    if (in->header.dwSignature == out->header.dwSignature) {
        // Read the input's size before the defaults could overwrite an aliased header.
        DWORD inSize = in->header.dwSize;
        MakeDefaultPrivateDevmode(out);
        DWORD n = inSize < out->header.dwSize ? inSize : out->header.dwSize;
        std::memmove(out, in, n);
    } else {
        MakeDefaultPrivateDevmode(out);
        out->header.dwSignature = kPrivateDevmodeSignature;
    }
    out->header.dwSize = kPrivateDevmodeSize;
    out->header.dwVersion = kPrivateDevmodeVersion;
    return true;
}
