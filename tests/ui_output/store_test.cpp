// What the page takes over: into the working copy when it is left, into the
// driver's record at Apply, and into the driver key for the next job; and
// what it makes of stored values it cannot trust.
#include "tests/ui_output/output_fixture.h"

#include <cstring>

#include "tests/host/import_patch.h"

using namespace outputtest;

namespace {

class OutputStore : public OutputPageTest {};

std::wstring StoredName() {
    const StoredValue v = ReadStored(L"LastUserName");
    if (!v.exists || v.bytes.size() < sizeof(wchar_t)) return L"<none>";
    return std::wstring(reinterpret_cast<const wchar_t *>(v.bytes.data()), v.bytes.size() / sizeof(wchar_t) - 1);
}

FaxInfo SavedFax(const std::wstring &number, const std::wstring &name, const std::wstring &station) {
    FaxInfo fax;
    std::memset(&fax, 0, sizeof(fax));
    Fill(fax.recipientFaxNumber, number);
    Fill(fax.recipientName, name);
    Fill(fax.stationId, station);
    return fax;
}

TEST_F(OutputStore, HoldJobGoesIntoWorkWhenLeftAndIntoTheDriversRecordAtApply) {
    ASSERT_NE(Open(), nullptr);
    EnterConfidentialJob(L"jdoe", L"4321");
    Click(IDC_OUT_KEEP);
    const bool keep = Checked(IDC_OUT_KEEP);
    ASSERT_TRUE(Leave());
    EXPECT_EQ(ctx_->work.outputDestination, DEST_CONFIDENTIAL);
    EXPECT_STREQ(ctx_->work.holdUserName, L"jdoe");
    EXPECT_STREQ(ctx_->work.holdPin, L"4321");
    EXPECT_EQ(ctx_->work.keepDuplicateHeldJobs, keep ? 1u : 0u);
    EXPECT_EQ(Job().outputDestination, DEST_PRINTER) << "the driver's record waits for Apply";
    EXPECT_STREQ(Job().holdPin, L"");

    const StoredValue name = ReadStored(L"LastUserName");
    ASSERT_TRUE(name.exists);
    EXPECT_EQ(name.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(name.bytes.size(), (4u + 1) * sizeof(wchar_t));
    EXPECT_EQ(StoredName(), L"jdoe");

    ASSERT_TRUE(Apply());
    EXPECT_EQ(Job().outputDestination, DEST_CONFIDENTIAL);
    EXPECT_STREQ(Job().holdUserName, L"jdoe");
    EXPECT_STREQ(Job().holdPin, L"4321");
    EXPECT_EQ(Job().keepDuplicateHeldJobs, keep ? 1u : 0u);
}

TEST_F(OutputStore, ApplyOnThePageItselfChecksFirst) {
    ASSERT_NE(Open(), nullptr);
    EnterConfidentialJob(L"jdoe", L"12");
    EXPECT_FALSE(Apply());
    EXPECT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(Job().outputDestination, DEST_PRINTER);
    Type(IDC_OUT_PIN, L"1212");
    EXPECT_TRUE(Apply());
    EXPECT_STREQ(Job().holdPin, L"1212");
}

TEST_F(OutputStore, UserNameOfTwentyFourCharactersComesBackWithTheNextSheet) {
    const std::wstring name = L"abcdefghijklmnopqrstuvwx";
    ASSERT_NE(Open(), nullptr);
    EnterConfidentialJob(name);
    ASSERT_TRUE(Leave());
    const StoredValue stored = ReadStored(L"LastUserName");
    EXPECT_EQ(stored.bytes.size(), (24u + 1) * sizeof(wchar_t));
    EXPECT_EQ(StoredName(), name);

    // The stored name wins over the next job's own.
    Fill(Job().holdUserName, L"someone");
    Job().outputDestination = DEST_REPEAT;
    ASSERT_NE(Reopen(), nullptr);
    EXPECT_EQ(Text(IDC_OUT_USER), name);
}

TEST_F(OutputStore, TextsLongerThanTheirFieldsAreCut) {
    ASSERT_NE(Open(), nullptr);
    // Pasted past the edit's limit (a user can only type that many).
    EnterConfidentialJob(std::wstring(30, L'n'));
    ASSERT_TRUE(Leave());
    EXPECT_EQ(std::wstring(ctx_->work.holdUserName), std::wstring(24, L'n'));
    ASSERT_TRUE(Return());
    EnterFaxJob();
    Type(IDC_OUT_RECIPIENT, std::wstring(200, L'r'));
    ASSERT_TRUE(Leave());
    EXPECT_EQ(std::wstring(ctx_->work.fax.recipientName), std::wstring(127, L'r'));
}

TEST_F(OutputStore, FaxJobIsRememberedWholeAndShownWithTheNextSheet) {
    ASSERT_NE(Open(), nullptr);
    EnterFaxJob();
    Click(IDC_OUT_SEND_COVER);
    ctx_->coverPageWork.coverPageParts = kCoverRecipient | kCoverComments;
    Fill(ctx_->coverPageWork.comments, L"Two pages follow.");
    ASSERT_TRUE(Leave());
    const FaxInfo &fax = ctx_->work.fax;
    EXPECT_STREQ(fax.recipientName, L"Ada Recipient");
    EXPECT_STREQ(fax.recipientFaxNumber, L"+1 555 0100");
    EXPECT_STREQ(fax.stationId, L"Front Desk");
    EXPECT_EQ(fax.sendCoverPage, 1u);
    EXPECT_EQ(fax.resolution, 0u);
    EXPECT_EQ(fax.coverPageParts, kCoverRecipient | kCoverComments);
    EXPECT_STREQ(fax.comments, L"Two pages follow.");

    const StoredValue stored = ReadStored(L"FaxInfo");
    ASSERT_TRUE(stored.exists);
    EXPECT_EQ(stored.type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(stored.bytes.size(), 4748u);
    EXPECT_EQ(std::memcmp(stored.bytes.data(), &fax, sizeof(fax)), 0);

    ASSERT_TRUE(Apply());
    EXPECT_EQ(Job().outputDestination, DEST_FAX);
    EXPECT_EQ(std::memcmp(&Job().fax, &fax, sizeof(fax)), 0);

    // The next job has no fax details of its own: the stored ones are shown.
    Job().fax = FaxInfo{};
    ASSERT_NE(Reopen(), nullptr);
    EXPECT_EQ(Text(IDC_OUT_RECIPIENT), L"Ada Recipient");
    EXPECT_EQ(Text(IDC_OUT_FAX_NUMBER), L"+1 555 0100");
    EXPECT_EQ(Text(IDC_OUT_STATION), L"Front Desk");
    EXPECT_TRUE(Checked(IDC_OUT_SEND_COVER));
    EXPECT_EQ(ctx_->coverPageWork.coverPageParts, kCoverRecipient | kCoverComments);
}

TEST_F(OutputStore, StoredFaxInfoNamingNobodyIsIgnored) {
    const FaxInfo saved = SavedFax(L"", L"", L"Saved Station");
    ASSERT_TRUE(Store(L"FaxInfo", REG_BINARY, &saved, sizeof(saved)));
    Fill(Job().fax.recipientName, L"Job Person");
    Fill(Job().fax.stationId, L"Job Station");
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(Text(IDC_OUT_RECIPIENT), L"Job Person");
    EXPECT_EQ(Text(IDC_OUT_STATION), L"Job Station");

    // A number alone is enough for the stored details to win.
    const FaxInfo numbered = SavedFax(L"555 0142", L"", L"Saved Station");
    ASSERT_TRUE(Store(L"FaxInfo", REG_BINARY, &numbered, sizeof(numbered)));
    ASSERT_NE(Reopen(), nullptr);
    EXPECT_EQ(Text(IDC_OUT_FAX_NUMBER), L"555 0142");
    EXPECT_EQ(Text(IDC_OUT_STATION), L"Saved Station");
}

TEST_F(OutputStore, StoredValuesOfTheWrongTypeOrSizeAreIgnored) {
    Fill(Job().holdUserName, L"jobuser");
    Fill(Job().fax.recipientName, L"Job Person");
    const FaxInfo saved = SavedFax(L"555 0142", L"Saved Person", L"Saved Station");
    std::vector<BYTE> oversized(sizeof(FaxInfo) + 1, 0);
    std::memcpy(oversized.data(), &saved, sizeof(saved));
    const std::wstring longName(25, L'x');
    struct Case {
        const char *what;
        DWORD nameType;
        const void *name;
        DWORD nameBytes;
        DWORD faxType;
        const void *fax;
        DWORD faxBytes;
    } cases[] = {
        {"wrong types", REG_BINARY, L"bogus", 12, REG_SZ, &saved, sizeof(saved)},
        {"too large", REG_SZ, longName.c_str(), 26 * sizeof(wchar_t), REG_BINARY, oversized.data(),
         static_cast<DWORD>(oversized.size())},
        {"empty", REG_SZ, L"", 0, REG_BINARY, &saved, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(Store(L"LastUserName", c.nameType, c.name, c.nameBytes));
        ASSERT_TRUE(Store(L"FaxInfo", c.faxType, c.fax, c.faxBytes));
        ASSERT_NE(Open(), nullptr);
        EXPECT_EQ(Text(IDC_OUT_USER), L"jobuser");
        EXPECT_EQ(Text(IDC_OUT_RECIPIENT), L"Job Person");
        Close();
    }
}

TEST_F(OutputStore, ShortStoredValuesAreReadNoFurtherThanTheyGo) {
    // A name stored without its terminator, and fax details that stop
    // before the recipient's name.
    ASSERT_TRUE(Store(L"LastUserName", REG_SZ, L"kimXXXX", 3 * sizeof(wchar_t)));
    const FaxInfo saved = SavedFax(L"555 0142", L"Saved Person", L"Saved Station");
    ASSERT_TRUE(Store(L"FaxInfo", REG_BINARY, &saved, offsetof(FaxInfo, recipientName)));
    Fill(Job().fax.recipientName, L"Job Person");
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
                   IDC_OUT_SETUP_COVER, IDC_OUT_FAX_GROUP})
        EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_EQ(Text(IDC_OUT_RECIPIENT), L"Ada Recipient");
    EXPECT_EQ(Text(IDC_OUT_FAX_NUMBER), L"+1 555 0100");
    EXPECT_EQ(Text(IDC_OUT_STATION), L"Front Desk");
    EXPECT_TRUE(Checked(IDC_OUT_SEND_COVER));
    Choose(L"Fax");
    EXPECT_TRUE(Enabled(IDC_OUT_RECIPIENT));
    EXPECT_TRUE(Enabled(IDC_OUT_SETUP_COVER));
    EXPECT_EQ(Text(IDC_OUT_RECIPIENT), L"Ada Recipient");
}

LONG WINAPI FailingRegSetValueExW(HKEY, LPCWSTR, DWORD, DWORD, const BYTE *, DWORD) { return ERROR_ACCESS_DENIED; }

TEST_F(OutputStore, FailedRegistryWriteLosesNothingOfTheJob) {
    ImportPatch failing(testbed::UiPlugModule(), "advapi32.dll", "RegSetValueExW",
                        reinterpret_cast<void *>(&FailingRegSetValueExW));
    ASSERT_TRUE(failing.ok());
    ASSERT_NE(Open(), nullptr);
    EnterConfidentialJob(L"jdoe", L"4321");
    ASSERT_TRUE(Leave());
    EXPECT_STREQ(ctx_->work.holdUserName, L"jdoe");
    ASSERT_TRUE(Apply());
    EXPECT_EQ(Job().outputDestination, DEST_CONFIDENTIAL);
    EXPECT_STREQ(Job().holdUserName, L"jdoe");
    EXPECT_STREQ(Job().holdPin, L"4321");

    ASSERT_TRUE(Return());
    EnterFaxJob();
    ASSERT_TRUE(Leave());
    EXPECT_STREQ(ctx_->work.fax.recipientName, L"Ada Recipient");
    ASSERT_TRUE(Apply());
    EXPECT_EQ(Job().outputDestination, DEST_FAX);
    EXPECT_STREQ(Job().fax.recipientFaxNumber, L"+1 555 0100");
    EXPECT_STREQ(Job().fax.stationId, L"Front Desk");

    EXPECT_TRUE(boxes_.shown.empty()) << "a store that cannot be written is not the user's problem";
    EXPECT_FALSE(ReadStored(L"LastUserName").exists);
    EXPECT_FALSE(ReadStored(L"FaxInfo").exists);
}

}  // namespace
