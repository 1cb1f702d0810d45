// Tickets the plug-in did not write: foreign entries pass untouched, a bad
// value is corrected by validation and ignored by conversion, and a document
// that is no ticket is refused without touching the devmode.
#include <algorithm>
#include <vector>

#include "tests/ui_print_ticket/ticket_fixture.h"

using namespace tickettest;

namespace {

const wchar_t kForeign[] = L"/psf:PrintTicket/psf:Feature[@name='ns0000:JobStapleCorner']";

class BadTicket : public TicketTest {
protected:
    // A confidential job of alice with PIN 1234, a watermark and manual colour.
    PrivateDevmode Valid() {
        PrivateDevmode dm = testbed::TicketHost::DefaultRecord();
        dm.outputDestination = DEST_CONFIDENTIAL;
        Fill(dm.holdUserName, L"alice");
        Fill(dm.holdPin, L"1234");
        dm.watermarksEnabled = 1;
        dm.watermarkOrder = 1;
        dm.watermarks[0] = Stored(kDraftName);
        dm.color.correction = 3;
        dm.color.balanceEnabled = 1;
        dm.color.balanceCyan = 2;
        return dm;
    }
    com_ptr<IXMLDOMDocument2> Copy(IXMLDOMDocument2 *doc) { return testbed::LoadXml(testbed::XmlText(doc)); }
    // The foreign feature's markup, and that it is there once.
    std::wstring ForeignXml(IXMLDOMDocument2 *doc) {
        return std::to_wstring(CountNodes(doc, kForeign)) + L" " + testbed::NodeXml(doc, kForeign);
    }
};

std::wstring Feature(const wchar_t *name) {
    return std::wstring(L"/psf:PrintTicket/psf:Feature[@name='") + name + L"']/psf:Option/@name";
}
std::wstring Parameter(const wchar_t *name) {
    return std::wstring(L"/psf:PrintTicket/psf:ParameterInit[@name='") + name + L"']/psf:Value";
}

}  // namespace

TEST_F(BadTicket, ForeignEntriesPassEveryCallUntouched) {
    com_ptr<IXMLDOMDocument2> ticket = TicketFor(Valid());
    ASSERT_TRUE(ticket);
    com_ptr<IXMLDOMDocument2> core = testbed::CoreTicket();
    const std::wstring before = ForeignXml(core.get());
    EXPECT_EQ(ForeignXml(ticket.get()), before);
    EXPECT_EQ(testbed::NodeText(ticket.get(), L"/psf:PrintTicket/psf:ParameterInit[@name='psk:JobCopiesAllDocuments']"),
              L"1");
    EXPECT_EQ(host->Validate(ticket.get()), S_PT_NO_CONFLICT);
    EXPECT_EQ(ForeignXml(ticket.get()), before);

    // A foreign feature named like one of ours is not ours.
    com_ptr<IXMLDOMDocument2> lookalike = testbed::LoadXml(
        L"<psf:PrintTicket xmlns:psf='http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework' "
        L"xmlns:q='http://schemas.example.org/2026/finishing' version='1'>"
        L"<psf:Feature name='q:JobOutputDestination'><psf:Option name='q:Fax'/></psf:Feature></psf:PrintTicket>");
    ASSERT_TRUE(lookalike);
    const std::wstring xml = testbed::XmlText(lookalike.get());
    EXPECT_EQ(host->Validate(lookalike.get()), S_PT_NO_CONFLICT);
    PrivateDevmode record = Valid();
    ASSERT_EQ(host->TicketToDevmode(lookalike.get(), &record), S_OK);
    EXPECT_TRUE(SameRecord(Valid(), record));
    EXPECT_EQ(testbed::XmlText(lookalike.get()), xml);
}

