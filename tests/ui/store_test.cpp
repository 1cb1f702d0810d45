// The watermark store against the prefix's real registry: the current user,
// the default user (".Default" as Wine spells it) and a further user hive
// created under HKEY_USERS.
#include <cstring>
#include <cwchar>
#include <vector>

#include "tests/host/ui_host.h"
#include "tests/ui/ui_fixtures.h"
#include "ui/printer/registry_keys.h"
#include "ui/watermark/store.h"

using namespace uitest;

namespace {

const std::wstring kDriver1 = L"UIF Store Driver 1";
const std::wstring kDriver2 = L"UIF Store Driver 2";
const std::wstring kOtherUser = L"S-1-5-21-test";

class WatermarkStore : public ::testing::Test {
protected:
    void SetUp() override {
        a_ = OpenTestPrinter(StorePrinterA());
        b_ = OpenTestPrinter(StorePrinterB());
        c_ = OpenTestPrinter(StorePrinterC());
        ASSERT_TRUE(a_ && b_ && c_);
        Clean();
    }
    void TearDown() override { Clean(); }

    static void Clean() {
        for (const auto &driver : {kDriver1, kDriver2}) {
            DeleteTree(HKEY_CURRENT_USER, DriverKey(driver));
            DeleteTree(HKEY_USERS, L".DEFAULT\\" + DriverKey(driver));
            DeleteTree(HKEY_USERS, kOtherUser + L"\\" + DriverKey(driver));
        }
    }

    // The default user's settings as driver installation leaves them, plus
    // a value and a profile of its own.
    static void SeedDefaultUser(const std::wstring &driver) {
        std::wstring path = L".DEFAULT\\" + DriverKey(driver);
        for (int i = 0; i < kDefaultWatermarkCount; ++i) {
            WatermarkRecord wm;
            ASSERT_TRUE(MakeSeedWatermark(i, &wm));
            ASSERT_TRUE(WriteValue(HKEY_USERS, path + L"\\Watermarks", wm.name, REG_BINARY, &wm, sizeof(wm)));
        }
        const wchar_t name[] = L"jdoe";
        ASSERT_TRUE(WriteValue(HKEY_USERS, path, L"LastUserName", REG_SZ, name, sizeof(name)));
        DWORD one = 1;
        ASSERT_TRUE(WriteValue(HKEY_USERS, path + L"\\Profiles\\Mine", L"1", REG_DWORD, &one, sizeof(one)));
    }

    static WatermarkRecord Named(const wchar_t *name, const wchar_t *text) {
        WatermarkRecord wm;
        MakeDefaultWatermark(&wm);
        wcsncpy(wm.name, name, 127);
        wcsncpy(wm.text, text, 127);
        return wm;
    }
    static bool Save(HANDLE printer, const wchar_t *name, const wchar_t *text) {
        WatermarkRecord wm = Named(name, text);
        return SaveWatermark(printer, &wm);
    }

    unique_hprinter a_, b_, c_;
};

TEST_F(WatermarkStore, NewUserGetsTheDefaultUsersSettingsOnce) {
    // Nothing to copy: no key appears for the user.
    EXPECT_FALSE(CopyDefaultUserSettings(a_.get()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, DriverKey(kDriver1)));

    SeedDefaultUser(kDriver1);
    EXPECT_TRUE(CopyDefaultUserSettings(a_.get()));
    EXPECT_EQ(ReadWatermarkCount(a_.get()), 4u);
    EXPECT_EQ(CountWatermarks(a_.get()), 4u);
    WatermarkRecord wm;
    ASSERT_TRUE(ReadWatermark(a_.get(), &wm, L"Date and Time"));
    EXPECT_STREQ(wm.text, L"%Time% %DateLong%");
    wchar_t user[32] = L"";
    DWORD size = sizeof(user);
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, DriverKey(kDriver1).c_str(), L"LastUserName", RRF_RT_REG_SZ, nullptr,
                           user, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(user, L"jdoe");
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, DriverKey(kDriver1) + L"\\Profiles"));

    // A user who has settings keeps them as they are.
    ASSERT_TRUE(DeleteWatermark(a_.get(), L"Draft"));
    EXPECT_FALSE(CopyDefaultUserSettings(a_.get()));
    EXPECT_FALSE(WatermarkExists(a_.get(), L"Draft"));
    EXPECT_EQ(ReadWatermarkCount(a_.get()), 3u);
}

