// The profile store against the real registry: what a saved profile holds,
// what loading restores and tells the driver, which settings still match a
// profile, and what values written by anything else do to it.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>

#include "tests/ui_profiles/profiles_fixture.h"
#include "ui/profiles/item_values.h"
#include "ui/profiles/profile_fields.h"
#include "ui/profiles/store.h"

using namespace profiletest;
using testbed::FakeDriverTree;

namespace {

void SetTreeA(FakeDriverTree &tree) {
    tree[FakeDriverTree::kOrientation].Sel = 1;
    tree[FakeDriverTree::kPaperSize].Sel = 2;
    tree[FakeDriverTree::kCopies].Sel = 3;
    wcscpy(tree.bannerText, L"Quarterly");
    tree[FakeDriverTree::kResolution].Sel = 1;
    tree[FakeDriverTree::kTrayMode].Sel = 2;
}

void SetTreeB(FakeDriverTree &tree) {
    tree[FakeDriverTree::kOrientation].Sel = 0;
    tree[FakeDriverTree::kPaperSize].Sel = 4;
    tree[FakeDriverTree::kCopies].Sel = 17;
    wcscpy(tree.bannerText, L"Draft");
    tree[FakeDriverTree::kResolution].Sel = 2;
    tree[FakeDriverTree::kTrayMode].Sel = 0;
}

DWORD AsDword(const RawValue &v) {
    DWORD d = 0;
    std::memcpy(&d, v.data.data(), std::min<size_t>(4, v.data.size()));
    return d;
}

// Every profile field given a value of its own that validation keeps.
PrivateDevmode DistinctRecord() {
    PrivateDevmode dm;
    std::memset(&dm, 0, sizeof(dm));
    MakeDefaultPrivateDevmode(&dm);
    dm.watermarksEnabled = 1;
    dm.watermarkOrder = 2;
    dm.watermarkOverPage = 1;
    wcscpy(dm.watermarks[0].name, L"Secret");
    dm.watermarks[0].pointSize = 77;
    wcscpy(dm.watermarks[1].text, L"Page %pagenumber%");
    dm.rotate180 = 1;
    dm.outputDestination = DEST_CONFIDENTIAL;
    dm.pageSizePolicy = 3;
    wcscpy(dm.outputFilePath, L"C:\\out\\job.prn");
    wcscpy(dm.holdUserName, L"jdoe");
    wcscpy(dm.holdPin, L"1234");
    dm.blockAppPostScript = 1;
    dm.compensatePrinterOffsets = 0;
    dm.accountNumberEnabled = 1;
    wcscpy(dm.accountNumber, L"4711");
    dm.discardOutput = 1;
    wcscpy(dm.fax.recipientFaxNumber, L"555-0100");
    wcscpy(dm.fax.comments, L"See attached");
    dm.fax.sendCoverPage = 1;
    dm.color.correction = 2;
    dm.color.balanceCyan = -3;
    dm.color.colorThrift = 1;
    dm.keepDuplicateHeldJobs = 1;
    dm.watermarkViaEscape = 1;
    wcscpy(dm.loadedProfileName, L"Report");
    dm.profileLoaded = 1;
    return dm;
}

HWND MakeListBox() {
    return CreateWindowExW(0, L"LISTBOX", L"", WS_POPUP | LBS_SORT | WS_HSCROLL, 0, 0, 200, 200, nullptr, nullptr,
                           nullptr, nullptr);
}

std::wstring ListEntry(HWND list, int i) {
    wchar_t text[256] = L"";
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
    return text;
}

using ProfileStore = ProfileStoreTest;

TEST_F(ProfileStore, SavedProfileNamesEachItemAndKeepsTheWholeRecord) {
    SetTreeA(tree_);
    ctx_->work.watermarkOrder = 2;
    ASSERT_TRUE(SaveProfile(tree_.items, L"Report", printer(), ctx_.get()));

    struct Expected {
        const wchar_t *name;
        DWORD value;
    } selections[] = {{L"1", 1}, {L"9", 2}, {L"3", 3}, {L"Resolution", 1}, {L"4321", 2}};
    for (const Expected &e : selections) {
        RawValue v;
        ASSERT_TRUE(ReadRaw(ProfileKey(L"Report"), e.name, &v)) << uitest::Narrow(e.name);
        EXPECT_EQ(v.type, static_cast<DWORD>(REG_DWORD)) << uitest::Narrow(e.name);
        EXPECT_EQ(v.data.size(), 4u);
        EXPECT_EQ(AsDword(v), e.value) << uitest::Narrow(e.name);
    }
    RawValue text;
    ASSERT_TRUE(ReadRaw(ProfileKey(L"Report"), FakeDriverTree::kBannerName, &text));
    EXPECT_EQ(text.type, static_cast<DWORD>(REG_SZ));
    ASSERT_EQ(text.data.size(), sizeof(L"Quarterly"));
    EXPECT_EQ(std::memcmp(text.data.data(), L"Quarterly", sizeof(L"Quarterly")), 0);

    RawValue record;
    ASSERT_TRUE(ReadRaw(ProfileKey(L"Report"), L"CustomDevData", &record));
    EXPECT_EQ(record.type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(record.data.size(), 7648u);
    EXPECT_EQ(std::memcmp(record.data.data(), &ctx_->work, 7648), 0);
    // The push button and the header without an option type store nothing.
    EXPECT_EQ(CountValues(ProfileKey(L"Report")), 7u);
}

TEST_F(ProfileStore, LoadRestoresTheItemsAndTellsTheDriverOncePerItem) {
    SetTreeA(tree_);
    ASSERT_TRUE(SaveProfile(tree_.items, L"Report", printer(), ctx_.get()));
    ASSERT_EQ(RegDeleteKeyValueW(HKEY_CURRENT_USER, ProfileKey(L"Report").c_str(), L"Resolution"), ERROR_SUCCESS);
    SetTreeB(tree_);
    tree_.ClearChangedFlags();
    host_.core.updateCalls.clear();

    EXPECT_TRUE(LoadProfile(ctx_.get(), L"Report", printer()));
    EXPECT_EQ(tree_[FakeDriverTree::kOrientation].Sel, 1);
    EXPECT_EQ(tree_[FakeDriverTree::kPaperSize].Sel, 2);
    EXPECT_EQ(tree_[FakeDriverTree::kCopies].Sel, 3);
    EXPECT_STREQ(tree_.bannerText, L"Quarterly");
    EXPECT_EQ(tree_[FakeDriverTree::kTrayMode].Sel, 2);
    for (auto i : {FakeDriverTree::kOrientation, FakeDriverTree::kPaperSize, FakeDriverTree::kCopies,
                   FakeDriverTree::kBannerText, FakeDriverTree::kTrayMode}) {
        EXPECT_TRUE(tree_[i].Flags & OPTIF_CHANGED) << i;
        EXPECT_EQ(UpdatesFor(tree_[i]), 1u) << i;
    }
    ASSERT_EQ(host_.core.updateCalls.size(), 5u);
    for (const auto &call : host_.core.updateCalls) {
        EXPECT_EQ(call.object, &host_.uiObject.object);
        EXPECT_EQ(call.previousSelection, 0u);
        EXPECT_EQ(call.mode, static_cast<DWORD>(OEMCUIP_DOCPROP));
    }
    // The value the profile lacks leaves its item alone, untold.
    EXPECT_EQ(tree_[FakeDriverTree::kResolution].Sel, 2);
    EXPECT_FALSE(tree_[FakeDriverTree::kResolution].Flags & OPTIF_CHANGED);
    EXPECT_EQ(UpdatesFor(tree_[FakeDriverTree::kResolution]), 0u);

    // A name without a key gets an empty one, changes nothing and matches.
    host_.core.updateCalls.clear();
    EXPECT_TRUE(LoadProfile(ctx_.get(), L"Nothing Yet", printer()));
    EXPECT_TRUE(uitest::KeyExists(HKEY_CURRENT_USER, ProfileKey(L"Nothing Yet")));
    EXPECT_TRUE(host_.core.updateCalls.empty());
    EXPECT_TRUE(ProfileMatchesSettings(L"Nothing Yet", printer(), ctx_.get()));
}

TEST_F(ProfileStore, ExactlyTheProfileFieldsTravel) {
    PrivateDevmode stored = DistinctRecord();
    ASSERT_TRUE(WriteRaw(ProfileKey(L"Fields"), L"CustomDevData", REG_BINARY, &stored, sizeof(stored)));
    ctx_->work.blockAppPostScript = 0;
    LoadProfile(ctx_.get(), L"Fields", printer());
    PrivateDevmode expected = stored;
    expected.blockAppPostScript = 0;
    EXPECT_EQ(std::memcmp(&ctx_->work, &expected, sizeof(expected)), 0) << "every profile field, nothing else";

    // And from the working copy into the driver's record on apply.
    driverDm_.blockAppPostScript = 1;
    ctx_->work.blockAppPostScript = 0;
    ASSERT_TRUE(CopyProfileFields(ctx_.get(), nullptr));
    expected.blockAppPostScript = 1;
    EXPECT_EQ(std::memcmp(&driverDm_, &expected, sizeof(expected)), 0);
}

TEST_F(ProfileStore, MatchingFollowsEachFieldsLetterCaseRule) {
    ctx_->work = DistinctRecord();
    SetTreeA(tree_);
    SaveProfile(tree_.items, L"Report", printer(), ctx_.get());
    ASSERT_TRUE(ProfileMatchesSettings(L"Report", printer(), ctx_.get()));

    PrivateDevmode saved = ctx_->work;
    wcscpy(ctx_->work.outputFilePath, L"C:\\OUT\\JOB.PRN");
    EXPECT_FALSE(ProfileMatchesSettings(L"Report", printer(), ctx_.get())) << "file paths compare exactly";
    ctx_->work = saved;
    wcscpy(ctx_->work.holdUserName, L"JDoe");
    EXPECT_FALSE(ProfileMatchesSettings(L"Report", printer(), ctx_.get()));
    ctx_->work = saved;
    wcscpy(ctx_->work.watermarks[0].name, L"SECRET");
    EXPECT_TRUE(ProfileMatchesSettings(L"Report", printer(), ctx_.get())) << "watermark names ignore case";
    ctx_->work = saved;
    wcscpy(ctx_->work.accountNumber, L"0815");
    ctx_->work.watermarks[0].pointSize = 12;
    EXPECT_TRUE(ProfileMatchesSettings(L"Report", printer(), ctx_.get())) << "fields that are not compared";
    ctx_->work = saved;
    ctx_->work.blockAppPostScript = 0;
    EXPECT_FALSE(ProfileMatchesSettings(L"Report", printer(), ctx_.get()));
    ctx_->work = saved;
    tree_[FakeDriverTree::kCopies].Sel = 4;
    EXPECT_FALSE(ProfileMatchesSettings(L"Report", printer(), ctx_.get()));
    tree_[FakeDriverTree::kCopies].Sel = 3;
    wcscpy(tree_.bannerText, L"quarterly");
    EXPECT_FALSE(ProfileMatchesSettings(L"Report", printer(), ctx_.get())) << "edit texts compare exactly";
}

// A profile saved before the printer description changed may hold options
// the items no longer offer: they are skipped, and the driver is not told.
TEST_F(ProfileStore, LoadSkipsWhatAnItemCannotTake) {
    std::wstring key = ProfileKey(L"Old");
    WriteDword(key, L"9", FakeDriverTree::kPaperSizes);  // one past the last paper size
    WriteDword(key, L"3", 5000);                         // copies go to 999
    WriteDword(key, L"4321", 3);                         // three states: 0..2
    WriteDword(key, L"1", 0xFFFFFFFF);
    const BYTE shortValue[2] = {1, 0};
    WriteRaw(key, L"Resolution", REG_BINARY, shortValue, sizeof(shortValue));
    tree_[FakeDriverTree::kPaperSize].Sel = 1;
    tree_[FakeDriverTree::kResolution].Sel = 2;

    LoadProfile(ctx_.get(), L"Old", printer());
    EXPECT_EQ(tree_[FakeDriverTree::kPaperSize].Sel, 1);
    EXPECT_EQ(tree_[FakeDriverTree::kCopies].Sel, 1);
    EXPECT_EQ(tree_[FakeDriverTree::kTrayMode].Sel, 0);
    EXPECT_EQ(tree_[FakeDriverTree::kOrientation].Sel, 0);
    EXPECT_EQ(tree_[FakeDriverTree::kResolution].Sel, 2) << "two bytes hold no selection";
    EXPECT_TRUE(host_.core.updateCalls.empty());
    for (const OPTITEM &item : tree_.items) EXPECT_FALSE(item.Flags & OPTIF_CHANGED);
    EXPECT_TRUE(ProfileMatchesSettings(L"Old", printer(), ctx_.get())) << "what loading skips does not count";

    // The ends of a range and the last option are taken.
    WriteDword(key, L"9", FakeDriverTree::kPaperSizes - 1);
    WriteDword(key, L"3", 999);
    LoadProfile(ctx_.get(), L"Old", printer());
    EXPECT_EQ(tree_[FakeDriverTree::kPaperSize].Sel, static_cast<LONG>(FakeDriverTree::kPaperSizes - 1));
    EXPECT_EQ(tree_[FakeDriverTree::kCopies].Sel, 999);
    EXPECT_EQ(host_.core.updateCalls.size(), 2u);
}

TEST_F(ProfileStore, EditTextNeverRunsPastTheDriversBuffer) {
    std::wstring key = ProfileKey(L"Long");
    std::wstring longText(300, L'x');  // written without a terminator
    WriteRaw(key, FakeDriverTree::kBannerName, REG_SZ, longText.data(), 300 * sizeof(wchar_t));
    tree_.bannerText[FakeDriverTree::kBannerChars] = L'#';
    LoadProfile(ctx_.get(), L"Long", printer());
    EXPECT_EQ(std::wcslen(tree_.bannerText), FakeDriverTree::kBannerChars - 1);
    EXPECT_EQ(tree_.bannerText[FakeDriverTree::kBannerChars], L'#') << "nothing written past the buffer";
    EXPECT_EQ(UpdatesFor(tree_[FakeDriverTree::kBannerText]), 1u);

    // Three bytes hold one character; an edit box that declares no buffer
    // size gets nothing.
    const BYTE odd[3] = {'Q', 0, 'R'};
    WriteRaw(key, FakeDriverTree::kBannerName, REG_SZ, odd, sizeof(odd));
    LoadProfile(ctx_.get(), L"Long", printer());
    EXPECT_STREQ(tree_.bannerText, L"Q");
    OPTTYPE *type = tree_[FakeDriverTree::kBannerText].pOptType;
    type->Count = 1;
    host_.core.updateCalls.clear();
    LoadProfile(ctx_.get(), L"Long", printer());
    EXPECT_STREQ(tree_.bannerText, L"Q");
    EXPECT_TRUE(host_.core.updateCalls.empty());
    type->Count = 2;
}

TEST_F(ProfileStore, TextLongerThanTheStoredCutStillMatchesItsProfile) {
    // An edit box with room for far more than a profile keeps.
    wchar_t buffer[400] = {};
    OPTPARAM params[2]{};
    params[1].IconID = sizeof(buffer);
    OPTTYPE type{};
    type.Type = TVOT_EDITBOX;
    type.Count = 2;
    type.pOptParam = params;
    OPTITEM item{};
    item.pName = const_cast<wchar_t *>(L"Notes");
    item.pOptType = &type;
    item.pSel = buffer;
    ctx_->driverItems = &item;
    ctx_->driverItemCount = 1;
    std::wstring text(200, L'n');
    wcscpy(buffer, text.c_str());

    SaveProfile(&item, L"Notes", printer(), ctx_.get());
    RawValue stored;
    ASSERT_TRUE(ReadRaw(ProfileKey(L"Notes"), L"Notes", &stored));
    EXPECT_EQ(stored.data.size(), 128u * sizeof(wchar_t)) << "127 characters and the terminator";
    EXPECT_TRUE(ProfileMatchesSettings(L"Notes", printer(), ctx_.get()));
    buffer[150] = L'm';
    EXPECT_TRUE(ProfileMatchesSettings(L"Notes", printer(), ctx_.get())) << "beyond the cut";
    buffer[100] = L'm';
    EXPECT_FALSE(ProfileMatchesSettings(L"Notes", printer(), ctx_.get()));
}

TEST_F(ProfileStore, ValuesWrittenByAnythingElseAreReadSafely) {
    std::wstring key = ProfileKey(L"Foreign");
    // Wrong types of the right size are read as selections (types are not
    // compared); a value name longer than any item's is passed over.
    DWORD four = 3;
    WriteRaw(key, L"9", REG_BINARY, &four, sizeof(four));
    WriteRaw(key, L"Resolution", REG_SZ, L"\x0001", 4);
    WriteDword(key, std::wstring(200, L'r'), 1);
    std::wstring name127(127, L'v');
    WriteDword(key, name127, 1);
    PrivateDevmode shortRecord = DistinctRecord();
    WriteRaw(key, L"customdevdata", REG_BINARY, &shortRecord, sizeof(shortRecord) - 1);
    {
        unique_hkey k;
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_WRITE, k.put()), ERROR_SUCCESS);
        for (int i = 0; i < 10000; ++i) {
            std::wstring n = L"extra" + std::to_wstring(i);
            DWORD v = static_cast<DWORD>(i);
            RegSetValueExW(k.get(), n.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE *>(&v), sizeof(v));
        }
    }
    PrivateDevmode before = ctx_->work;
    DWORD start = GetTickCount();
    LoadProfile(ctx_.get(), L"Foreign", printer());
    EXPECT_LT(GetTickCount() - start, 20000u) << "10,000 values are read once each";
    EXPECT_EQ(tree_[FakeDriverTree::kPaperSize].Sel, 3);
    EXPECT_EQ(tree_[FakeDriverTree::kResolution].Sel, 1);
    EXPECT_EQ(std::memcmp(&ctx_->work, &before, sizeof(before)), 0) << "a short record is not loaded";
    EXPECT_FALSE(ProfileMatchesSettings(L"Foreign", printer(), ctx_.get())) << "and counts as a difference";

