// Which destinations the page offers for a printer's features, which one it
// selects for a stored job, and which controls go with each.
#include "tests/ui_output/output_fixture.h"

#include "tests/host/screenshot.h"

using namespace outputtest;

namespace {

using Entries = std::vector<std::pair<std::wstring, LRESULT>>;

const Entries kPrinterOnly = {{L"Printer", DEST_PRINTER}};
const Entries kWithFax = {{L"Printer", DEST_PRINTER}, {L"Fax", DEST_FAX}};
const Entries kWithHold = {{L"Printer", DEST_PRINTER},
                           {L"Confidential Print", DEST_CONFIDENTIAL},
                           {L"Reserve Print", DEST_RESERVE},
                           {L"Repeat Print", DEST_REPEAT},
                           {L"Verify Print", DEST_VERIFY}};

const int kFaxControls[] = {IDC_OUT_FAX_GROUP,        IDC_OUT_RECIPIENT_LABEL, IDC_OUT_RECIPIENT,
                            IDC_OUT_FAX_NUMBER_LABEL, IDC_OUT_FAX_NUMBER,      IDC_OUT_STATION_LABEL,
                            IDC_OUT_STATION,          IDC_OUT_RESOLUTION_LABEL, IDC_OUT_RESOLUTION,
                            IDC_OUT_SEND_COVER,       IDC_OUT_SETUP_COVER};
const int kHoldControls[] = {IDC_OUT_USER_LABEL, IDC_OUT_USER, IDC_OUT_PIN_LABEL, IDC_OUT_PIN};

class OutputDestinations : public OutputPageTest {};

TEST_F(OutputDestinations, PageJoinsTheSheetFirstOnlyForFaxOrHoldPrinters) {
    Describe(0);
    EXPECT_EQ(Register(), (std::vector<UINT>{IDD_ABOUT_DOCUMENT}));
    Close();
    Describe(kFaxCard, "False");
    EXPECT_EQ(Register(), (std::vector<UINT>{IDD_ABOUT_DOCUMENT})) << "a fax card set to False is no fax card";
    Close();
    for (unsigned features : {unsigned(kFaxCard), unsigned(kPrintAndHold)}) {
        Describe(features);
        EXPECT_EQ(Register(), (std::vector<UINT>{IDD_OUTPUT_OPTIONS_PAGE, IDD_ABOUT_DOCUMENT})) << features;
        Close();
    }
}

TEST_F(OutputDestinations, ListFollowsThePrintersFeatures) {
    struct Case {
        unsigned features;
        const char *faxCard;
        const Entries *entries;
        bool faxShown, holdShown, keepShown;
    } cases[] = {
        {kFaxCard, "True", &kWithFax, true, false, false},
        {kFaxCard, "tRUE", &kWithFax, true, false, false},
        {kPrintAndHold, "True", &kWithHold, false, true, false},
        {kPrintAndHold | kKeepPrevious, "True", &kWithHold, false, true, true},
        {kFaxCard | kPrintAndHold, "False", &kWithHold, false, true, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "features " << c.features << " FaxCard " << c.faxCard);
        Describe(c.features, c.faxCard);
        ASSERT_NE(Open(), nullptr);
        EXPECT_EQ(Listed(), *c.entries);
        for (int id : kFaxControls) EXPECT_EQ(Visible(id), c.faxShown) << id;
        for (int id : kHoldControls) EXPECT_EQ(Visible(id), c.holdShown) << id;
        EXPECT_EQ(Visible(IDC_OUT_KEEP), c.keepShown);
        Close();
    }
    Describe(kEverything);
    ASSERT_NE(Open(), nullptr);
    Entries all = kWithHold;
    all.insert(all.begin() + 1, {L"Fax", DEST_FAX});
    EXPECT_EQ(Listed(), all);
    HWND resolution = Item(IDC_OUT_RESOLUTION);
    ASSERT_EQ(SendMessageW(resolution, CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(Text(IDC_OUT_RESOLUTION), L"Fine");
}

TEST_F(OutputDestinations, StoredDestinationIsSelected) {
    struct Case {
        uint32_t stored;
        const wchar_t *selected;  // empty: none
        uint32_t working;
    } cases[] = {
        {DEST_PRINTER, L"Printer", DEST_PRINTER},
        {DEST_FILE, L"", DEST_FILE},
        {DEST_EPS, L"", DEST_EPS},
        {DEST_FAX, L"Fax", DEST_FAX},
        {DEST_CONFIDENTIAL, L"Confidential Print", DEST_CONFIDENTIAL},
        {DEST_RESERVE, L"Reserve Print", DEST_RESERVE},
        {DEST_REPEAT, L"Repeat Print", DEST_REPEAT},
        {DEST_VERIFY, L"Verify Print", DEST_VERIFY},
        {9, L"Printer", DEST_PRINTER},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "stored " << c.stored);
        Job().outputDestination = c.stored;
        ASSERT_NE(Open(), nullptr);
        EXPECT_EQ(SelectedDestination(), c.selected);
        EXPECT_EQ(ctx_->work.outputDestination, c.working);
        // Only the fax destination enables the fax controls.
        EXPECT_EQ(Enabled(IDC_OUT_RECIPIENT), c.stored == DEST_FAX);
        Close();
    }
}

TEST_F(OutputDestinations, JobBoundForAFileIsSentToThePrinterWhenLeftOrApplied) {
    Job().outputDestination = DEST_EPS;
    ASSERT_NE(Open(), nullptr);
    EXPECT_TRUE(Leave());
    EXPECT_EQ(ctx_->work.outputDestination, DEST_PRINTER);
    EXPECT_EQ(Job().outputDestination, DEST_EPS) << "the driver's record waits for Apply";
    EXPECT_TRUE(Apply());
    EXPECT_EQ(Job().outputDestination, DEST_PRINTER);
}

TEST_F(OutputDestinations, EachDestinationEnablesItsOwnControls) {
    ASSERT_NE(Open(), nullptr);
    struct Case {
        const wchar_t *destination;
        bool fax, user, pin, keep;
    } cases[] = {
        {L"Confidential Print", false, true, true, true}, {L"Reserve Print", false, true, false, true},
        {L"Repeat Print", false, true, false, true},      {L"Verify Print", false, true, false, true},
        {L"Fax", true, false, false, false},               {L"Printer", false, false, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(uitest::Narrow(c.destination));
        Choose(c.destination);
        for (int id : kFaxControls) {
            if (id == IDC_OUT_SETUP_COVER) continue;
            EXPECT_EQ(Enabled(id), c.fax) << id;
        }
        EXPECT_EQ(Enabled(IDC_OUT_USER), c.user);
        EXPECT_EQ(Enabled(IDC_OUT_USER_LABEL), c.user);
        EXPECT_EQ(Enabled(IDC_OUT_PIN), c.pin);
        EXPECT_EQ(Enabled(IDC_OUT_PIN_LABEL), c.pin);
        EXPECT_EQ(Enabled(IDC_OUT_KEEP), c.keep);
    }
    // The cover page button also waits for "Send cover page".
    Choose(L"Fax");
    EXPECT_FALSE(Checked(IDC_OUT_SEND_COVER));
    EXPECT_FALSE(Enabled(IDC_OUT_SETUP_COVER));
    Click(IDC_OUT_SEND_COVER);
    EXPECT_TRUE(Enabled(IDC_OUT_SETUP_COVER));
    Click(IDC_OUT_SEND_COVER);
    EXPECT_FALSE(Enabled(IDC_OUT_SETUP_COVER));
}

TEST_F(OutputDestinations, OpeningChangesNothingAndTheUsersEditsMarkTheSheet) {
    Fill(Job().holdUserName, L"jdoe");
    Fill(Job().fax.recipientName, L"Ada Recipient");
    Job().outputDestination = DEST_FAX;
    ASSERT_NE(Open(), nullptr);
    EXPECT_FALSE(sheet_->IsChanged()) << "filling the page is not the user's change";
    Type(IDC_OUT_STATION, L"Desk");
    EXPECT_TRUE(sheet_->IsChanged());
}

TEST_F(OutputDestinations, ShowingThePageAgainShowsWhatOtherPagesChanged) {
    Job().outputDestination = DEST_CONFIDENTIAL;
    Fill(Job().holdPin, L"1234");
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(Text(IDC_OUT_PIN), L"1234");
    ASSERT_TRUE(Leave());
    // A profile loaded on another page rewrites the working copy.
    ctx_->work.outputDestination = DEST_REPEAT;
    ctx_->work.keepDuplicateHeldJobs = 1;
    ASSERT_TRUE(Return());
    EXPECT_EQ(SelectedDestination(), L"Repeat Print");
    EXPECT_EQ(Text(IDC_OUT_PIN), L"");
    EXPECT_FALSE(Enabled(IDC_OUT_PIN));
    EXPECT_TRUE(Checked(IDC_OUT_KEEP));
    EXPECT_EQ(Listed().size(), 6u) << "the list keeps its entries";
}

TEST_F(OutputDestinations, ReadOnlyPageDisablesEverything) {
    ASSERT_NE(Open(DM_NOPERMISSION), nullptr);
    int children = 0;
    for (HWND child = GetWindow(page_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++children)
        EXPECT_FALSE(IsWindowEnabled(child)) << GetDlgCtrlID(child);
    EXPECT_EQ(children, 18);
}

TEST_F(OutputDestinations, PagePicturedForAPrinterWithFaxAndHold) {
    Job().outputDestination = DEST_FAX;
    Job().fax.sendCoverPage = 1;
    Fill(Job().fax.recipientName, L"Ada Recipient");
    Fill(Job().fax.recipientFaxNumber, L"+1 555 0100");
    Fill(Job().fax.stationId, L"Front Desk");
    Fill(Job().holdUserName, L"jdoe");
    ASSERT_NE(Open(), nullptr);
    sheet_->Pump(100);
    EXPECT_FALSE(testbed::SaveWindowPicture(sheet_->sheet(), L"output-options-fax").empty());
    Choose(L"Confidential Print");
    Type(IDC_OUT_PIN, L"1234");
    sheet_->Pump(100);
    EXPECT_FALSE(testbed::SaveWindowPicture(sheet_->sheet(), L"output-options-confidential").empty());
}

}  // namespace