TEST_F(WatermarkStore, SavingReplacesByNameAndCountsOnlyNewNames) {
    ASSERT_TRUE(SeedDefaultWatermarks(kDriver1.c_str()));
    ASSERT_TRUE(WriteWatermarkCount(a_.get(), 4));

    ASSERT_TRUE(Save(a_.get(), L"Draft", L"NOT FINAL"));
    EXPECT_EQ(ReadWatermarkCount(a_.get()), 4u);
    WatermarkRecord wm;
    ASSERT_TRUE(ReadWatermark(a_.get(), &wm, L"Draft"));
    EXPECT_STREQ(wm.text, L"NOT FINAL");

    // Names are registry value names: another letter case is the same watermark.
    ASSERT_TRUE(Save(a_.get(), L"DRAFT", L"AGAIN"));
    EXPECT_EQ(ReadWatermarkCount(a_.get()), 4u);
    EXPECT_EQ(CountWatermarks(a_.get()), 4u);

    ASSERT_TRUE(Save(a_.get(), L"Sketch", L"SKETCH"));
    EXPECT_EQ(ReadWatermarkCount(a_.get()), 5u);
    EXPECT_EQ(CountWatermarks(a_.get()), 5u);

    // No name, or one without its terminator, is no watermark.
    EXPECT_FALSE(Save(a_.get(), L"", L"x"));
    WatermarkRecord unterminated = Named(L"x", L"x");
    std::fill(std::begin(unterminated.name), std::end(unterminated.name), L'n');
    EXPECT_FALSE(SaveWatermark(a_.get(), &unterminated));
    EXPECT_EQ(CountWatermarks(a_.get()), 5u);
}

TEST_F(WatermarkStore, DeletingCountsDownAndFailsForUnknownNames) {
    ASSERT_TRUE(Save(a_.get(), L"One", L"1"));
    ASSERT_TRUE(Save(a_.get(), L"Two", L"2"));
    ASSERT_EQ(ReadWatermarkCount(a_.get()), 2u);

    EXPECT_FALSE(DeleteWatermark(a_.get(), L"Three"));
    EXPECT_EQ(ReadWatermarkCount(a_.get()), 2u);
    EXPECT_TRUE(DeleteWatermark(a_.get(), L"one"));
    EXPECT_EQ(ReadWatermarkCount(a_.get()), 1u);
    EXPECT_FALSE(WatermarkExists(a_.get(), L"One"));

    // A count that went missing does not wrap around below zero.
    RegDeleteKeyValueW(HKEY_CURRENT_USER, DriverKey(kDriver1).c_str(), L"NumberOfWaterMarks");
    EXPECT_TRUE(DeleteWatermark(a_.get(), L"Two"));
    EXPECT_EQ(ReadWatermarkCount(a_.get()), 0u);
}

TEST_F(WatermarkStore, ReadsOnlyBinaryValuesOfOneTo704Bytes) {
    std::wstring path = DriverKey(kDriver1) + L"\\Watermarks";
    WatermarkRecord stored = Named(L"Short", L"A text long enough to cross the 300th byte of the record");
    stored.pointSize = 11;
    ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, path, L"Short", REG_BINARY, &stored, 300));
    WatermarkRecord defaults;
    std::memset(&defaults, 0xAB, sizeof(defaults));  // padding as in `read` below
    MakeDefaultWatermark(&defaults);

    WatermarkRecord read;
    std::memset(&read, 0xAB, sizeof(read));
    ASSERT_TRUE(ReadWatermark(a_.get(), &read, L"Short"));
    const auto *bytes = reinterpret_cast<const unsigned char *>(&read);
    EXPECT_EQ(std::memcmp(bytes, &stored, 300), 0);
    EXPECT_EQ(std::memcmp(bytes + 300, reinterpret_cast<const unsigned char *>(&defaults) + 300,
                          sizeof(read) - 300),
              0);
    EXPECT_EQ(read.pointSize, 72u);  // beyond the stored bytes

    std::vector<unsigned char> big(705, 0);
    std::memcpy(big.data(), &stored, sizeof(stored));
    ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, path, L"Big", REG_BINARY, big.data(), 705));
    ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, path, L"Empty", REG_BINARY, nullptr, 0));
    std::wstring text(351, L'x');  // 704 bytes with its terminator
    ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, path, L"Text", REG_SZ, text.c_str(), 704));
    ASSERT_TRUE(WriteValue(HKEY_CURRENT_USER, path, L"Whole", REG_BINARY, &stored, sizeof(stored)));

    for (const wchar_t *refused : {L"Big", L"Empty", L"Text", L"Missing"}) {
        std::memset(&read, 0xAB, sizeof(read));
        EXPECT_FALSE(ReadWatermark(a_.get(), &read, refused)) << Narrow(refused);
        EXPECT_EQ(bytes[0], 0xAB) << Narrow(refused) << ": a refused value leaves the record alone";
        EXPECT_FALSE(WatermarkExists(a_.get(), refused));
    }
    ASSERT_TRUE(ReadWatermark(a_.get(), &read, L"Whole"));
    EXPECT_EQ(std::memcmp(&read, &stored, sizeof(read)), 0);
    // Counting lists the values as the registry holds them, refused or not.
    EXPECT_EQ(CountWatermarks(a_.get()), 5u);
}

