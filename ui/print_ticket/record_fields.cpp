#include "ui/print_ticket/record_fields.h"

namespace {

template <size_t N>
TextField Field(wchar_t (&text)[N]) {
    return {text, N};
}

}  // namespace

uint32_t FeatureValue(FeatureKey key, const PrivateDevmode &dm) {
    switch (key) {
    case FeatureKey::Passcode: return dm.outputDestination == DEST_CONFIDENTIAL ? 1 : 0;
    case FeatureKey::Destination: return dm.outputDestination;
    case FeatureKey::KeepDuplicates: return dm.keepDuplicateHeldJobs;
    case FeatureKey::FaxCoverPage: return dm.fax.sendCoverPage;
    case FeatureKey::WatermarkOrder: return dm.watermarksEnabled ? dm.watermarkOrder : 0;
    case FeatureKey::WatermarkPlacement: return dm.watermarkOverPage;
    case FeatureKey::ColorCorrection: return dm.color.correction;
    case FeatureKey::RgbImages: return dm.color.rgbImage;
    case FeatureKey::RgbText: return dm.color.rgbText;
    case FeatureKey::RgbGraphics: return dm.color.rgbGraphics;
    case FeatureKey::Cmyk: return dm.color.cmykImage;
    case FeatureKey::Balance: return dm.color.balanceEnabled;
    case FeatureKey::TonerSaving: return dm.color.colorThrift;
    case FeatureKey::Watermark:
    case FeatureKey::SecondWatermark: break;
    }
    return 0;
}

void SetFeatureValue(FeatureKey key, uint32_t value, PrivateDevmode *dm) {
    switch (key) {
    case FeatureKey::Passcode: break;
    case FeatureKey::Destination: dm->outputDestination = value; break;
    case FeatureKey::KeepDuplicates: dm->keepDuplicateHeldJobs = value; break;
    case FeatureKey::FaxCoverPage: dm->fax.sendCoverPage = value; break;
    case FeatureKey::WatermarkOrder:
        dm->watermarkOrder = value;
        dm->watermarksEnabled = value != 0;
        break;
    case FeatureKey::WatermarkPlacement: dm->watermarkOverPage = value; break;
    case FeatureKey::ColorCorrection: dm->color.correction = value; break;
    case FeatureKey::RgbImages: dm->color.rgbImage = value; break;
    case FeatureKey::RgbText: dm->color.rgbText = value; break;
    case FeatureKey::RgbGraphics: dm->color.rgbGraphics = value; break;
    // One choice for all three kinds of content, as the colour page makes it.
    case FeatureKey::Cmyk: dm->color.cmykImage = dm->color.cmykText = dm->color.cmykGraphics = value; break;
    case FeatureKey::Balance: dm->color.balanceEnabled = value; break;
    case FeatureKey::TonerSaving: dm->color.colorThrift = value; break;
    case FeatureKey::Watermark:
    case FeatureKey::SecondWatermark: break;
    }
}

TextField ParameterText(ParameterKey key, PrivateDevmode *dm) {
    switch (key) {
    case ParameterKey::PasscodeString: return Field(dm->holdPin);
    case ParameterKey::HoldUserName: return Field(dm->holdUserName);
    case ParameterKey::FaxRecipientName: return Field(dm->fax.recipientName);
    case ParameterKey::FaxNumber: return Field(dm->fax.recipientFaxNumber);
    case ParameterKey::FaxStationId: return Field(dm->fax.stationId);
    case ParameterKey::FaxSenderName: return Field(dm->fax.senderName);
    case ParameterKey::FaxSenderCompany: return Field(dm->fax.senderCompany);
    case ParameterKey::FaxSenderAddress: return Field(dm->fax.senderAddress);
    case ParameterKey::FaxSenderFaxNumber: return Field(dm->fax.senderFaxNumber);
    case ParameterKey::FaxSenderVoice: return Field(dm->fax.senderVoice);
    case ParameterKey::FaxSenderEmail: return Field(dm->fax.senderEmail);
    case ParameterKey::FaxComments: return Field(dm->fax.comments);
    default: return {nullptr, 0};
    }
}

int32_t ParameterInteger(ParameterKey key, const PrivateDevmode &dm) {
    switch (key) {
    case ParameterKey::FaxCoverPageParts: return static_cast<int32_t>(dm.fax.coverPageParts);
    case ParameterKey::BalanceCyan: return dm.color.balanceCyan;
    case ParameterKey::BalanceMagenta: return dm.color.balanceMagenta;
    case ParameterKey::BalanceYellow: return dm.color.balanceYellow;
    case ParameterKey::BalanceBlack: return dm.color.balanceBlack;
    default: return 0;
    }
}

void SetParameterInteger(ParameterKey key, int32_t value, PrivateDevmode *dm) {
    switch (key) {
    case ParameterKey::FaxCoverPageParts: dm->fax.coverPageParts = static_cast<uint32_t>(value); break;
    case ParameterKey::BalanceCyan: dm->color.balanceCyan = value; break;
    case ParameterKey::BalanceMagenta: dm->color.balanceMagenta = value; break;
    case ParameterKey::BalanceYellow: dm->color.balanceYellow = value; break;
    case ParameterKey::BalanceBlack: dm->color.balanceBlack = value; break;
    default: break;
    }
}
