#include "ui/print_ticket/feature_table.h"

#include <cwchar>

#include "resources/resource.h"

namespace {

constexpr OptionRow kOnOff[] = {
    {Ns::Psk, L"Off", 0, IDS_COLOR_OFF, When::Always},
    {Ns::Psk, L"On", 1, IDS_COLOR_ON, When::Always},
};

constexpr OptionRow kDestinations[] = {
    {Ns::Private, L"Printer", 0, IDS_DEST_PRINTER, When::Always},
    {Ns::Private, L"File", 1, IDS_DEST_FILE, When::Never},
    {Ns::Private, L"EPS", 2, IDS_DEST_EPS, When::Never},
    {Ns::Private, L"Fax", 3, IDS_DEST_FAX, When::Fax},
    {Ns::Private, L"ConfidentialPrint", 4, IDS_DEST_CONFIDENTIAL, When::Hold},
    {Ns::Private, L"ReservePrint", 5, IDS_DEST_RESERVE, When::Hold},
    {Ns::Private, L"RepeatPrint", 6, IDS_DEST_REPEAT, When::Hold},
    {Ns::Private, L"VerifyPrint", 7, IDS_DEST_VERIFY, When::Hold},
};

constexpr OptionRow kOrders[] = {
    {Ns::Psk, L"None", 0, IDS_PT_WM_ORDER_NONE, When::Always},
    {Ns::Private, L"AllPages", 1, IDS_PT_WM_ORDER_ALL, When::Always},
    {Ns::Private, L"OddEvenPages", 2, IDS_PT_WM_ORDER_ODD_EVEN, When::Always},
    {Ns::Private, L"FirstOtherPages", 3, IDS_PT_WM_ORDER_FIRST_OTHER, When::Always},
};

constexpr OptionRow kPlacements[] = {
    {Ns::Private, L"UnderPage", 0, IDS_PT_WM_UNDER, When::Always},
    {Ns::Private, L"OverPage", 1, IDS_PT_WM_OVER, When::Always},
};

constexpr OptionRow kCorrections[] = {
    {Ns::Private, L"PrinterSetting", 0, IDS_COLOR_PRINTER_SETTING, When::Always},
    {Ns::Psk, L"Off", 1, IDS_COLOR_OFF, When::Always},
    {Ns::Private, L"Auto", 2, IDS_COLOR_AUTO, When::Always},
    {Ns::Private, L"Manual", 3, IDS_COLOR_MANUAL, When::Always},
};

constexpr OptionRow kRgb[] = {
    {Ns::Private, L"PrinterSetting", 0, IDS_COLOR_PRINTER_SETTING, When::Always},
    {Ns::Private, L"sRGBDisplay", 1, IDS_COLOR_SRGB_DISPLAY, When::Always},
    {Ns::Private, L"sRGBVivid", 2, IDS_COLOR_SRGB_VIVID, When::Always},
    {Ns::Private, L"Vivid", 3, IDS_COLOR_VIVID, When::Always},
    {Ns::Psk, L"Off", 4, IDS_COLOR_OFF, When::Always},
};

constexpr OptionRow kCmyk[] = {
    {Ns::Private, L"PrinterSetting", 0, IDS_COLOR_PRINTER_SETTING, When::Always},
    {Ns::Private, L"USCMYK", 1, IDS_COLOR_US_CMYK, When::Always},
    {Ns::Private, L"EuroCMYK", 2, IDS_COLOR_EURO_CMYK, When::Always},
    {Ns::Private, L"VividCMYK", 3, IDS_COLOR_VIVID_CMYK, When::Always},
    {Ns::Psk, L"Off", 4, IDS_COLOR_OFF, When::Always},
};

constexpr OptionRow kBalance[] = {
    {Ns::Private, L"PrinterSetting", 0, IDS_COLOR_PRINTER_SETTING, When::Always},
    {Ns::Private, L"Manual", 1, IDS_COLOR_MANUAL, When::Always},
};

// The Print Schema has no keyword for a printer's own toner-saving mode, so
// only the on and off states borrow the standard ones.
constexpr OptionRow kToner[] = {
    {Ns::Private, L"PrinterSetting", 0, IDS_COLOR_PRINTER_SETTING, When::Always},
    {Ns::Psk, L"Off", 1, IDS_COLOR_OFF, When::Always},
    {Ns::Psk, L"On", 2, IDS_COLOR_ON, When::Always},
};

template <size_t N>
constexpr size_t Count(const OptionRow (&)[N]) {
    return N;
}

}  // namespace