TEST_F(BadTicket, OurEntriesAreReadByNamespaceWhateverTheirPrefix) {
    PrivateDevmode want = Valid();
    com_ptr<IXMLDOMDocument2> ticket = TicketFor(want);
    ASSERT_TRUE(ticket);
    std::wstring xml = testbed::XmlText(ticket.get());
    for (auto [from, to] : {std::pair<std::wstring, std::wstring>{L"xmlns:psp=", L"xmlns:app7="},
                            {L"\"psp:", L"\"app7:"},
                            {L"xmlns:pskv11=", L"xmlns:k11="},
                            {L"\"pskv11:", L"\"k11:"}})
        for (size_t at = xml.find(from); at != std::wstring::npos; at = xml.find(from, at + to.size()))
            xml.replace(at, from.size(), to);
    // QName values inside text (xsi:type, option references) keep their prefixes working.
    com_ptr<IXMLDOMDocument2> renamed = testbed::LoadXml(xml);
    ASSERT_TRUE(renamed) << Narrow(xml);
    ASSERT_EQ(CountNodes(renamed.get(), L"//*[starts-with(@name,'psp:')]"), 0);
    PrivateDevmode got = testbed::TicketHost::DefaultRecord();
    ASSERT_EQ(host->TicketToDevmode(renamed.get(), &got), S_OK);
    EXPECT_TRUE(SameRecord(want, got)) << Narrow(xml);
}

TEST_F(BadTicket, EachBadValueIsCorrectedByValidationAndIgnoredByConversion) {
    // After validation the checked node holds one of `accepted` (kGone: it was removed).
    const std::wstring kGone = L"(removed)";
    struct Case {
        const char *what;
        std::wstring xpath;  // the value the application wrote badly
        const wchar_t *bad;
        std::wstring check;
        std::vector<std::wstring> accepted;
    };
    const std::wstring pin = Parameter(L"pskv11:JobPasscodeString");
    const std::wstring destination = Feature(L"psp:JobOutputDestination");
    const std::wstring cyan = Parameter(L"psp:JobColorBalanceCyan");
    const std::wstring user = Parameter(L"psp:JobHoldUserName");
    const Case cases[] = {
        {"five-digit PIN", pin, L"12345", pin, {kGone}},
        {"PIN with a 7", pin, L"1274", pin, {kGone}},
        {"PIN with a 0", pin, L"1034", pin, {kGone}},
        {"PIN of letters", pin, L"abcd", pin, {kGone}},
        {"absent watermark", Feature(L"psp:JobWatermark"), L"psp:Nowhere", Feature(L"psp:JobWatermark"), {L"psk:None"}},
        // PIN printing stays on, so the destination is confidential print or left to the passcode.
        {"unknown destination", destination, L"psp:Teleport", destination, {kGone, L"psp:ConfidentialPrint"}},
        {"reserve print with PIN printing on", destination, L"psp:ReservePrint", destination,
         {L"psp:ConfidentialPrint"}},
        {"balance out of range", cyan, L"9", cyan, {L"5"}},
        {"balance not a number", cyan, L"two", cyan, {kGone, L"0", L"2"}},
        {"user name with a quote", user, L"al\"ice", user, {kGone}},
        {"blank user name", user, L"   ", user, {kGone}},
        {"user name too long", user, L"abcdefghijklmnopqrstuvwxy", user, {kGone}},
    };
    const PrivateDevmode valid = Valid();
    com_ptr<IXMLDOMDocument2> good = TicketFor(valid);
    ASSERT_TRUE(good);
    for (const Case &c : cases) {
        com_ptr<IXMLDOMDocument2> ticket = Copy(good.get());
        ASSERT_TRUE(ticket);
        ASSERT_TRUE(testbed::SetNodeText(ticket.get(), c.xpath.c_str(), c.bad)) << c.what;
        const std::wstring foreign = ForeignXml(ticket.get());

        // Conversion ignores the one value; a confidential job stays confidential.
        com_ptr<IXMLDOMDocument2> converted = Copy(ticket.get());
        PrivateDevmode record = valid;
        EXPECT_EQ(host->TicketToDevmode(converted.get(), &record), S_OK) << c.what;
        EXPECT_TRUE(SameRecord(valid, record)) << c.what;

        EXPECT_EQ(host->Validate(ticket.get()), S_PT_CONFLICT_RESOLVED) << c.what;
        const std::wstring now =
            CountNodes(ticket.get(), c.check.c_str()) == 0 ? kGone : testbed::NodeText(ticket.get(), c.check.c_str());
        EXPECT_NE(std::find(c.accepted.begin(), c.accepted.end(), now), c.accepted.end())
            << c.what << ": " << Narrow(now);
        EXPECT_EQ(host->Validate(ticket.get()), S_PT_NO_CONFLICT) << c.what;
        EXPECT_EQ(ForeignXml(ticket.get()), foreign) << c.what;
    }
    EXPECT_FALSE(host->driverPartTouched);
}

