// Devmode -> ticket -> default devmode gives back every setting the ticket
// carries; the rest comes from the default devmode.
#include "tests/ui_print_ticket/ticket_fixture.h"

using namespace tickettest;

namespace {

class RoundTrip : public TicketTest {
protected:
    // Record i of eight: together they take every destination, watermark
    // order and colour value, and both states of every switch.
    PrivateDevmode Record(uint32_t i) {
        PrivateDevmode dm = testbed::TicketHost::DefaultRecord();
        const std::wstring n = std::to_wstring(i);
        dm.outputDestination = i;
        Fill(dm.holdUserName, L"user " + n);
        Fill(dm.holdPin, std::wstring(4, static_cast<wchar_t>(L'1' + i % 6)));
        dm.keepDuplicateHeldJobs = i % 2;
        Fill(dm.fax.recipientName, L"Recipient " + n);
        Fill(dm.fax.recipientFaxNumber, L"+49 30 " + n);
        Fill(dm.fax.stationId, L"Station " + n);
        dm.fax.sendCoverPage = (i + 1) % 2;
        dm.fax.coverPageParts = i;
        Fill(dm.fax.senderName, L"Sender " + n);
        Fill(dm.fax.senderCompany, L"Company & <" + n + L">");
        Fill(dm.fax.senderAddress, L"Street " + n + L"\r\nTown");
        Fill(dm.fax.senderFaxNumber, L"555-" + n);
        Fill(dm.fax.senderVoice, L"556-" + n);
        Fill(dm.fax.senderEmail, L"s" + n + L"@example.org");
        Fill(dm.fax.comments, L"Comment \"" + n + L"\"");
        dm.watermarkOrder = i % 4;
        dm.watermarksEnabled = dm.watermarkOrder != 0;
        dm.watermarkOverPage = i % 2;
        if (i % 3 != 2) dm.watermarks[0] = Stored(i % 2 ? kEscapeName : kDraftName);
        if (i % 3 == 1) dm.watermarks[1] = Stored(kDraftName);
        dm.color.correction = i % 4;
        dm.color.rgbImage = i % 5;
        dm.color.rgbText = (i + 1) % 5;
        dm.color.rgbGraphics = (i + 2) % 5;
        dm.color.cmykImage = dm.color.cmykText = dm.color.cmykGraphics = (i + 3) % 5;
        dm.color.balanceEnabled = i % 2;
        dm.color.balanceCyan = static_cast<int32_t>(i) - 5;
        dm.color.balanceMagenta = 5 - static_cast<int32_t>(i);
        dm.color.balanceYellow = static_cast<int32_t>(i % 3) - 1;
        dm.color.balanceBlack = static_cast<int32_t>(i / 2);
        dm.color.colorThrift = i % 3;
        return dm;
    }
};

}  // namespace

TEST_F(RoundTrip, EveryMappedSettingComesBackAndTheRestIsTheDefaults) {
    for (uint32_t i = 0; i < 8; ++i) {
        PrivateDevmode want = Record(i);
        PrivateDevmode sent = want;
        // Not carried by the ticket: these come back as the default has them.
        sent.rotate180 = 1;
        sent.accountNumberEnabled = 1;
        Fill(sent.accountNumber, L"4711");
        Fill(sent.outputFilePath, L"C:\\out\\job.prn");

        com_ptr<IXMLDOMDocument2> ticket = TicketFor(sent);
        ASSERT_TRUE(ticket);
        // The core driver's part is still there.
        EXPECT_EQ(CountNodes(ticket.get(), L"/psf:PrintTicket/psf:Feature[@name='psk:PageMediaSize']"), 1) << i;
        EXPECT_EQ(CountNodes(ticket.get(), L"/psf:PrintTicket/psf:Feature[@name='ns0000:JobStapleCorner']"), 1) << i;

        PrivateDevmode got = testbed::TicketHost::DefaultRecord();
        ASSERT_EQ(host->TicketToDevmode(ticket.get(), &got), S_OK) << i;
        EXPECT_TRUE(SameRecord(want, got)) << "record " << i << "\n" << Narrow(testbed::XmlText(ticket.get()));
    }
    EXPECT_FALSE(host->driverPartTouched);
}

TEST_F(RoundTrip, WritingTwiceReplacesThePluginPartInsteadOfAddingToIt) {
    com_ptr<IXMLDOMDocument2> ticket = TicketFor(Record(4));
    ASSERT_TRUE(ticket);
    const long features = CountNodes(ticket.get(), L"/psf:PrintTicket/*");
    PrivateDevmode second = Record(3);
    ASSERT_EQ(host->DevmodeToTicket(second, ticket.get()), S_OK);
    EXPECT_EQ(CountNodes(ticket.get(), L"/psf:PrintTicket/*"), features);
    PrivateDevmode got = testbed::TicketHost::DefaultRecord();
    ASSERT_EQ(host->TicketToDevmode(ticket.get(), &got), S_OK);
    EXPECT_TRUE(SameRecord(second, got));
}

TEST_F(RoundTrip, PrinterWithoutOptionsWritesOnlyWhatItOffers) {
    ASSERT_NO_FATAL_FAILURE(Start(testbed::PrinterFeatures{}));
    PrivateDevmode sent = Record(3);  // fax
    com_ptr<IXMLDOMDocument2> ticket = TicketFor(sent);
    ASSERT_TRUE(ticket);
    EXPECT_EQ(CountNodes(ticket.get(), L"//*[starts-with(@name,'psp:JobFax')]"), 0);
    EXPECT_EQ(CountNodes(ticket.get(), L"//*[@name='pskv11:JobPasscode' or @name='pskv11:JobPasscodeString']"), 0);
    EXPECT_EQ(CountNodes(ticket.get(), L"//*[starts-with(@name,'psp:JobColor') or @name='psp:JobTonerSaving']"), 0);
    EXPECT_EQ(CountNodes(ticket.get(), L"/psf:PrintTicket/psf:Feature[@name='psp:JobWatermark']"), 1);

    // A record that an application sent to a file still says so.
    sent.outputDestination = DEST_FILE;
    ASSERT_EQ(host->DevmodeToTicket(sent, ticket.get()), S_OK);
    EXPECT_EQ(testbed::NodeText(ticket.get(),
                                L"/psf:PrintTicket/psf:Feature[@name='psp:JobOutputDestination']/psf:Option/@name"),
              L"psp:File");
}
