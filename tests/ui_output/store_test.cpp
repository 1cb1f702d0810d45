// What the page takes over: into the working copy when it is left, into the
// driver's record at Apply, into the driver key for the next job; and what
// it makes of stored values it cannot trust.
#include "tests/ui_output/output_fixture.h"

#include <cstring>

#include "tests/host/import_patch.h"

using namespace outputtest;

namespace {

class OutputStore : public OutputPageTest {};

std::wstring StoredName() {
    std::vector<BYTE> v = ReadStored(L"LastUserName");
    return v.size() < 2 ? L"" : std::wstring(reinterpret_cast<const wchar_t *>(v.data()), v.size() / 2 - 1);
}

FaxInfo SavedFax(const std::wstring &number, const std::wstring &name) {
    FaxInfo fax;
    std::memset(&fax, 0, sizeof(fax));
    Fill(fax.recipientFaxNumber, number);
    Fill(fax.recipientName, name);
    Fill(fax.stationId, L"Saved Station");
    return fax;
}

TEST_F(OutputStore, HoldJobGoesIntoWorkWhenLeftAndIntoTheDriversRecordAtApply) {
    ASSERT_NE(Open(), nullptr);
    EnterConfidentialJob(L"jdoe", L"4321");
    Click(IDC_OUT_KEEP);
    const uint32_t keep = Checked(IDC_OUT_KEEP) ? 1 : 0;
    ASSERT_TRUE(Leave());
    EXPECT_EQ(ctx_->work.outputDestination, DEST_CONFIDENTIAL);
    EXPECT_STREQ(ctx_->work.holdUserName, L"jdoe");
    EXPECT_STREQ(ctx_->work.holdPin, L"4321");
    EXPECT_EQ(ctx_->work.keepDuplicateHeldJobs, keep);
    EXPECT_EQ(Job().outputDestination, DEST_PRINTER) << "the driver's record waits for Apply";
    DWORD type = 0;
    EXPECT_EQ(ReadStored(L"LastUserName", &type).size(), (4u + 1) * sizeof(wchar_t));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(StoredName(), L"jdoe");
    ASSERT_TRUE(Apply());
    EXPECT_EQ(Job().outputDestination, DEST_CONFIDENTIAL);
    EXPECT_STREQ(Job().holdUserName, L"jdoe");
    EXPECT_STREQ(Job().holdPin, L"4321");
    EXPECT_EQ(Job().keepDuplicateHeldJobs, keep);
}

TEST_F(OutputStore, UserNameIsTheStoredOneElseTheJobsElseTheLogonName) {
    wchar_t logon[64] = L"";
    DWORD chars = 64;
    ASSERT_TRUE(GetUserNameW(logon, &chars));
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(Text(IDC_OUT_USER), logon);
    Fill(Job().holdUserName, L"jobuser");
    ASSERT_NE(Reopen(), nullptr);
    EXPECT_EQ(Text(IDC_OUT_USER), L"jobuser");
    EnterConfidentialJob(std::wstring(30, L'w'));  // pasted past the edit's limit: cut to the field
    ASSERT_TRUE(Leave());
    const std::wstring longest(24, L'w');
    EXPECT_EQ(ctx_->work.holdUserName, longest);
    EXPECT_EQ(ReadStored(L"LastUserName").size(), (24u + 1) * sizeof(wchar_t));
    ASSERT_NE(Reopen(), nullptr);
    EXPECT_EQ(Text(IDC_OUT_USER), longest);
}

TEST_F(OutputStore, FaxJobIsRememberedWholeAndShownWithTheNextSheet) {
    ASSERT_NE(Open(), nullptr);
    EnterFaxJob();
    Click(IDC_OUT_SEND_COVER);
    ctx_->coverPageWork.coverPageParts = kCoverRecipient | kCoverComments;  // as the dialog's OK leaves it
    Fill(ctx_->coverPageWork.comments, L"Two pages follow.");
    ASSERT_TRUE(Leave());
    const FaxInfo &fax = ctx_->work.fax;
    EXPECT_STREQ(fax.recipientName, L"Ada Recipient");
    EXPECT_STREQ(fax.recipientFaxNumber, L"+1 555 0100");
    EXPECT_STREQ(fax.stationId, L"Front Desk");
    EXPECT_EQ(fax.sendCoverPage, 1u);
    EXPECT_EQ(fax.coverPageParts, kCoverRecipient | kCoverComments);
    EXPECT_STREQ(fax.comments, L"Two pages follow.");
    DWORD type = 0;
    const std::vector<BYTE> stored = ReadStored(L"FaxInfo", &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(stored.size(), 4748u);
    EXPECT_EQ(std::memcmp(stored.data(), &fax, sizeof(fax)), 0);
    ASSERT_TRUE(Apply());
    EXPECT_EQ(Job().outputDestination, DEST_FAX);
    EXPECT_EQ(std::memcmp(&Job().fax, &fax, sizeof(fax)), 0);

    Job().fax = FaxInfo{};  // the next job has no fax details of its own
    ASSERT_NE(Reopen(), nullptr);
    EXPECT_EQ(Text(IDC_OUT_RECIPIENT) + Text(IDC_OUT_FAX_NUMBER) + Text(IDC_OUT_STATION),
              L"Ada Recipient+1 555 0100Front Desk");
    EXPECT_TRUE(Checked(IDC_OUT_SEND_COVER));
    EXPECT_EQ(ctx_->coverPageWork.coverPageParts, kCoverRecipient | kCoverComments);
}

TEST_F(OutputStore, StoredFaxInfoNamingNobodyIsIgnored) {
    const FaxInfo nobody = SavedFax(L"", L""), numbered = SavedFax(L"555 0142", L"");
    Fill(Job().fax.stationId, L"Job Station");
    ASSERT_TRUE(Store(L"FaxInfo", REG_BINARY, &nobody, sizeof(nobody)));
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(Text(IDC_OUT_STATION), L"Job Station");
    ASSERT_TRUE(Store(L"FaxInfo", REG_BINARY, &numbered, sizeof(numbered)));
    ASSERT_NE(Reopen(), nullptr);
    EXPECT_EQ(Text(IDC_OUT_STATION), L"Saved Station") << "a number alone is someone";
}

TEST_F(OutputStore, StoredValuesOfTheWrongTypeOrSizeAreIgnoredAndShortOnesReadNoFurther) {
    Fill(Job().holdUserName, L"jobuser");
    Fill(Job().fax.recipientName, L"Job Person");
    const FaxInfo saved = SavedFax(L"555 0142", L"Saved Person");
    std::vector<BYTE> oversized(sizeof(FaxInfo) + 1, 0);
    const std::wstring longName(25, L'x');
    struct Case { DWORD nameType; const void *name; DWORD nameBytes; DWORD faxType; const void *fax; DWORD faxBytes; }
    cases[] = {{REG_BINARY, L"bogus", 12, REG_SZ, &saved, sizeof(saved)},
               {REG_SZ, longName.c_str(), 52, REG_BINARY, oversized.data(), sizeof(FaxInfo) + 1},
               {REG_SZ, L"", 0, REG_BINARY, &saved, 0}};
    for (const Case &c : cases) {
        ASSERT_TRUE(Store(L"LastUserName", c.nameType, c.name, c.nameBytes));
        ASSERT_TRUE(Store(L"FaxInfo", c.faxType, c.fax, c.faxBytes));
        ASSERT_NE(Open(), nullptr);
        EXPECT_EQ(Text(IDC_OUT_USER) + L"/" + Text(IDC_OUT_RECIPIENT), L"jobuser/Job Person") << c.nameBytes;
        Close();
    }
    // A name without its terminator, and fax details that stop before the recipient's name.
    ASSERT_TRUE(Store(L"LastUserName", REG_SZ, L"kimXXXX", 3 * sizeof(wchar_t)));
    ASSERT_TRUE(Store(L"FaxInfo", REG_BINARY, &saved, offsetof(FaxInfo, recipientName)));
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(Text(IDC_OUT_USER), L"kim");
    EXPECT_EQ(Text(IDC_OUT_FAX_NUMBER), L"555 0142");
    EXPECT_EQ(Text(IDC_OUT_RECIPIENT), L"");
}

TEST_F(OutputStore, LeavingTheFaxDisablesItsControlsAndKeepsTheirTexts) {
    ASSERT_NE(Open(), nullptr);
    EnterFaxJob();
    Click(IDC_OUT_SEND_COVER);
    Choose(L"Verify Print");
    for (int id : {IDC_OUT_RECIPIENT, IDC_OUT_FAX_NUMBER, IDC_OUT_STATION, IDC_OUT_RESOLUTION, IDC_OUT_SEND_COVER,
                   IDC_OUT_SETUP_COVER, IDC_OUT_FAX_GROUP, IDC_OUT_STATION_LABEL})
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_EQ(Text(IDC_OUT_RECIPIENT) + Text(IDC_OUT_FAX_NUMBER) + Text(IDC_OUT_STATION),
              L"Ada Recipient+1 555 0100Front Desk");
    EXPECT_TRUE(Checked(IDC_OUT_SEND_COVER));
    Choose(L"Fax");
    EXPECT_TRUE(Enabled(IDC_OUT_RECIPIENT));
    EXPECT_TRUE(Enabled(IDC_OUT_SETUP_COVER));
}

LONG WINAPI FailingRegSetValueExW(HKEY, LPCWSTR, DWORD, DWORD, const BYTE *, DWORD) { return ERROR_ACCESS_DENIED; }

TEST_F(OutputStore, FailedRegistryWriteLosesNothingOfTheJob) {
    ImportPatch failing(testbed::UiPlugModule(), "advapi32.dll", "RegSetValueExW",
                        reinterpret_cast<void *>(&FailingRegSetValueExW));
    ASSERT_TRUE(failing.ok());
    ASSERT_NE(Open(), nullptr);
    EnterConfidentialJob(L"jdoe", L"4321");
    ASSERT_TRUE(Apply());
    EXPECT_STREQ(ctx_->work.holdUserName, L"jdoe");
    EXPECT_STREQ(Job().holdUserName, L"jdoe");
    EXPECT_STREQ(Job().holdPin, L"4321");
    EnterFaxJob();
    ASSERT_TRUE(Apply());
    EXPECT_STREQ(ctx_->work.fax.recipientName, L"Ada Recipient");
    EXPECT_EQ(Job().outputDestination, DEST_FAX);
    EXPECT_STREQ(Job().fax.stationId, L"Front Desk");
    EXPECT_TRUE(boxes_.shown.empty()) << "the store is not the user's problem";
    EXPECT_TRUE(ReadStored(L"LastUserName").empty());
    EXPECT_TRUE(ReadStored(L"FaxInfo").empty());
}

}  // namespace