    // A profile key with a name of 127 characters is listed; a longer one
    // (no profile can have it) is counted but not shown, as are the factory
    // defaults.
    WriteDword(ProfileKey(name127), L"1", 0);
    WriteDword(ProfileKey(std::wstring(200, L'k')), L"1", 0);
    WriteDword(ProfileKey(L"Factory Defaults"), L"1", 0);
    HWND list = MakeListBox();
    EXPECT_EQ(ListProfiles(list, printer()), 4u) << "the factory defaults are counted, not listed";
    ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(ListEntry(list, 0), L"Foreign");
    EXPECT_EQ(ListEntry(list, 1), name127);
    EXPECT_GT(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0), 127);
    DestroyWindow(list);
}

TEST_F(ProfileStore, RenameMovesEveryValueAndNamesAreFreeIgnoringCase) {
    SetTreeA(tree_);
    SaveProfile(tree_.items, L"Report", printer(), ctx_.get());
    EXPECT_FALSE(IsProfileNameFree(L"REPORT", printer()));
    EXPECT_TRUE(IsProfileNameFree(L"Reports", printer()));

    ASSERT_TRUE(RenameProfile(L"Report", L"Monthly", printer()));
    EXPECT_FALSE(uitest::KeyExists(HKEY_CURRENT_USER, ProfileKey(L"Report")));
    EXPECT_EQ(CountValues(ProfileKey(L"Monthly")), 7u);
    RawValue text;
    ReadRaw(ProfileKey(L"Monthly"), FakeDriverTree::kBannerName, &text);
    EXPECT_EQ(text.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(text.data.size(), sizeof(L"Quarterly"));

    // Never onto another profile, nor onto itself in other letters.
    SaveProfile(tree_.items, L"Weekly", printer(), ctx_.get());
    EXPECT_FALSE(RenameProfile(L"Monthly", L"weekly", printer()));
    EXPECT_FALSE(RenameProfile(L"Monthly", L"MONTHLY", printer()));
    EXPECT_EQ(CountValues(ProfileKey(L"Monthly")), 7u);

    EXPECT_TRUE(DeleteProfile(L"Monthly", printer()));
    EXPECT_TRUE(IsProfileNameFree(L"Monthly", printer()));
}

TEST_F(ProfileStore, FactoryDefaultsAreSavedOnceWhenTheDriversPageActivates) {
    std::wstring error;
    ASSERT_TRUE(host_.Create(&error) && host_.Publish() == S_OK && host_.BuildDevmodes(printer()));
    testbed::DriverTreeSession session(&host_, printer(), &tree_);
    ASSERT_TRUE(session.Attach());
    tree_[FakeDriverTree::kPaperSize].Sel = 2;
    EXPECT_EQ(session.Activate(nullptr), CPSUICB_ACTION_REINIT_ITEMS);
    tree_[FakeDriverTree::kPaperSize].Sel = 4;
    session.Activate(nullptr);
    RawValue paper, record;
    ASSERT_TRUE(ReadRaw(ProfileKey(L"Factory Defaults"), L"9", &paper));
    EXPECT_EQ(AsDword(paper), 2u) << "never rewritten";
    ASSERT_TRUE(ReadRaw(ProfileKey(L"Factory Defaults"), L"CustomDevData", &record));
    ASSERT_EQ(record.data.size(), 7648u);
    EXPECT_EQ(std::memcmp(record.data.data(), host_.privateDevmode, 7648), 0)
        << "before any sheet filled the working copy, the driver's record stands in";
}

}  // namespace
