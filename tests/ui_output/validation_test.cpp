// Leaving the page checks what the user entered, one refusal at a time in the
// order the page reads: the message, the offending control focused, the page
// kept and nothing taken over.
#include "tests/ui_output/output_fixture.h"

using namespace outputtest;

namespace {

const wchar_t kNoUser[] = L"Please enter a user name.";
const wchar_t kQuote[] = L"The user name may not contain quotation marks.";
const wchar_t kPinLength[] = L"Please enter a 4-digit PIN.";
const wchar_t kPinDigits[] = L"Invalid characters for PIN.  Must be digits 1-6.";

class OutputValidation : public OutputPageTest {
protected:
    // Refused with `text` (null: accepted, and the user comes back).
    void ExpectLeaving(const wchar_t *text, int control = 0) {
        boxes_.Clear();
        const uint32_t before = ctx_->work.outputDestination;
        if (!text) {
            EXPECT_TRUE(Leave());
            EXPECT_TRUE(boxes_.shown.empty()) << (boxes_.shown.empty() ? "" : uitest::Narrow(boxes_.shown[0].text));
            ASSERT_TRUE(Return());
            return;
        }
        EXPECT_FALSE(Leave());
        EXPECT_EQ(sheet_->CurrentPage(), page_);
        ASSERT_EQ(boxes_.shown.size(), 1u);
        EXPECT_EQ(boxes_.shown[0].text, text);
        EXPECT_TRUE(boxes_.shown[0].nullCaption);
        EXPECT_EQ(boxes_.shown[0].type, static_cast<UINT>(MB_ICONERROR));
        EXPECT_EQ(boxes_.shown[0].owner, page_);
        EXPECT_EQ(GetFocus(), Item(control));
        EXPECT_EQ(ctx_->work.outputDestination, before);
    }
};

TEST_F(OutputValidation, ConfidentialPrintChecksTheUserNameThenThePin) {
    ASSERT_NE(Open(), nullptr);
    struct Step { const wchar_t *user, *pin, *message; int control; } steps[] = {
        {L"", L"12", kNoUser, IDC_OUT_USER},          {L"  \t", L"1234", kNoUser, IDC_OUT_USER},
        {L"jo\"e", L"1234", kQuote, IDC_OUT_USER},    {L"joe", L"123", kPinLength, IDC_OUT_PIN},
        {L"joe", L"12345", kPinLength, IDC_OUT_PIN},  {L"joe", L"1237", kPinDigits, IDC_OUT_PIN},
        {L"joe", L"1204", kPinDigits, IDC_OUT_PIN},   {L"joe", L"12a4", kPinDigits, IDC_OUT_PIN},
        {L"j o e", L"6543", nullptr, 0}};
    for (const Step &s : steps) {
        SCOPED_TRACE(uitest::Narrow(std::wstring(s.user) + L"/" + s.pin));
        EnterConfidentialJob(s.user, s.pin);
        ExpectLeaving(s.message, s.control);
    }
}

TEST_F(OutputValidation, ReserveRepeatAndVerifyAskANameButNoPin) {
    ASSERT_NE(Open(), nullptr);
    const std::pair<const wchar_t *, uint32_t> holds[] = {
        {L"Reserve Print", DEST_RESERVE}, {L"Repeat Print", DEST_REPEAT}, {L"Verify Print", DEST_VERIFY}};
    for (const auto &[destination, value] : holds) {
        Choose(destination);
        Type(IDC_OUT_PIN, L"9");
        Type(IDC_OUT_USER, L" ");
        ExpectLeaving(kNoUser, IDC_OUT_USER);
        Type(IDC_OUT_USER, L"joe");
        ExpectLeaving(nullptr);
        EXPECT_EQ(ctx_->work.outputDestination, value);
    }
}

TEST_F(OutputValidation, FaxChecksRecipientNumberStationAndCoverPage) {
    Job().fax.coverPageParts = 0;
    ASSERT_NE(Open(), nullptr);
    EnterFaxJob();
    Type(IDC_OUT_RECIPIENT, L"  ");
    ExpectLeaving(L"Please enter a name for the fax recipient.", IDC_OUT_RECIPIENT);
    Type(IDC_OUT_RECIPIENT, L"Ada");
    Type(IDC_OUT_FAX_NUMBER, L"");
    ExpectLeaving(L"Please enter a fax number for the recipient.", IDC_OUT_FAX_NUMBER);
    Type(IDC_OUT_FAX_NUMBER, L"555");
    Type(IDC_OUT_STATION, L" ");
    ExpectLeaving(L"Please enter a station name.", IDC_OUT_STATION);
    Type(IDC_OUT_STATION, L"Desk");
    Click(IDC_OUT_SEND_COVER);
    ExpectLeaving(L"You have elected to send a cover page with the fax, but have not selected any components for "
                  L"the cover page.  Please either select some components using the \"Setup Cover Page\" button "
                  L"or uncheck the \"Send cover page\" box.",
                  IDC_OUT_SETUP_COVER);
    Click(IDC_OUT_SEND_COVER);
    ExpectLeaving(nullptr);
    EXPECT_EQ(ctx_->work.outputDestination, DEST_FAX);
    // Fax details are not asked for another destination.
    Type(IDC_OUT_RECIPIENT, L"");
    Choose(L"Printer");
    ExpectLeaving(nullptr);
}

// A job whose PIN and name the page would refuse, on a sheet where the user
// may change nothing: the page neither checks nor takes anything over.
TEST_F(OutputValidation, ReadOnlyPageIsDisabledAndNeverRefused) {
    Job().outputDestination = DEST_CONFIDENTIAL;
    Fill(Job().holdPin, L"99");
    Fill(Job().holdUserName, L"jo\"e");
    ASSERT_NE(Open(DM_NOPERMISSION), nullptr);
    int children = 0;
    for (HWND child = GetWindow(page_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++children)
        EXPECT_FALSE(IsWindowEnabled(child)) << GetDlgCtrlID(child);
    EXPECT_EQ(children, 18);
    EXPECT_TRUE(Leave());
    EXPECT_TRUE(boxes_.shown.empty());
    EXPECT_STREQ(ctx_->work.holdPin, L"99");
    EXPECT_TRUE(Apply());
    EXPECT_STREQ(Job().holdPin, L"99");
    EXPECT_TRUE(ReadStored(L"LastUserName").empty());
}

}  // namespace
