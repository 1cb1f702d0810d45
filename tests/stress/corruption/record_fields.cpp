#include "tests/stress/corruption/record_fields.h"

#include <cstddef>

namespace stress {
namespace {

#define WM_STRING(i, field)                                                                                          \
    {                                                                                                                \
        "watermarks[" #i "]." #field,                                                                                \
            offsetof(PrivateDevmode, watermarks) + (i) * sizeof(WatermarkRecord) + offsetof(WatermarkRecord, field), \
            sizeof(WatermarkRecord::field) / sizeof(wchar_t)                                                         \
    }
#define DM_STRING(field) \
    { #field, offsetof(PrivateDevmode, field), sizeof(PrivateDevmode::field) / sizeof(wchar_t) }
#define FAX_STRING(field)                                                        \
    {                                                                            \
        "fax." #field, offsetof(PrivateDevmode, fax) + offsetof(FaxInfo, field), \
            sizeof(FaxInfo::field) / sizeof(wchar_t)                             \
    }

#define WM_NUMBER(i, field)                                                                                      \
    {                                                                                                            \
        offsetof(PrivateDevmode, watermarks) + (i) * sizeof(WatermarkRecord) + offsetof(WatermarkRecord, field), \
            sizeof(WatermarkRecord::field)                                                                       \
    }
#define DM_NUMBER(field) \
    { offsetof(PrivateDevmode, field), sizeof(PrivateDevmode::field) }
#define FAX_NUMBER(field) \
    { offsetof(PrivateDevmode, fax) + offsetof(FaxInfo, field), sizeof(FaxInfo::field) }
#define COLOR_NUMBER(field) \
    { offsetof(PrivateDevmode, color) + offsetof(ColorSettings, field), sizeof(ColorSettings::field) }

#define WM_DOUBLE(i, field) \
    { offsetof(PrivateDevmode, watermarks) + (i) * sizeof(WatermarkRecord) + offsetof(WatermarkRecord, field) }

}  // namespace

const StringField kStringFields[] = {
    WM_STRING(0, name),        WM_STRING(0, text),           WM_STRING(0, faceName),         WM_STRING(1, name),
    WM_STRING(1, text),        WM_STRING(1, faceName),       DM_STRING(outputFilePath),      DM_STRING(holdUserName),
    DM_STRING(holdPin),        DM_STRING(accountNumber),     FAX_STRING(recipientFaxNumber), FAX_STRING(stationId),
    FAX_STRING(recipientName), FAX_STRING(senderName),       FAX_STRING(senderCompany),      FAX_STRING(senderAddress),
    FAX_STRING(reservedText),  FAX_STRING(senderFaxNumber),  FAX_STRING(senderVoice),        FAX_STRING(senderEmail),
    FAX_STRING(comments),      DM_STRING(loadedProfileName),
};
const size_t kStringFieldCount = sizeof(kStringFields) / sizeof(kStringFields[0]);

const NumberField kNumberFields[] = {
    DM_NUMBER(watermarksEnabled),
    DM_NUMBER(watermarkOrder),
    DM_NUMBER(watermarkOverPage),
    WM_NUMBER(0, fontStyle),
    WM_NUMBER(0, effects),
    WM_NUMBER(0, intensity),
    WM_NUMBER(0, position),
    WM_NUMBER(0, units),
    WM_NUMBER(0, pointSize),
    WM_NUMBER(0, charSet),
    WM_NUMBER(0, dynamicText),
    WM_NUMBER(1, fontStyle),
    WM_NUMBER(1, effects),
    WM_NUMBER(1, intensity),
    WM_NUMBER(1, position),
    WM_NUMBER(1, units),
    WM_NUMBER(1, pointSize),
    WM_NUMBER(1, charSet),
    WM_NUMBER(1, dynamicText),
    DM_NUMBER(rotate180),
    DM_NUMBER(outputDestination),
    DM_NUMBER(pageSizePolicy),
    DM_NUMBER(blockAppPostScript),
    DM_NUMBER(compensatePrinterOffsets),
    DM_NUMBER(accountNumberEnabled),
    DM_NUMBER(discardOutput),
    FAX_NUMBER(resolution),
    FAX_NUMBER(sendCoverPage),
    FAX_NUMBER(coverPageParts),
    COLOR_NUMBER(correction),
    COLOR_NUMBER(rgbImage),
    COLOR_NUMBER(rgbText),
    COLOR_NUMBER(rgbGraphics),
    COLOR_NUMBER(cmykImage),
    COLOR_NUMBER(cmykText),
    COLOR_NUMBER(cmykGraphics),
    COLOR_NUMBER(balanceEnabled),
    COLOR_NUMBER(balanceCyan),
    COLOR_NUMBER(balanceMagenta),
    COLOR_NUMBER(balanceYellow),
    COLOR_NUMBER(balanceBlack),
    COLOR_NUMBER(colorThrift),
    DM_NUMBER(keepDuplicateHeldJobs),
    DM_NUMBER(watermarkViaEscape),
    DM_NUMBER(profileLoaded),
};
const size_t kNumberFieldCount = sizeof(kNumberFields) / sizeof(kNumberFields[0]);

const DoubleField kDoubleFields[] = {
    WM_DOUBLE(0, angle), WM_DOUBLE(0, verticalOffset), WM_DOUBLE(0, horizontalOffset),
    WM_DOUBLE(1, angle), WM_DOUBLE(1, verticalOffset), WM_DOUBLE(1, horizontalOffset),
};
const size_t kDoubleFieldCount = sizeof(kDoubleFields) / sizeof(kDoubleFields[0]);

}  // namespace stress
