// The capabilities document lists exactly what the printer offers, next to
// the core driver's own entries.
#include <algorithm>
#include <set>

#include "tests/ui_print_ticket/ticket_fixture.h"

using namespace tickettest;

namespace {

using Names = std::set<std::wstring>;

const Names kAlways = {L"psp:JobWatermarkOrder", L"psp:JobWatermark", L"psp:JobSecondWatermark",
                       L"psp:JobWatermarkPlacement"};
const Names kFax = {L"psp:JobFaxRecipientName",  L"psp:JobFaxNumber",        L"psp:JobFaxStationId",
                    L"psp:JobFaxCoverPage",      L"psp:JobFaxCoverPageParts", L"psp:JobFaxSenderName",
                    L"psp:JobFaxSenderCompany",  L"psp:JobFaxSenderAddress", L"psp:JobFaxSenderFaxNumber",
                    L"psp:JobFaxSenderVoice",    L"psp:JobFaxSenderEmail",   L"psp:JobFaxComments"};
const Names kHold = {L"pskv11:JobPasscode", L"pskv11:JobPasscodeString", L"psp:JobHoldUserName"};
const Names kColor = {L"psp:JobColorCorrection",   L"psp:JobColorRGBImages",    L"psp:JobColorRGBText",
                      L"psp:JobColorRGBGraphics",  L"psp:JobColorCMYK",         L"psp:JobColorBalance",
                      L"psp:JobColorBalanceCyan",  L"psp:JobColorBalanceMagenta", L"psp:JobColorBalanceYellow",
                      L"psp:JobColorBalanceBlack", L"psp:JobTonerSaving"};

Names NamesOf(IXMLDOMDocument2 *doc, const wchar_t *xpath) {
    Names names;
    for (long i = 1; i <= CountNodes(doc, xpath); ++i)
        names.insert(testbed::NodeText(doc, (std::wstring(L"(") + xpath + L")[" + std::to_wstring(i) + L"]").c_str()));
    return names;
}

std::wstring Show(const Names &names) {
    std::wstring out;
    for (const auto &n : names) out += n + L" ";
    return out;
}

class Capabilities : public TicketTest {
protected:
    com_ptr<IXMLDOMDocument2> Complete() {
        com_ptr<IXMLDOMDocument2> caps = testbed::CoreCapabilities();
        EXPECT_TRUE(caps);
        if (caps) {
            EXPECT_EQ(host->Capabilities(caps.get()), S_OK);
        }
        return caps;
    }
    std::wstring Property(IXMLDOMDocument2 *caps, const std::wstring &def, const wchar_t *property) {
        return testbed::NodeText(caps, (L"/psf:PrintCapabilities/psf:ParameterDef[@name='" + def +
                                        L"']/psf:Property[@name='" + property + L"']/psf:Value")
                                           .c_str());
    }
};

}  // namespace

TEST_F(Capabilities, BindingAnnouncesVersionOneAndThePrivateNamespace) {
    EXPECT_NE(std::find(host->versions.begin(), host->versions.end(), 1), host->versions.end());
    EXPECT_NE(std::find(host->namespaces.begin(), host->namespaces.end(), testbed::kPrivateTicketNamespace),
              host->namespaces.end());
    EXPECT_GT(host->helper.helperQueries, 0) << "the provider never asked for the driver's helper";
}

