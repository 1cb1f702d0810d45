// The plug-ins' private extension of the driver's devmode. It is persisted in
// devmodes and registry values and exchanged between the two plug-ins, so its
// byte layout is an interface: fields may only ever be appended.
#pragma once

#include <windows.h>
#include <cstddef>
#include <cstdint>

#include "platform/oem_abi.h"

constexpr DWORD kPrivateDevmodeSize = 7648;
constexpr DWORD kPrivateDevmodeVersion = 10;
// "VGNP" as the four bytes at offset 4, first byte first.
constexpr DWORD kPrivateDevmodeSignature = 'V' | ('G' << 8) | ('N' << 16) | ((DWORD)'P' << 24);

enum WatermarkPosition : uint32_t {
    WM_POS_CENTER = 0,
    WM_POS_BOTTOM_LEFT = 1,
    WM_POS_TOP_LEFT = 2,
    WM_POS_MIDDLE_LEFT = 3,
    WM_POS_BOTTOM_CENTER = 4,
    WM_POS_TOP_CENTER = 5,
    WM_POS_BOTTOM_RIGHT = 6,
    WM_POS_TOP_RIGHT = 7,
    WM_POS_MIDDLE_RIGHT = 8,
};

enum OutputDestination : uint32_t {
    DEST_PRINTER = 0,
    DEST_FILE = 1,
    DEST_EPS = 2,
    DEST_FAX = 3,
    DEST_CONFIDENTIAL = 4,
    DEST_RESERVE = 5,
    DEST_REPEAT = 6,
    DEST_VERIFY = 7,
};

constexpr uint32_t kEffectStrikeout = 0x1;
constexpr uint32_t kEffectUnderline = 0x2;
constexpr uint32_t kEffectOutline = 0x4;

constexpr uint32_t kCoverRecipient = 0x1;
constexpr uint32_t kCoverSender = 0x2;
constexpr uint32_t kCoverComments = 0x4;

#pragma pack(push, 4)

struct WatermarkRecord {
    wchar_t name[128];
    wchar_t text[128];
    double angle;
    uint8_t color[4];  // red, green, blue, zero
    wchar_t faceName[64];
    uint32_t pointSize;
    uint32_t fontStyle;
    uint32_t effects;
    uint16_t intensity;
    uint16_t padding0;
    uint32_t position;
    uint8_t units;
    uint8_t padding1[7];
    double verticalOffset;
    double horizontalOffset;
    uint32_t charSet;
    uint32_t dynamicText;
};

struct FaxInfo {
    wchar_t recipientFaxNumber[128];
    wchar_t stationId[128];
    uint16_t resolution;
    uint16_t padding0;
    uint32_t sendCoverPage;
    // Cover-page sub-block: senderName .. coverPageParts.
    wchar_t recipientName[128];
    wchar_t senderName[128];
    wchar_t senderCompany[128];
    wchar_t senderAddress[256];
    wchar_t reservedText[256];
    wchar_t senderFaxNumber[64];
    wchar_t senderVoice[64];
    wchar_t senderEmail[64];
    wchar_t comments[1024];
    uint32_t coverPageParts;
};

struct ColorSettings {
    uint32_t correction;
    uint32_t rgbImage;
    uint32_t rgbText;
    uint32_t rgbGraphics;
    uint32_t cmykImage;
    uint32_t cmykText;
    uint32_t cmykGraphics;
    uint32_t balanceEnabled;
    int32_t balanceCyan;
    int32_t balanceMagenta;
    int32_t balanceYellow;
    int32_t balanceBlack;
    uint32_t colorThrift;
};

struct PrivateDevmode {
    OEM_DMEXTRAHEADER header;  // dwSize, dwSignature, dwVersion
    uint32_t watermarksEnabled;
    uint32_t watermarkOrder;
    uint32_t watermarkOverPage;
    WatermarkRecord watermarks[2];
    uint32_t rotate180;
    uint32_t outputDestination;
    uint16_t pageSizePolicy;
    wchar_t outputFilePath[512];
    wchar_t holdUserName[25];
    wchar_t holdPin[5];
    uint16_t padding0;
    uint32_t blockAppPostScript;
    uint32_t compensatePrinterOffsets;
    uint32_t accountNumberEnabled;
    wchar_t accountNumber[17];
    uint16_t padding1;
    uint32_t discardOutput;
    FaxInfo fax;
    ColorSettings color;
    uint32_t keepDuplicateHeldJobs;
    uint32_t watermarkViaEscape;
    wchar_t loadedProfileName[128];
    uint32_t profileLoaded;
};

#pragma pack(pop)

// The cover-page sub-block of FaxInfo that the cover-page dialog edits as one unit.
constexpr size_t kCoverPageBlockOffset = offsetof(FaxInfo, senderName);
constexpr size_t kCoverPageBlockSize = sizeof(FaxInfo) - kCoverPageBlockOffset;

static_assert(sizeof(wchar_t) == 2, "records hold UTF-16 code units");