TEST_F(WatermarkStore, PrintersShareWatermarksByDriverOnly) {
    ASSERT_TRUE(Save(a_.get(), L"Shared", L"S"));
    EXPECT_TRUE(WatermarkExists(b_.get(), L"Shared"));
    EXPECT_FALSE(WatermarkExists(c_.get(), L"Shared"));
    EXPECT_EQ(CountWatermarks(b_.get()), 1u);
    EXPECT_EQ(CountWatermarks(c_.get()), 0u);
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, DriverKey(kDriver1) + L"\\Watermarks"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, DriverKey(kDriver2)));
}

TEST_F(WatermarkStore, DriverDeletionSparesOnlyTheDefaultUser) {
    DeleteTree(HKEY_CURRENT_USER, L"Software\\Corvane");
    SeedDefaultUser(kDriver1);
    ASSERT_TRUE(SeedDefaultWatermarks(kDriver1.c_str()));
    ASSERT_TRUE(SeedDefaultWatermarks(kDriver2.c_str()));
    std::wstring other = kOtherUser + L"\\" + DriverKey(kDriver1);
    DWORD four = 4;
    ASSERT_TRUE(WriteValue(HKEY_USERS, other, L"NumberOfWaterMarks", REG_DWORD, &four, sizeof(four)));

    // Another driver's settings keep the shared parents alive.
    EXPECT_TRUE(DeleteDriverSettings(kDriver1.c_str()));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, DriverKey(kDriver1)));
    EXPECT_FALSE(KeyExists(HKEY_USERS, other));
    EXPECT_TRUE(KeyExists(HKEY_USERS, kOtherUser + L"\\Software\\Corvane\\PSPlugIn"));
    EXPECT_TRUE(KeyExists(HKEY_USERS, L".DEFAULT\\" + DriverKey(kDriver1) + L"\\Watermarks"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, DriverKey(kDriver2)));

    DeleteDriverSettings(kDriver2.c_str());
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Corvane"));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software"));
}

TEST_F(WatermarkStore, ListsNamesInStoreOrderWithAnExtentForTheLongest) {
    ASSERT_TRUE(SeedDefaultWatermarks(kDriver1.c_str()));
    HWND list = CreateWindowW(L"LISTBOX", L"", WS_POPUP | WS_HSCROLL, 0, 0, 100, 100, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(list, nullptr);
    auto destroy = scope_exit([&] { DestroyWindow(list); });
    ASSERT_TRUE(FillWatermarkList(a_.get(), list));
    ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 4);
    unique_hkey key;
    ASSERT_TRUE(OpenWatermarksKeyForRead(a_.get(), &key));
    for (DWORD i = 0; i < 4; ++i) {
        wchar_t stored[128], shown[128];
        DWORD chars = 128;
        ASSERT_EQ(RegEnumValueW(key.get(), i, stored, &chars, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(shown));
        EXPECT_STREQ(shown, stored);
    }
    // Wide enough for "Date and Time", the longest name, in the widest glyphs.
    EXPECT_GE(SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0), 13 * 4);

    // An empty store lists nothing and still succeeds; no key at all fails.
    HWND other = CreateWindowW(L"LISTBOX", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    auto destroyOther = scope_exit([&] { DestroyWindow(other); });
    EXPECT_FALSE(FillWatermarkList(c_.get(), other));
    ASSERT_TRUE(Save(c_.get(), L"Only", L"o"));
    ASSERT_TRUE(DeleteWatermark(c_.get(), L"Only"));
    EXPECT_TRUE(FillWatermarkList(c_.get(), other));
    EXPECT_EQ(SendMessageW(other, LB_GETCOUNT, 0, 0), 0);
}

TEST_F(WatermarkStore, KeepsNoKeyOpenAcrossManyOperations) {
    ASSERT_TRUE(SeedDefaultWatermarks(kDriver1.c_str()));
    WatermarkRecord wm = Named(L"Churn", L"c");
    // One round first, so anything the system opens once and keeps is counted before.
    SaveWatermark(a_.get(), &wm);
    DeleteWatermark(a_.get(), L"Churn");
    long before = testbed::CountOpenHandles();
    ASSERT_GT(before, 0);
    WatermarkRecord read;
    for (int i = 0; i < 200; ++i) {
        SaveWatermark(a_.get(), &wm);
        ReadWatermark(a_.get(), &read, L"Draft");
        CountWatermarks(a_.get());
        ReadWatermarkCount(a_.get());
        DeleteWatermark(a_.get(), L"Churn");
    }
    long after = testbed::CountOpenHandles();
    // A leak would show as hundreds of handles; a few may come and go with the system.
    EXPECT_LE(after - before, 3) << "before " << before << ", after " << after;
}

}  // namespace
