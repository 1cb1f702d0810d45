// The plug-in's part of a print ticket: every feature and parameter, its
// options with the record values they stand for, its display name and when
// the printer offers it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "ui/print_ticket/schema_names.h"

// What the printer description says, asked with the same keywords the pages use.
struct PrinterOffer {
    bool faxCard = false;
    bool printAndHold = false;
    bool keepDuplicates = false;
    bool manualColor = false;
};

enum class When { Always, Hold, Fax, HoldOrFax, KeepDuplicates, ManualColor, Never };
bool Offered(When when, const PrinterOffer &offer);

enum class FeatureKey {
    Passcode,
    Destination,
    KeepDuplicates,
    FaxCoverPage,
    WatermarkOrder,
    Watermark,
    SecondWatermark,
    WatermarkPlacement,
    ColorCorrection,
    RgbImages,
    RgbText,
    RgbGraphics,
    Cmyk,
    Balance,
    TonerSaving,
};

enum class ParameterKey {
    PasscodeString,
    HoldUserName,
    FaxRecipientName,
    FaxNumber,
    FaxStationId,
    FaxCoverPageParts,
    FaxSenderName,
    FaxSenderCompany,
    FaxSenderAddress,
    FaxSenderFaxNumber,
    FaxSenderVoice,
    FaxSenderEmail,
    FaxComments,
    BalanceCyan,
    BalanceMagenta,
    BalanceYellow,
    BalanceBlack,
};

struct OptionRow {
    Ns ns;
    const wchar_t *name;
    uint32_t value;
    UINT displayId;
    When when;  // Never: written and read back, but not offered
};

struct FeatureRow {
    FeatureKey key;
    Ns ns;
    const wchar_t *name;
    UINT displayId;
    When when;
    const OptionRow *options;  // none for the watermark lists, whose options are the store's
    size_t optionCount;
};

struct ParameterRow {
    ParameterKey key;
    Ns ns;
    const wchar_t *name;
    UINT displayId;
    When when;
    bool integer;
    int32_t minimum;  // value, or length for text
    int32_t maximum;
};

extern const FeatureRow kFeatures[];
extern const size_t kFeatureCount;
extern const ParameterRow kParameters[];
extern const size_t kParameterCount;

const FeatureRow *FindFeature(Ns ns, const wchar_t *name);
const ParameterRow *FindParameter(Ns ns, const wchar_t *name);
const FeatureRow &Feature(FeatureKey key);
const ParameterRow &Parameter(ParameterKey key);
const OptionRow *OptionByValue(const FeatureRow &row, uint32_t value);
const OptionRow *OptionByName(const FeatureRow &row, Ns ns, const wchar_t *name);