#define OPTIONS(list) list, Count(list)

const FeatureRow kFeatures[] = {
    {FeatureKey::Passcode, Ns::PskV11, L"JobPasscode", IDS_PT_PASSCODE, When::Hold, OPTIONS(kOnOff)},
    {FeatureKey::Destination, Ns::Private, L"JobOutputDestination", IDS_PT_DESTINATION, When::HoldOrFax,
     OPTIONS(kDestinations)},
    {FeatureKey::KeepDuplicates, Ns::Private, L"JobKeepDuplicateHeldJobs", IDS_PT_KEEP_DUPLICATES,
     When::KeepDuplicates, OPTIONS(kOnOff)},
    {FeatureKey::FaxCoverPage, Ns::Private, L"JobFaxCoverPage", IDS_PT_FAX_COVER, When::Fax, OPTIONS(kOnOff)},
    {FeatureKey::WatermarkOrder, Ns::Private, L"JobWatermarkOrder", IDS_PT_WM_ORDER, When::Always, OPTIONS(kOrders)},
    {FeatureKey::Watermark, Ns::Private, L"JobWatermark", IDS_PT_WM_FIRST, When::Always, nullptr, 0},
    {FeatureKey::SecondWatermark, Ns::Private, L"JobSecondWatermark", IDS_PT_WM_SECOND, When::Always, nullptr, 0},
    {FeatureKey::WatermarkPlacement, Ns::Private, L"JobWatermarkPlacement", IDS_PT_WM_PLACEMENT, When::Always,
     OPTIONS(kPlacements)},
    {FeatureKey::ColorCorrection, Ns::Private, L"JobColorCorrection", IDS_PT_COLOR_CORRECTION, When::ManualColor,
     OPTIONS(kCorrections)},
    {FeatureKey::RgbImages, Ns::Private, L"JobColorRGBImages", IDS_PT_RGB_IMAGES, When::ManualColor, OPTIONS(kRgb)},
    {FeatureKey::RgbText, Ns::Private, L"JobColorRGBText", IDS_PT_RGB_TEXT, When::ManualColor, OPTIONS(kRgb)},
    {FeatureKey::RgbGraphics, Ns::Private, L"JobColorRGBGraphics", IDS_PT_RGB_GRAPHICS, When::ManualColor,
     OPTIONS(kRgb)},
    {FeatureKey::Cmyk, Ns::Private, L"JobColorCMYK", IDS_PT_CMYK, When::ManualColor, OPTIONS(kCmyk)},
    {FeatureKey::Balance, Ns::Private, L"JobColorBalance", IDS_PT_BALANCE, When::ManualColor, OPTIONS(kBalance)},
    {FeatureKey::TonerSaving, Ns::Private, L"JobTonerSaving", IDS_PT_TONER_SAVING, When::ManualColor,
     OPTIONS(kToner)},
};
const size_t kFeatureCount = sizeof(kFeatures) / sizeof(kFeatures[0]);

