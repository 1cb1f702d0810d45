// Which destinations the page offers for a printer's features, which one it
// selects for a stored job, and which controls each destination enables.
#include "tests/ui_output/output_fixture.h"

#include "tests/host/screenshot.h"

using namespace outputtest;

namespace {

const int kFaxControls[] = {IDC_OUT_FAX_GROUP,  IDC_OUT_RECIPIENT,  IDC_OUT_FAX_NUMBER_LABEL, IDC_OUT_FAX_NUMBER,
                            IDC_OUT_STATION,    IDC_OUT_RESOLUTION, IDC_OUT_SEND_COVER};

class OutputDestinations : public OutputPageTest {};

TEST_F(OutputDestinations, PageComesFirstOnlyForFaxOrHoldPrinters) {
    const std::vector<UINT> without{IDD_WATERMARK_PAGE, IDD_PROFILES_PAGE, IDD_ABOUT_DOCUMENT};
    const std::vector<UINT> with{IDD_OUTPUT_OPTIONS_PAGE, IDD_WATERMARK_PAGE, IDD_PROFILES_PAGE, IDD_ABOUT_DOCUMENT};
    struct Case { unsigned features; const char *faxCard; const std::vector<UINT> &pages; } cases[] = {
        {0, "True", without}, {kFaxCard, "False", without}, {kFaxCard, "True", with}, {kPrintAndHold, "", with}};
    for (const Case &c : cases) {
        Describe(c.features, c.faxCard);
        EXPECT_EQ(Register(), c.pages) << c.features << " " << c.faxCard;
        Close();
    }
}

TEST_F(OutputDestinations, ListAndControlsFollowThePrintersFeatures) {
    const std::vector<std::wstring> fax{L"Printer=0", L"Fax=3"};
    const std::vector<std::wstring> hold{L"Printer=0", L"Confidential Print=4", L"Reserve Print=5",
                                         L"Repeat Print=6", L"Verify Print=7"};
    const std::vector<std::wstring> both{L"Printer=0",     L"Fax=3",          L"Confidential Print=4",
                                         L"Reserve Print=5", L"Repeat Print=6", L"Verify Print=7"};
    struct Case { unsigned features; const char *faxCard; const std::vector<std::wstring> &entries; } cases[] = {
        {kFaxCard, "tRUE", fax}, {kPrintAndHold, "", hold}, {kPrintAndHold | kFaxCard, "no", hold},
        {kEverything, "True", both}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.features << " " << c.faxCard);
        Describe(c.features, c.faxCard);
        ASSERT_NE(Open(), nullptr);
        EXPECT_EQ(Listed(), c.entries);
        const bool faxCard = c.entries.size() != hold.size();
        for (int id : kFaxControls) EXPECT_EQ(Visible(id), faxCard) << id;
        for (int id : {IDC_OUT_USER, IDC_OUT_PIN_LABEL}) EXPECT_EQ(Visible(id), (c.features & kPrintAndHold) != 0);
        EXPECT_EQ(Visible(IDC_OUT_KEEP), (c.features & kKeepPrevious) != 0);
        Close();
    }
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(GetWindowLongPtrW(Item(IDC_OUT_PIN), GWL_STYLE) & (ES_PASSWORD | ES_NUMBER), ES_PASSWORD | ES_NUMBER);
    EXPECT_EQ(SendMessageW(Item(IDC_OUT_RESOLUTION), CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(Text(IDC_OUT_RESOLUTION), L"Fine");
}

TEST_F(OutputDestinations, StoredDestinationIsSelected) {
    const wchar_t *selected[] = {L"Printer", L"", L"", L"Fax", L"Confidential Print", L"Reserve Print",
                                 L"Repeat Print", L"Verify Print", L"", L"Printer"};
    for (uint32_t stored : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 9u}) {
        Job().outputDestination = stored;
        ASSERT_NE(Open(), nullptr);
        EXPECT_EQ(Selected(), selected[stored]) << stored;
        EXPECT_EQ(ctx_->work.outputDestination, stored > DEST_VERIFY ? DEST_PRINTER : stored);
        EXPECT_EQ(Enabled(IDC_OUT_RECIPIENT), stored == DEST_FAX) << stored;
        Close();
    }
    // Nothing selected is the printer, once the page is left or applied.
    Job().outputDestination = DEST_EPS;
    ASSERT_NE(Open(), nullptr);
    ASSERT_TRUE(Leave());
    EXPECT_EQ(ctx_->work.outputDestination, DEST_PRINTER);
    EXPECT_EQ(Job().outputDestination, DEST_EPS) << "the driver's record waits for Apply";
    ASSERT_TRUE(Apply());
    EXPECT_EQ(Job().outputDestination, DEST_PRINTER);
}

TEST_F(OutputDestinations, EachDestinationEnablesWhatItTakes) {
    ASSERT_NE(Open(), nullptr);
    struct Case { const wchar_t *destination; bool fax, user, pin, keep; } cases[] = {
        {L"Confidential Print", false, true, true, true}, {L"Reserve Print", false, true, false, true},
        {L"Repeat Print", false, true, false, true},      {L"Verify Print", false, true, false, true},
        {L"Fax", true, false, false, false},               {L"Printer", false, false, false, false}};
    for (const Case &c : cases) {
        Choose(c.destination);
        const bool seen[] = {Enabled(IDC_OUT_RECIPIENT), Enabled(IDC_OUT_FAX_GROUP), Enabled(IDC_OUT_USER),
                             Enabled(IDC_OUT_USER_LABEL), Enabled(IDC_OUT_PIN), Enabled(IDC_OUT_PIN_LABEL),
                             Enabled(IDC_OUT_KEEP)};
        const bool wanted[] = {c.fax, c.fax, c.user, c.user, c.pin, c.pin, c.keep};
        EXPECT_TRUE(std::equal(seen, seen + 7, wanted)) << uitest::Narrow(c.destination);
    }
    Choose(L"Fax");
    EXPECT_FALSE(Enabled(IDC_OUT_SETUP_COVER)) << "the cover page waits for Send cover page";
    Click(IDC_OUT_SEND_COVER);
    EXPECT_TRUE(Enabled(IDC_OUT_SETUP_COVER));
    Click(IDC_OUT_SEND_COVER);
    EXPECT_FALSE(Enabled(IDC_OUT_SETUP_COVER));
}

TEST_F(OutputDestinations, ReturningShowsWhatOtherPagesChanged) {
    Job().outputDestination = DEST_CONFIDENTIAL;
    Fill(Job().holdPin, L"1234");
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(Text(IDC_OUT_PIN), L"1234");
    ASSERT_TRUE(Leave());
    ctx_->work.outputDestination = DEST_REPEAT;  // as a loaded profile does
    ctx_->work.keepDuplicateHeldJobs = 1;
    HWND frame = sheet_->sheet();
    SetWindowLongPtrW(frame, GWL_EXSTYLE, GetWindowLongPtrW(frame, GWL_EXSTYLE) | WS_EX_CONTEXTHELP);
    ASSERT_TRUE(Return());
    EXPECT_EQ(Selected(), L"Repeat Print");
    EXPECT_EQ(Text(IDC_OUT_PIN), L"");
    EXPECT_FALSE(Enabled(IDC_OUT_PIN));
    EXPECT_TRUE(Checked(IDC_OUT_KEEP));
    EXPECT_EQ(Listed().size(), 6u) << "the list is not filled twice";
    EXPECT_FALSE(GetWindowLongPtrW(frame, GWL_EXSTYLE) & WS_EX_CONTEXTHELP) << "the page has no context help";
}

TEST_F(OutputDestinations, PageOpensUnchangedAndIsPicturedForAPrinterWithFaxAndHold) {
    Job().outputDestination = DEST_FAX;
    Job().fax.sendCoverPage = 1;
    Fill(Job().fax.recipientName, L"Ada Recipient");
    Fill(Job().fax.recipientFaxNumber, L"+1 555 0100");
    Fill(Job().fax.stationId, L"Front Desk");
    ASSERT_NE(Open(), nullptr);
    EXPECT_FALSE(sheet_->IsChanged()) << "the page's own texts are not the user's change";
    sheet_->Pump(100);
    EXPECT_FALSE(testbed::SaveWindowPicture(sheet_->sheet(), L"output-options-fax").empty());
    EnterConfidentialJob();
    EXPECT_TRUE(sheet_->IsChanged());
    sheet_->Pump(100);
    EXPECT_FALSE(testbed::SaveWindowPicture(sheet_->sheet(), L"output-options-confidential").empty());
}

}  // namespace
