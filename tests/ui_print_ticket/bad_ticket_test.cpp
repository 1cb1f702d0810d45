// Tickets the plug-in did not write: foreign entries pass untouched, a bad
// value is corrected by validation and ignored by conversion, and a document
// that is no ticket is refused without touching the devmode.
#include "tests/ui_print_ticket/ticket_fixture.h"

using namespace tickettest;
using testbed::ComRef;

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
    ComRef<IXMLDOMDocument2> Copy(IXMLDOMDocument2 *doc) { return testbed::LoadXml(testbed::XmlText(doc)); }
    std::wstring ForeignXml(IXMLDOMDocument2 *doc) {
        return testbed::NodeText(doc, kForeign) + L"|" + std::to_wstring(CountNodes(doc, kForeign)) + L"|" +
               testbed::NodeText(doc, L"/psf:PrintTicket/psf:Feature[@name='ns0000:JobStapleCorner']/psf:Option/@name");
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
    ComRef<IXMLDOMDocument2> ticket = TicketFor(Valid());
    ASSERT_TRUE(ticket);
    ComRef<IXMLDOMDocument2> core = testbed::CoreTicket();
    const std::wstring before = ForeignXml(core.get());
    EXPECT_EQ(ForeignXml(ticket.get()), before);
    EXPECT_EQ(testbed::NodeText(ticket.get(), L"/psf:PrintTicket/psf:ParameterInit[@name='psk:JobCopiesAllDocuments']"),
              L"1");
    EXPECT_EQ(host->Validate(ticket.get()), testbed::kTicketNoConflict);
    EXPECT_EQ(ForeignXml(ticket.get()), before);

    // A foreign feature named like one of ours is not ours.
    ComRef<IXMLDOMDocument2> lookalike = testbed::LoadXml(
        L"<psf:PrintTicket xmlns:psf='http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework' "
        L"xmlns:q='http://schemas.example.org/2026/finishing' version='1'>"
        L"<psf:Feature name='q:JobOutputDestination'><psf:Option name='q:Fax'/></psf:Feature></psf:PrintTicket>");
    ASSERT_TRUE(lookalike);
    const std::wstring xml = testbed::XmlText(lookalike.get());
    EXPECT_EQ(host->Validate(lookalike.get()), testbed::kTicketNoConflict);
    PrivateDevmode record = Valid();
    ASSERT_EQ(host->TicketToDevmode(lookalike.get(), &record), S_OK);
    EXPECT_TRUE(SameRecord(Valid(), record));
    EXPECT_EQ(testbed::XmlText(lookalike.get()), xml);
}

TEST_F(BadTicket, OurEntriesAreReadByNamespaceWhateverTheirPrefix) {
    PrivateDevmode want = Valid();
    ComRef<IXMLDOMDocument2> ticket = TicketFor(want);
    ASSERT_TRUE(ticket);
    std::wstring xml = testbed::XmlText(ticket.get());
    for (auto [from, to] : {std::pair<std::wstring, std::wstring>{L"xmlns:psp=", L"xmlns:app7="},
                            {L"\"psp:", L"\"app7:"},
                            {L"xmlns:pskv11=", L"xmlns:k11="},
                            {L"\"pskv11:", L"\"k11:"}})
        for (size_t at = xml.find(from); at != std::wstring::npos; at = xml.find(from, at + to.size()))
            xml.replace(at, from.size(), to);
    // QName values inside text (xsi:type, option references) keep their prefixes working.
    ComRef<IXMLDOMDocument2> renamed = testbed::LoadXml(xml);
    ASSERT_TRUE(renamed) << Narrow(xml);
    ASSERT_EQ(CountNodes(renamed.get(), L"//*[starts-with(@name,'psp:')]"), 0);
    PrivateDevmode got = testbed::TicketHost::DefaultRecord();
    ASSERT_EQ(host->TicketToDevmode(renamed.get(), &got), S_OK);
    EXPECT_TRUE(SameRecord(want, got)) << Narrow(xml);
}

