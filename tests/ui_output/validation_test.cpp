// Leaving the page checks what the user entered, one refusal at a time in the
// order the page reads: the message, the offending control focused, and the
// page kept.
#include "tests/ui_output/output_fixture.h"

using namespace outputtest;

namespace {

const wchar_t kNoUserName[] = L"Please enter a user name.";
const wchar_t kQuoteInName[] = L"The user name may not contain quotation marks.";
const wchar_t kPinLength[] = L"Please enter a 4-digit PIN.";
const wchar_t kPinCharacters[] = L"Invalid characters for PIN.  Must be digits 1-6.";
const wchar_t kNoRecipient[] = L"Please enter a name for the fax recipient.";
const wchar_t kNoFaxNumber[] = L"Please enter a fax number for the recipient.";
const wchar_t kNoStation[] = L"Please enter a station name.";
const wchar_t kNoCoverParts[] =
    L"You have elected to send a cover page with the fax, but have not selected any components for the cover "
    L"page.  Please either select some components using the \"Setup Cover Page\" button or uncheck the \"Send "
    L"cover page\" box.";

class OutputValidation : public OutputPageTest {
protected:
    // Leaving is refused with exactly `text`, the focus on `control` and the
    // page still current; the job's working copy keeps its destination.
    void ExpectRefused(const wchar_t *text, int control) {
        boxes_.Clear();
        const uint32_t before = ctx_->work.outputDestination;
        EXPECT_FALSE(Leave());
        EXPECT_EQ(sheet_->CurrentPage(), page_);
        ASSERT_EQ(boxes_.shown.size(), 1u);
        const auto &box = boxes_.shown[0];
        EXPECT_EQ(box.text, text);
        EXPECT_TRUE(box.nullCaption);
        EXPECT_EQ(box.type, static_cast<UINT>(MB_ICONERROR));
        EXPECT_EQ(box.owner, page_);
        EXPECT_EQ(GetFocus(), Item(control));
        EXPECT_EQ(ctx_->work.outputDestination, before) << "a refused page takes nothing over";
    }
    void ExpectAccepted() {
        boxes_.Clear();
        EXPECT_TRUE(Leave());
        EXPECT_TRUE(boxes_.shown.empty()) << (boxes_.shown.empty() ? "" : uitest::Narrow(boxes_.shown[0].text));
        ASSERT_TRUE(Return());
    }
};

TEST_F(OutputValidation, ConfidentialPrintChecksTheUserNameThenThePin) {
    ASSERT_NE(Open(), nullptr);
    struct Step {
        const wchar_t *user;
        const wchar_t *pin;
        const wchar_t *message;  // null: accepted
        int control;
    } steps[] = {
        {L"", L"12", kNoUserName, IDC_OUT_USER},  // the name is read first
        {L"   ", L"1234", kNoUserName, IDC_OUT_USER},
        {L"\t ", L"1234", kNoUserName, IDC_OUT_USER},
        {L"jo\"e", L"1234", kQuoteInName, IDC_OUT_USER},
        {L"joe", L"123", kPinLength, IDC_OUT_PIN},
        {L"joe", L"", kPinLength, IDC_OUT_PIN},
        {L"joe", L"12345", kPinLength, IDC_OUT_PIN},
        {L"joe", L"1237", kPinCharacters, IDC_OUT_PIN},
        {L"joe", L"1204", kPinCharacters, IDC_OUT_PIN},
        {L"joe", L"12a4", kPinCharacters, IDC_OUT_PIN},
        {L"joe", L"1234", nullptr, 0},
        {L"j o e", L"6543", nullptr, 0},
    };
    for (const Step &s : steps) {
        SCOPED_TRACE(uitest::Narrow(std::wstring(L"user '") + s.user + L"' pin '" + s.pin + L"'"));
        EnterConfidentialJob(s.user, s.pin);
        if (s.message)
            ExpectRefused(s.message, s.control);
        else
            ExpectAccepted();
    }
}

TEST_F(OutputValidation, ReserveRepeatAndVerifyAskNoPin) {
    ASSERT_NE(Open(), nullptr);
    const std::pair<const wchar_t *, uint32_t> holds[] = {
        {L"Reserve Print", DEST_RESERVE}, {L"Repeat Print", DEST_REPEAT}, {L"Verify Print", DEST_VERIFY}};
    for (const auto &[destination, value] : holds) {
        SCOPED_TRACE(uitest::Narrow(destination));
        Choose(destination);
        Type(IDC_OUT_PIN, L"9");  // left over, and not looked at
        Type(IDC_OUT_USER, L" ");
        ExpectRefused(kNoUserName, IDC_OUT_USER);
        Type(IDC_OUT_USER, L"joe");
        ExpectAccepted();
        EXPECT_EQ(ctx_->work.outputDestination, value);
    }
}

TEST_F(OutputValidation, FaxChecksRecipientNumberStationAndCoverPage) {
    Job().fax.sendCoverPage = 0;
    Job().fax.coverPageParts = 0;
    ASSERT_NE(Open(), nullptr);
    EnterFaxJob();
    Type(IDC_OUT_RECIPIENT, L"  ");
    ExpectRefused(kNoRecipient, IDC_OUT_RECIPIENT);
    Type(IDC_OUT_RECIPIENT, L"Ada");
    Type(IDC_OUT_FAX_NUMBER, L"");
    ExpectRefused(kNoFaxNumber, IDC_OUT_FAX_NUMBER);
    Type(IDC_OUT_FAX_NUMBER, L"555");
    Type(IDC_OUT_STATION, L" ");
    ExpectRefused(kNoStation, IDC_OUT_STATION);
    Type(IDC_OUT_STATION, L"Desk");
    Click(IDC_OUT_SEND_COVER);
    ExpectRefused(kNoCoverParts, IDC_OUT_SETUP_COVER);
    Click(IDC_OUT_SEND_COVER);
    ExpectAccepted();
    EXPECT_EQ(ctx_->work.outputDestination, DEST_FAX);
}

TEST_F(OutputValidation, FaxFieldsAreNotCheckedForOtherDestinations) {
    ASSERT_NE(Open(), nullptr);
    Choose(L"Fax");
    Type(IDC_OUT_RECIPIENT, L"");
    Choose(L"Printer");
    ExpectAccepted();
    EXPECT_EQ(ctx_->work.outputDestination, DEST_PRINTER);
}

// A job that comes with a PIN the page would refuse, on a sheet where the
// user may change nothing: the page neither checks nor takes anything over,
// so the user can still leave it.
TEST_F(OutputValidation, ReadOnlyPageIsNeverRefused) {
    Job().outputDestination = DEST_CONFIDENTIAL;
    Fill(Job().holdPin, L"99");
    Fill(Job().holdUserName, L"jo\"e");
    ASSERT_NE(Open(DM_NOPERMISSION), nullptr);
    EXPECT_TRUE(Leave());
    EXPECT_TRUE(boxes_.shown.empty());
    EXPECT_STREQ(ctx_->work.holdPin, L"99");
    EXPECT_TRUE(Apply());
    EXPECT_STREQ(Job().holdPin, L"99");
    EXPECT_FALSE(ReadStored(L"LastUserName").exists) << "nothing is remembered from a read-only page";
}

}  // namespace
