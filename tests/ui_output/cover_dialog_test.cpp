// The cover page dialog opened from the page's "Setup Cover Page" button:
// its parts and enabling rules, and what OK and Cancel do to the cover page
// that the page then takes into the job.
#include "tests/ui_output/output_fixture.h"

#include <cstring>

#include "tests/host/screenshot.h"

using namespace outputtest;

namespace {

const int kSenderControls[] = {IDC_COVER_SENDER_NAME_LABEL, IDC_COVER_SENDER_NAME, IDC_COVER_COMPANY_LABEL,
                               IDC_COVER_COMPANY,           IDC_COVER_ADDRESS_LABEL, IDC_COVER_ADDRESS,
                               IDC_COVER_SENDER_FAX_LABEL,  IDC_COVER_SENDER_FAX,   IDC_COVER_VOICE_LABEL,
                               IDC_COVER_VOICE,             IDC_COVER_EMAIL_LABEL,   IDC_COVER_EMAIL};

bool On(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
bool Ticked(HWND dialog, int id) { return SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// Typed key by key, as the edit's limit applies to typing.
void TypeKeys(HWND dialog, int id, wchar_t key, int count) {
    HWND edit = GetDlgItem(dialog, id);
    SetWindowTextW(edit, L"");
    for (int i = 0; i < count; ++i) SendMessageW(edit, WM_CHAR, key, 1);
}

class CoverDialog : public OutputPageTest {
protected:
    // A faxed job whose cover page has every part and every text.
    void SetUp() override {
        OutputPageTest::SetUp();
        Job().outputDestination = DEST_FAX;
        Job().fax.sendCoverPage = 1;
        Job().fax.coverPageParts = kCoverRecipient | kCoverSender | kCoverComments | 0x100;
        Fill(Job().fax.recipientName, L"Ada Recipient");
        Fill(Job().fax.recipientFaxNumber, L"+1 555 0100");
        Fill(Job().fax.stationId, L"Front Desk");
        Fill(Job().fax.senderName, L"Sam Sender");
        Fill(Job().fax.senderCompany, L"Sender Works");
        Fill(Job().fax.senderAddress, L"1 Long Road");
        Fill(Job().fax.senderFaxNumber, L"+1 555 0199");
        Fill(Job().fax.senderVoice, L"+1 555 0198");
        Fill(Job().fax.senderEmail, L"sam@example.org");
        Fill(Job().fax.comments, L"Three pages follow.");
        ASSERT_NE(Open(), nullptr);
    }
    // Opens the dialog from the page and runs `act` in it.
    bool RunDialog(const std::function<void(HWND)> &act) {
        return testbed::RunModal([&] { Click(IDC_OUT_SETUP_COVER); }, act);
    }
};

TEST_F(CoverDialog, ShowsTheCoverPageAndIsPictured) {
    ASSERT_TRUE(RunDialog([&](HWND d) {
        // A page is a child window; the dialog belongs to the sheet it is on.
        EXPECT_EQ(GetWindow(d, GW_OWNER), sheet_->sheet());
        wchar_t caption[128] = L"";
        GetWindowTextW(d, caption, 128);
        EXPECT_STREQ(caption, L"Enter Fax Cover Page Information");
        for (int id : {IDC_COVER_RECIPIENT, IDC_COVER_SENDER, IDC_COVER_COMMENTS_CHECK}) EXPECT_TRUE(Ticked(d, id));
        EXPECT_EQ(testbed::GetText(d, IDC_COVER_SENDER_NAME), L"Sam Sender");
        EXPECT_EQ(testbed::GetText(d, IDC_COVER_EMAIL), L"sam@example.org");
        EXPECT_EQ(testbed::GetText(d, IDC_COVER_COMMENTS), L"Three pages follow.");
        testbed::PumpMessages(100);
        EXPECT_FALSE(testbed::SaveWindowPicture(d, L"fax-cover-page-dialog").empty());
        testbed::Click(d, IDCANCEL);
    }));
}

TEST_F(CoverDialog, OkWaitsForAPartAndEachPartEnablesItsFields) {
    ASSERT_TRUE(RunDialog([&](HWND d) {
        testbed::Click(d, IDC_COVER_SENDER);
        for (int id : kSenderControls) EXPECT_FALSE(On(d, id)) << id;
        testbed::Click(d, IDC_COVER_COMMENTS_CHECK);
        EXPECT_FALSE(On(d, IDC_COVER_COMMENTS));
        EXPECT_FALSE(On(d, IDC_COVER_COMMENTS_GROUP));
        EXPECT_TRUE(On(d, IDOK));
        testbed::Click(d, IDC_COVER_RECIPIENT);
        EXPECT_FALSE(On(d, IDOK)) << "a cover page of no parts can only be cancelled";
        testbed::Click(d, IDC_COVER_COMMENTS_CHECK);
        EXPECT_TRUE(On(d, IDOK));
        EXPECT_TRUE(On(d, IDC_COVER_COMMENTS));
        testbed::Click(d, IDC_COVER_SENDER);
        for (int id : kSenderControls) EXPECT_TRUE(On(d, id)) << id;
        testbed::Click(d, IDCANCEL);
    }));
}

TEST_F(CoverDialog, OkTakesTheTextsAndTheJobGetsThemWhenThePageIsLeft) {
    ASSERT_TRUE(RunDialog([&](HWND d) {
        testbed::SetText(d, IDC_COVER_SENDER_NAME, L"Kim Sender");
        testbed::SetText(d, IDC_COVER_COMMENTS, L"One page follows.");
        testbed::Click(d, IDC_COVER_RECIPIENT);
        testbed::Click(d, IDOK);
    }));
    EXPECT_EQ(ctx_->coverPageWork.coverPageParts, kCoverSender | kCoverComments | 0x100u) << "other bits stay";
    EXPECT_STREQ(ctx_->coverPageWork.senderName, L"Kim Sender");
    EXPECT_STREQ(ctx_->coverPageWork.comments, L"One page follows.");
    EXPECT_STREQ(ctx_->work.fax.senderName, L"Sam Sender") << "the job changes when the page is left";
    ASSERT_TRUE(Leave());
    EXPECT_STREQ(ctx_->work.fax.senderName, L"Kim Sender");
    EXPECT_STREQ(ctx_->work.fax.comments, L"One page follows.");
    EXPECT_EQ(ctx_->work.fax.coverPageParts, kCoverSender | kCoverComments | 0x100u);
    const StoredValue stored = ReadStored(L"FaxInfo");
    ASSERT_EQ(stored.bytes.size(), sizeof(FaxInfo));
    EXPECT_STREQ(reinterpret_cast<const FaxInfo *>(stored.bytes.data())->senderName, L"Kim Sender");
}

TEST_F(CoverDialog, UncheckedSenderKeepsTheSenderTexts) {
    ASSERT_TRUE(RunDialog([&](HWND d) {
        testbed::SetText(d, IDC_COVER_SENDER_NAME, L"Typed Then Dropped");
        testbed::Click(d, IDC_COVER_SENDER);
        testbed::Click(d, IDOK);
    }));
    EXPECT_EQ(ctx_->coverPageWork.coverPageParts & kCoverSender, 0u);
    EXPECT_STREQ(ctx_->coverPageWork.senderName, L"Sam Sender");
    EXPECT_STREQ(ctx_->coverPageWork.senderEmail, L"sam@example.org");
}

TEST_F(CoverDialog, CancelChangesNothing) {
    const CoverPageWork before = ctx_->coverPageWork;
    ASSERT_TRUE(RunDialog([&](HWND d) {
        testbed::SetText(d, IDC_COVER_SENDER_NAME, L"Not Kept");
        testbed::Click(d, IDC_COVER_COMMENTS_CHECK);
        testbed::Click(d, IDCANCEL);
    }));
    EXPECT_EQ(std::memcmp(&before, &ctx_->coverPageWork, sizeof(before)), 0);
    ASSERT_TRUE(Leave());
    EXPECT_STREQ(ctx_->work.fax.senderName, L"Sam Sender");
}

TEST_F(CoverDialog, TypedTextsStopAtTheirLimits) {
    ASSERT_TRUE(RunDialog([&](HWND d) {
        TypeKeys(d, IDC_COVER_SENDER_NAME, L'n', 50);
        TypeKeys(d, IDC_COVER_ADDRESS, L'a', 50);
        TypeKeys(d, IDC_COVER_COMMENTS, L'c', 1030);
        testbed::Click(d, IDOK);
    }));
    EXPECT_EQ(std::wstring(ctx_->coverPageWork.senderName), std::wstring(45, L'n'));
    EXPECT_EQ(std::wstring(ctx_->coverPageWork.senderAddress), std::wstring(45, L'a'));
    EXPECT_EQ(std::wstring(ctx_->coverPageWork.comments), std::wstring(1023, L'c'));
}

TEST_F(CoverDialog, ACoverPageNotSentKeepsTheJobsCoverPage) {
    ASSERT_TRUE(RunDialog([&](HWND d) {
        testbed::SetText(d, IDC_COVER_SENDER_NAME, L"Kim Sender");
        testbed::Click(d, IDOK);
    }));
    Click(IDC_OUT_SEND_COVER);
    ASSERT_FALSE(Checked(IDC_OUT_SEND_COVER));
    ASSERT_TRUE(Leave());
    EXPECT_EQ(ctx_->work.fax.sendCoverPage, 0u);
    EXPECT_STREQ(ctx_->work.fax.senderName, L"Sam Sender");
}

}  // namespace