// Text lengths are the record fields' capacities less the terminator; the
// PIN and user name are what the output page accepts.
const ParameterRow kParameters[] = {
    {ParameterKey::PasscodeString, Ns::PskV11, L"JobPasscodeString", IDS_PT_PASSCODE_STRING, When::Hold, false, 4, 4},
    {ParameterKey::HoldUserName, Ns::Private, L"JobHoldUserName", IDS_PT_HOLD_USER, When::Hold, false, 1, 24},
    {ParameterKey::FaxRecipientName, Ns::Private, L"JobFaxRecipientName", IDS_PT_FAX_RECIPIENT, When::Fax, false, 0,
     127},
    {ParameterKey::FaxNumber, Ns::Private, L"JobFaxNumber", IDS_PT_FAX_NUMBER, When::Fax, false, 0, 127},
    {ParameterKey::FaxStationId, Ns::Private, L"JobFaxStationId", IDS_PT_FAX_STATION, When::Fax, false, 0, 127},
    {ParameterKey::FaxCoverPageParts, Ns::Private, L"JobFaxCoverPageParts", IDS_PT_FAX_COVER_PARTS, When::Fax, true,
     0, 7},
    {ParameterKey::FaxSenderName, Ns::Private, L"JobFaxSenderName", IDS_PT_FAX_SENDER_NAME, When::Fax, false, 0,
     127},
    {ParameterKey::FaxSenderCompany, Ns::Private, L"JobFaxSenderCompany", IDS_PT_FAX_SENDER_COMPANY, When::Fax,
     false, 0, 127},
    {ParameterKey::FaxSenderAddress, Ns::Private, L"JobFaxSenderAddress", IDS_PT_FAX_SENDER_ADDRESS, When::Fax,
     false, 0, 255},
    {ParameterKey::FaxSenderFaxNumber, Ns::Private, L"JobFaxSenderFaxNumber", IDS_PT_FAX_SENDER_FAX, When::Fax,
     false, 0, 63},
    {ParameterKey::FaxSenderVoice, Ns::Private, L"JobFaxSenderVoice", IDS_PT_FAX_SENDER_VOICE, When::Fax, false, 0,
     63},
    {ParameterKey::FaxSenderEmail, Ns::Private, L"JobFaxSenderEmail", IDS_PT_FAX_SENDER_EMAIL, When::Fax, false, 0,
     63},
    {ParameterKey::FaxComments, Ns::Private, L"JobFaxComments", IDS_PT_FAX_COMMENTS, When::Fax, false, 0, 1023},
    {ParameterKey::BalanceCyan, Ns::Private, L"JobColorBalanceCyan", IDS_PT_BALANCE_CYAN, When::ManualColor, true,
     -5, 5},
    {ParameterKey::BalanceMagenta, Ns::Private, L"JobColorBalanceMagenta", IDS_PT_BALANCE_MAGENTA,
     When::ManualColor, true, -5, 5},
    {ParameterKey::BalanceYellow, Ns::Private, L"JobColorBalanceYellow", IDS_PT_BALANCE_YELLOW, When::ManualColor,
     true, -5, 5},
    {ParameterKey::BalanceBlack, Ns::Private, L"JobColorBalanceBlack", IDS_PT_BALANCE_BLACK, When::ManualColor,
     true, -5, 5},
};
const size_t kParameterCount = sizeof(kParameters) / sizeof(kParameters[0]);

bool Offered(When when, const PrinterOffer &offer) {
    switch (when) {
    case When::Always: return true;
    case When::Hold: return offer.printAndHold;
    case When::Fax: return offer.faxCard;
    case When::HoldOrFax: return offer.printAndHold || offer.faxCard;
    case When::KeepDuplicates: return offer.keepDuplicates;
    case When::ManualColor: return offer.manualColor;
    case When::Never: return false;
    }
    return false;
}

const FeatureRow *FindFeature(Ns ns, const wchar_t *name) {
    for (const FeatureRow &row : kFeatures)
        if (row.ns == ns && wcscmp(row.name, name) == 0) return &row;
    return nullptr;
}

const ParameterRow *FindParameter(Ns ns, const wchar_t *name) {
    for (const ParameterRow &row : kParameters)
        if (row.ns == ns && wcscmp(row.name, name) == 0) return &row;
    return nullptr;
}

const FeatureRow &Feature(FeatureKey key) { return kFeatures[static_cast<size_t>(key)]; }

const ParameterRow &Parameter(ParameterKey key) { return kParameters[static_cast<size_t>(key)]; }

const OptionRow *OptionByValue(const FeatureRow &row, uint32_t value) {
    for (size_t i = 0; i < row.optionCount; ++i)
        if (row.options[i].value == value) return &row.options[i];
    return nullptr;
}

const OptionRow *OptionByName(const FeatureRow &row, Ns ns, const wchar_t *name) {
    for (size_t i = 0; i < row.optionCount; ++i)
        if (row.options[i].ns == ns && wcscmp(row.options[i].name, name) == 0) return &row.options[i];
    return nullptr;
}
