// The cover page dialog opened from "Setup Cover Page": its enabling rules,
// and what OK and Cancel do to the cover page the page then takes into the job.
#include "tests/ui_output/output_fixture.h"

#include <cstring>

#include "tests/host/screenshot.h"

using namespace outputtest;
using testbed::GetText;

namespace {

const int kSenderControls[] = {IDC_COVER_SENDER_NAME_LABEL, IDC_COVER_SENDER_NAME, IDC_COVER_COMPANY,
                               IDC_COVER_ADDRESS,           IDC_COVER_SENDER_FAX,  IDC_COVER_VOICE,
                               IDC_COVER_EMAIL_LABEL,       IDC_COVER_EMAIL};

bool On(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

// Typed key by key: an edit's limit holds for typing.
void TypeKeys(HWND dialog, int id, wchar_t key, int count) {
    SetDlgItemTextW(dialog, id, L"");
    for (int i = 0; i < count; ++i) SendDlgItemMessageW(dialog, id, WM_CHAR, key, 1);
}

class CoverDialog : public OutputPageTest {
protected:
    // A faxed job whose cover page has every part, one bit more, and texts.
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
        Fill(Job().fax.senderEmail, L"sam@example.org");
        Fill(Job().fax.comments, L"Three pages follow.");
        ASSERT_NE(Open(), nullptr);
    }
    bool RunDialog(const std::function<void(HWND)> &act) {
        return testbed::RunModal([&] { Click(IDC_OUT_SETUP_COVER); }, act);
    }
};

TEST_F(CoverDialog, ShowsTheJobsCoverPageAndIsPictured) {
    ASSERT_TRUE(RunDialog([&](HWND d) {
        EXPECT_EQ(GetWindow(d, GW_OWNER), sheet_->sheet()) << "a page's dialog belongs to its sheet";
        for (int id : {IDC_COVER_RECIPIENT, IDC_COVER_SENDER, IDC_COVER_COMMENTS_CHECK})
            EXPECT_EQ(IsDlgButtonChecked(d, id), static_cast<UINT>(BST_CHECKED)) << id;
        EXPECT_EQ(GetText(d, IDC_COVER_SENDER_NAME) + GetText(d, IDC_COVER_EMAIL), L"Sam Sendersam@example.org");
        EXPECT_EQ(GetText(d, IDC_COVER_COMMENTS), L"Three pages follow.");
        testbed::PumpMessages(100);
        EXPECT_FALSE(testbed::SaveWindowPicture(d, L"fax-cover-page-dialog").empty());
        testbed::Click(d, IDCANCEL);
    }));
}

TEST_F(CoverDialog, EachPartEnablesItsFieldsAndOkWaitsForOne) {
    ASSERT_TRUE(RunDialog([&](HWND d) {
        testbed::Click(d, IDC_COVER_SENDER);
        for (int id : kSenderControls) EXPECT_FALSE(On(d, id)) << id;
        testbed::Click(d, IDC_COVER_COMMENTS_CHECK);
        EXPECT_FALSE(On(d, IDC_COVER_COMMENTS) || On(d, IDC_COVER_COMMENTS_GROUP));
        EXPECT_TRUE(On(d, IDOK));
        testbed::Click(d, IDC_COVER_RECIPIENT);
        EXPECT_FALSE(On(d, IDOK)) << "a cover page of no parts can only be cancelled";
        testbed::Click(d, IDC_COVER_COMMENTS_CHECK);
        EXPECT_TRUE(On(d, IDOK) && On(d, IDC_COVER_COMMENTS));
        testbed::Click(d, IDC_COVER_SENDER);
        for (int id : kSenderControls) EXPECT_TRUE(On(d, id)) << id;
        testbed::Click(d, IDCANCEL);
    }));
}

// Unchecked parts keep their texts; checked ones take what was typed.
TEST_F(CoverDialog, OkTakesTheCheckedPartsAndTheJobGetsThemWhenThePageIsLeft) {
    ASSERT_TRUE(RunDialog([&](HWND d) {
        testbed::SetText(d, IDC_COVER_SENDER_NAME, L"Typed Then Dropped");
        testbed::SetText(d, IDC_COVER_COMMENTS, L"One page follows.");
        testbed::Click(d, IDC_COVER_SENDER);
        testbed::Click(d, IDOK);
    }));
    const uint32_t parts = kCoverRecipient | kCoverComments | 0x100;
    EXPECT_EQ(ctx_->coverPageWork.coverPageParts, parts) << "bits of no part stay";
    EXPECT_STREQ(ctx_->coverPageWork.senderName, L"Sam Sender");
    EXPECT_STREQ(ctx_->coverPageWork.comments, L"One page follows.");
    EXPECT_STREQ(ctx_->work.fax.comments, L"Three pages follow.") << "the job changes when the page is left";
    ASSERT_TRUE(Leave());
    EXPECT_STREQ(ctx_->work.fax.comments, L"One page follows.");
    EXPECT_STREQ(ctx_->work.fax.senderName, L"Sam Sender");
    EXPECT_EQ(ctx_->work.fax.coverPageParts, parts);
    const std::vector<BYTE> stored = ReadStored(L"FaxInfo");
    ASSERT_EQ(stored.size(), sizeof(FaxInfo));
    EXPECT_STREQ(reinterpret_cast<const FaxInfo *>(stored.data())->comments, L"One page follows.");
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
        TypeKeys(d, IDC_COVER_ADDRESS, L'a', 50);
        TypeKeys(d, IDC_COVER_COMMENTS, L'c', 1030);
        testbed::Click(d, IDOK);
    }));
    EXPECT_EQ(std::wstring(ctx_->coverPageWork.senderAddress), std::wstring(45, L'a'));
    EXPECT_EQ(std::wstring(ctx_->coverPageWork.comments), std::wstring(1023, L'c'));
}

}  // namespace