TEST_F(BadTicket, OptionsThePrinterLacksAreCorrected) {
    PrivateDevmode fax = Valid();
    fax.outputDestination = DEST_FAX;
    com_ptr<IXMLDOMDocument2> ticket = TicketFor(fax);
    ASSERT_TRUE(ticket);
    // The same ticket on a printer without fax card and print-and-hold.
    ASSERT_NO_FATAL_FAILURE(Start(testbed::PrinterFeatures{}));
    EXPECT_EQ(host->Validate(ticket.get()), S_PT_CONFLICT_RESOLVED);
    const std::wstring destination = testbed::NodeText(ticket.get(), Feature(L"psp:JobOutputDestination").c_str());
    EXPECT_TRUE(destination.empty() || destination == L"psp:Printer") << Narrow(destination);
    EXPECT_EQ(CountNodes(ticket.get(), L"//*[starts-with(@name,'psp:JobFax') or starts-with(@name,'pskv11:') or "
                                       L"starts-with(@name,'psp:JobColor')]"),
              0);
    EXPECT_EQ(host->Validate(ticket.get()), S_PT_NO_CONFLICT);
}

TEST_F(BadTicket, DocumentsThatAreNoTicketAreRefusedAndTheDevmodeStaysWhole) {
    const wchar_t *documents[] = {
        (L"<psf:PrintCapabilities xmlns:psf='http://schemas.microsoft.com/windows/2003/08/printing/"
         L"printschemaframework' version='1'/>"),
        L"<PrintTicket version='1'><Feature name='JobOutputDestination'/></PrintTicket>",
        L"<psf:PrintTicket xmlns:psf='http://schemas.example.org/2026/finishing' version='1'/>",
    };
    const PrivateDevmode valid = Valid();
    for (const wchar_t *xml : documents) {
        com_ptr<IXMLDOMDocument2> doc = testbed::LoadXml(xml);
        ASSERT_TRUE(doc) << Narrow(xml);
        EXPECT_EQ(host->Validate(doc.get()), E_PRINTTICKET_FORMAT) << Narrow(xml);
        PrivateDevmode record = valid;
        EXPECT_TRUE(FAILED(host->TicketToDevmode(doc.get(), &record))) << Narrow(xml);
        EXPECT_TRUE(SameRecord(valid, record)) << Narrow(xml);
    }
    // An empty document, and none at all.
    com_ptr<IXMLDOMDocument2> empty = testbed::NewXmlDocument();
    ASSERT_TRUE(empty);
    EXPECT_EQ(host->Validate(empty.get()), E_PRINTTICKET_FORMAT);
    for (IXMLDOMDocument2 *doc : {empty.get(), static_cast<IXMLDOMDocument2 *>(nullptr)}) {
        PrivateDevmode record = valid;
        EXPECT_TRUE(FAILED(host->TicketToDevmode(doc, &record)));
        EXPECT_TRUE(SameRecord(valid, record));
    }
    EXPECT_FALSE(host->driverPartTouched);
}