TEST_F(Capabilities, FeaturesFollowFaxCardPrintAndHoldAndColor) {
    struct Case {
        testbed::PrinterFeatures printer;
        Names want;
        Names destinations;
    };
    auto join = [](std::initializer_list<Names> sets) {
        Names all;
        for (const auto &s : sets) all.insert(s.begin(), s.end());
        return all;
    };
    const Names destination = {L"psp:JobOutputDestination"};
    const Names holdDestinations = {L"psp:Printer", L"psp:ConfidentialPrint", L"psp:ReservePrint",
                                    L"psp:RepeatPrint", L"psp:VerifyPrint"};
    Names everyDestination = holdDestinations;
    everyDestination.insert(L"psp:Fax");
    const Case cases[] = {
        {{false, false, false, false}, kAlways, {}},
        {{true, false, false, false}, join({kAlways, kFax, destination}), {L"psp:Printer", L"psp:Fax"}},
        {{false, true, false, false}, join({kAlways, kHold, destination}), holdDestinations},
        {{true, true, false, false}, join({kAlways, kFax, kHold, destination}), everyDestination},
        {{false, false, true, true}, join({kAlways, kColor, {L"psp:JobKeepDuplicateHeldJobs"}}), {}},
    };
    for (const Case &c : cases) {
        ASSERT_NO_FATAL_FAILURE(Start(c.printer));
        com_ptr<IXMLDOMDocument2> caps = Complete();
        ASSERT_TRUE(caps);
        const std::string which = "fax " + std::to_string(c.printer.faxCard) + " hold " +
                                  std::to_string(c.printer.printAndHold) + " keep/color " +
                                  std::to_string(c.printer.manualColor);
        Names ours = NamesOf(caps.get(),
                             L"/psf:PrintCapabilities/*[starts-with(@name,'psp:') or "
                             L"starts-with(@name,'pskv11:')]/@name");
        EXPECT_EQ(ours, c.want) << which << ": " << Narrow(Show(ours));
        EXPECT_EQ(NamesOf(caps.get(), L"/psf:PrintCapabilities/psf:Feature[@name='psp:JobOutputDestination']"
                                      L"/psf:Option/@name"),
                  c.destinations)
            << which;
        // The core driver's entries are untouched.
        EXPECT_EQ(CountNodes(caps.get(), L"/psf:PrintCapabilities/psf:Feature[@name='psk:PageMediaSize']/psf:Option"),
                  2)
            << which;
        EXPECT_EQ(CountNodes(caps.get(), L"/psf:PrintCapabilities/psf:Feature[@name='ns0000:JobStapleCorner']"), 1)
            << which;
    }
}

TEST_F(Capabilities, WatermarkOptionsAreNoneAndTheStoredOnesWithTheirNames) {
    com_ptr<IXMLDOMDocument2> caps = Complete();
    ASSERT_TRUE(caps);
    for (const wchar_t *feature : {L"psp:JobWatermark", L"psp:JobSecondWatermark"}) {
        const std::wstring options = L"/psf:PrintCapabilities/psf:Feature[@name='" + std::wstring(feature) +
                                     L"']/psf:Option";
        EXPECT_EQ(NamesOf(caps.get(), (options + L"/@name").c_str()),
                  (Names{L"psk:None", kDraftOption, kEscapeOption}));
        EXPECT_EQ(testbed::NodeText(caps.get(), (options + L"[@name='" + kDraftOption +
                                                 L"']/psf:Property[@name='psk:DisplayName']/psf:Value")
                                                    .c_str()),
                  kDraftName);
    }
}

// As the platform's sample capabilities for PIN printing declare it, with this printer's length.
TEST_F(Capabilities, PinParameterIsTheFourCharacterPasscodeOfThePlatform) {
    com_ptr<IXMLDOMDocument2> caps = Complete();
    ASSERT_TRUE(caps);
    const std::wstring pin = L"pskv11:JobPasscodeString";
    EXPECT_EQ(Property(caps.get(), pin, L"psf:DataType"), L"xsd:string");
    EXPECT_EQ(Property(caps.get(), pin, L"psf:MinLength"), L"4");
    EXPECT_EQ(Property(caps.get(), pin, L"psf:MaxLength"), L"4");
    EXPECT_EQ(Property(caps.get(), pin, L"psf:Mandatory"), L"psk:Optional");
    EXPECT_EQ(Property(caps.get(), pin, L"psf:UnitType"), L"numeric");
    EXPECT_FALSE(Property(caps.get(), pin, L"psk:DisplayName").empty());

    const std::wstring passcode = L"/psf:PrintCapabilities/psf:Feature[@name='pskv11:JobPasscode']";
    EXPECT_EQ(NamesOf(caps.get(), (passcode + L"/psf:Option/@name").c_str()), (Names{L"psk:On", L"psk:Off"}));
    EXPECT_EQ(testbed::NodeText(caps.get(), (passcode + L"/psf:Property[@name='psf:SelectionType']/psf:Value").c_str()),
              L"psk:PickOne");
}