TEST_F(BadTicket, EachBadValueIsCorrectedByValidationAndIgnoredByConversion) {
    struct Case {
        const char *what;
        std::wstring xpath;     // the value the application wrote badly
        const wchar_t *bad;
        std::wstring check;     // after validation: this node's text ...
        const wchar_t *fixed;   // ... is this (nullptr: the node is gone)
    };
    const std::wstring pin = Parameter(L"pskv11:JobPasscodeString");
    const Case cases[] = {
        {"five-digit PIN", pin, L"12345", pin, nullptr},
        {"PIN with a 7", pin, L"1274", pin, nullptr},
        {"PIN with a 0", pin, L"1034", pin, nullptr},
        {"PIN of letters", pin, L"abcd", pin, nullptr},
        {"absent watermark", Feature(L"psp:JobWatermark"), L"psp:Nowhere", Feature(L"psp:JobWatermark"), L"psk:None"},
        {"unknown destination", Feature(L"psp:JobOutputDestination"), L"psp:Teleport",
         Feature(L"psp:JobOutputDestination"), L"psp:ConfidentialPrint"},
        {"balance out of range", Parameter(L"psp:JobColorBalanceCyan"), L"9", Parameter(L"psp:JobColorBalanceCyan"),
         L"5"},
        {"balance not a number", Parameter(L"psp:JobColorBalanceCyan"), L"two",
         Parameter(L"psp:JobColorBalanceCyan"), nullptr},
        {"user name with a quote", Parameter(L"psp:JobHoldUserName"), L"al\"ice", Parameter(L"psp:JobHoldUserName"),
         nullptr},
        {"blank user name", Parameter(L"psp:JobHoldUserName"), L"   ", Parameter(L"psp:JobHoldUserName"), nullptr},
        {"reserve print with PIN printing on", Feature(L"psp:JobOutputDestination"), L"psp:ReservePrint",
         Feature(L"psp:JobOutputDestination"), L"psp:ConfidentialPrint"},
    };
    const PrivateDevmode valid = Valid();
    ComRef<IXMLDOMDocument2> good = TicketFor(valid);
    ASSERT_TRUE(good);
    for (const Case &c : cases) {
        ComRef<IXMLDOMDocument2> ticket = Copy(good.get());
        ASSERT_TRUE(ticket);
        ASSERT_TRUE(testbed::SetNodeText(ticket.get(), c.xpath.c_str(), c.bad)) << c.what;
        const std::wstring foreign = ForeignXml(ticket.get());

        // Conversion ignores the one value; a confidential job stays confidential.
        ComRef<IXMLDOMDocument2> converted = Copy(ticket.get());
        PrivateDevmode record = valid;
        EXPECT_EQ(host->TicketToDevmode(converted.get(), &record), S_OK) << c.what;
        EXPECT_TRUE(SameRecord(valid, record)) << c.what;

        EXPECT_EQ(host->Validate(ticket.get()), testbed::kTicketConflictResolved) << c.what;
        if (c.fixed) {
            EXPECT_EQ(testbed::NodeText(ticket.get(), c.check.c_str()), c.fixed) << c.what;
        } else {
            EXPECT_EQ(CountNodes(ticket.get(), c.check.c_str()), 0) << c.what;
        }
        EXPECT_EQ(host->Validate(ticket.get()), testbed::kTicketNoConflict) << c.what;
        EXPECT_EQ(ForeignXml(ticket.get()), foreign) << c.what;
    }
    EXPECT_FALSE(host->driverPartTouched);
}

TEST_F(BadTicket, OptionsThePrinterLacksAreCorrected) {
    PrivateDevmode fax = Valid();
    fax.outputDestination = DEST_FAX;
    ComRef<IXMLDOMDocument2> ticket = TicketFor(fax);
    ASSERT_TRUE(ticket);
    // The same ticket on a printer without fax card and print-and-hold.
    ASSERT_NO_FATAL_FAILURE(Start(testbed::PrinterFeatures{}));
    EXPECT_EQ(host->Validate(ticket.get()), testbed::kTicketConflictResolved);
    const std::wstring destination = testbed::NodeText(ticket.get(), Feature(L"psp:JobOutputDestination").c_str());
    EXPECT_TRUE(destination.empty() || destination == L"psp:Printer") << Narrow(destination);
    EXPECT_EQ(CountNodes(ticket.get(), L"//*[starts-with(@name,'psp:JobFax') or starts-with(@name,'pskv11:')]"), 0);
    EXPECT_EQ(host->Validate(ticket.get()), testbed::kTicketNoConflict);
}

TEST_F(BadTicket, DocumentsThatAreNoTicketAreRefusedAndTheDevmodeStaysWhole) {
    const wchar_t *documents[] = {
        L"<psf:PrintCapabilities xmlns:psf='http://schemas.microsoft.com/windows/2003/08/printing/"
        L"printschemaframework' version='1'/>",
        L"<PrintTicket version='1'><Feature name='JobOutputDestination'/></PrintTicket>",
        L"<psf:PrintTicket xmlns:psf='http://schemas.example.org/2026/finishing' version='1'/>",
    };
    const PrivateDevmode valid = Valid();
    for (const wchar_t *xml : documents) {
        ComRef<IXMLDOMDocument2> doc = testbed::LoadXml(xml);
        ASSERT_TRUE(doc) << Narrow(xml);
        EXPECT_EQ(host->Validate(doc.get()), testbed::kTicketFormatError) << Narrow(xml);
        PrivateDevmode record = valid;
        EXPECT_TRUE(FAILED(host->TicketToDevmode(doc.get(), &record))) << Narrow(xml);
        EXPECT_TRUE(SameRecord(valid, record)) << Narrow(xml);
    }
    // An empty document, and none at all.
    ComRef<IXMLDOMDocument2> empty = testbed::NewXmlDocument();
    ASSERT_TRUE(empty);
    EXPECT_EQ(host->Validate(empty.get()), testbed::kTicketFormatError);
    for (IXMLDOMDocument2 *doc : {empty.get(), static_cast<IXMLDOMDocument2 *>(nullptr)}) {
        PrivateDevmode record = valid;
        EXPECT_TRUE(FAILED(host->TicketToDevmode(doc, &record)));
        EXPECT_TRUE(SameRecord(valid, record));
    }
    EXPECT_FALSE(host->driverPartTouched);
}
