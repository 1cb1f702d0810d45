#include "ui/print_ticket/printer_offer.h"

namespace {

// The option keyword the driver hands back is its own memory; it is compared
// over at most the length of "True" and its terminator.
bool IsTrueKeyword(PCSTR option) {
    static const char kTrue[] = "True";
    for (size_t i = 0; i < sizeof(kTrue); ++i) {
        char c = option[i];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        char want = kTrue[i];
        if (want >= 'a' && want <= 'z') want = static_cast<char>(want - 'a' + 'A');
        if (c != want) return false;
    }
    return true;
}

bool SettingIsTrue(IPrintCoreHelperPS *helper, const DEVMODEW *devmode, DWORD bytes, PCSTR keyword) {
    PCSTR option = nullptr;
    return helper->GetOption(devmode, devmode ? bytes : 0, keyword, &option) == S_OK && option &&
           IsTrueKeyword(option);
}

// The description defines the feature when the driver can name it.
bool FeatureDefined(IPrintCoreHelperPS *helper, PCSTR keyword) {
    DWORD type = 0, size = 0;
    PBYTE data = nullptr;
    return helper->GetFeatureAttribute(keyword, "DisplayName", &type, &data, &size) == S_OK;
}

}  // namespace

PrinterOffer AskPrinterOffer(IPrintCoreHelperPS *helper, const DEVMODEW *devmode, DWORD devmodeBytes) {
    PrinterOffer offer;
    if (!helper) return offer;
    offer.faxCard = SettingIsTrue(helper, devmode, devmodeBytes, "FaxCard");
    offer.printAndHold = FeatureDefined(helper, "HasPrintandHold");
    offer.keepDuplicates = FeatureDefined(helper, "HasKeepPreviousPHJobs");
    offer.manualColor = FeatureDefined(helper, "HasManualColorCorrection");
    return offer;
}