static_assert(sizeof(WatermarkRecord) == 704, "WatermarkRecord size");
static_assert(offsetof(WatermarkRecord, text) == 256);
static_assert(offsetof(WatermarkRecord, angle) == 512);
static_assert(offsetof(WatermarkRecord, color) == 520);
static_assert(offsetof(WatermarkRecord, faceName) == 524);
static_assert(offsetof(WatermarkRecord, pointSize) == 652);
static_assert(offsetof(WatermarkRecord, fontStyle) == 656);
static_assert(offsetof(WatermarkRecord, effects) == 660);
static_assert(offsetof(WatermarkRecord, intensity) == 664);
static_assert(offsetof(WatermarkRecord, position) == 668);
static_assert(offsetof(WatermarkRecord, units) == 672);
static_assert(offsetof(WatermarkRecord, verticalOffset) == 680);
static_assert(offsetof(WatermarkRecord, horizontalOffset) == 688);
static_assert(offsetof(WatermarkRecord, charSet) == 696);
static_assert(offsetof(WatermarkRecord, dynamicText) == 700);

static_assert(sizeof(FaxInfo) == 4748, "FaxInfo size");
static_assert(offsetof(FaxInfo, stationId) == 256);
static_assert(offsetof(FaxInfo, resolution) == 512);
static_assert(offsetof(FaxInfo, sendCoverPage) == 516);
static_assert(offsetof(FaxInfo, recipientName) == 520);
static_assert(offsetof(FaxInfo, senderName) == 776);
static_assert(offsetof(FaxInfo, senderCompany) == 1032);
static_assert(offsetof(FaxInfo, senderAddress) == 1288);
static_assert(offsetof(FaxInfo, reservedText) == 1800);
static_assert(offsetof(FaxInfo, senderFaxNumber) == 2312);
static_assert(offsetof(FaxInfo, senderVoice) == 2440);
static_assert(offsetof(FaxInfo, senderEmail) == 2568);
static_assert(offsetof(FaxInfo, comments) == 2696);
static_assert(offsetof(FaxInfo, coverPageParts) == 4744);
static_assert(kCoverPageBlockSize == 3972);

static_assert(sizeof(ColorSettings) == 52, "ColorSettings size");
static_assert(offsetof(ColorSettings, cmykImage) == 16);
static_assert(offsetof(ColorSettings, balanceEnabled) == 28);
static_assert(offsetof(ColorSettings, balanceCyan) == 32);
static_assert(offsetof(ColorSettings, balanceBlack) == 44);
static_assert(offsetof(ColorSettings, colorThrift) == 48);

static_assert(sizeof(PrivateDevmode) == kPrivateDevmodeSize, "PrivateDevmode size");
static_assert(offsetof(PrivateDevmode, header.dwSignature) == 4);
static_assert(offsetof(PrivateDevmode, header.dwVersion) == 8);
static_assert(offsetof(PrivateDevmode, watermarksEnabled) == 12);
static_assert(offsetof(PrivateDevmode, watermarkOrder) == 16);
static_assert(offsetof(PrivateDevmode, watermarkOverPage) == 20);
static_assert(offsetof(PrivateDevmode, watermarks) == 24);
static_assert(offsetof(PrivateDevmode, watermarks[1]) == 728);
static_assert(offsetof(PrivateDevmode, rotate180) == 1432);
static_assert(offsetof(PrivateDevmode, outputDestination) == 1436);
static_assert(offsetof(PrivateDevmode, pageSizePolicy) == 1440);
static_assert(offsetof(PrivateDevmode, outputFilePath) == 1442);
static_assert(offsetof(PrivateDevmode, holdUserName) == 2466);
static_assert(offsetof(PrivateDevmode, holdPin) == 2516);
static_assert(offsetof(PrivateDevmode, blockAppPostScript) == 2528);
static_assert(offsetof(PrivateDevmode, compensatePrinterOffsets) == 2532);
static_assert(offsetof(PrivateDevmode, accountNumberEnabled) == 2536);
static_assert(offsetof(PrivateDevmode, accountNumber) == 2540);
static_assert(offsetof(PrivateDevmode, discardOutput) == 2576);
static_assert(offsetof(PrivateDevmode, fax) == 2580);
static_assert(offsetof(PrivateDevmode, color) == 7328);
static_assert(offsetof(PrivateDevmode, keepDuplicateHeldJobs) == 7380);
static_assert(offsetof(PrivateDevmode, watermarkViaEscape) == 7384);
static_assert(offsetof(PrivateDevmode, loadedProfileName) == 7388);
static_assert(offsetof(PrivateDevmode, profileLoaded) == 7644);

// Operations on caller-owned records. Each returns false for a null pointer and
// then writes nothing.
bool MakeDefaultWatermark(WatermarkRecord *wm);
bool MakeDefaultFaxInfo(FaxInfo *fax);
bool MakeDefaultColorSettings(ColorSettings *color);
bool MakeDefaultPrivateDevmode(PrivateDevmode *dm);
bool ValidateWatermark(WatermarkRecord *wm);
bool ValidatePrivateDevmode(PrivateDevmode *dm);
bool ConvertPrivateDevmode(const PrivateDevmode *in, PrivateDevmode *out);

// Force-terminates a fixed-size wide string in place.
template <size_t N>
inline void TerminateString(wchar_t (&s)[N]) {
    s[N - 1] = L'\0';
}
