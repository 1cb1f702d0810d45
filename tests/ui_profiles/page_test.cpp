// The Profiles page in the real property sheet, driven as a user drives it:
// its list and current-profile field, the name dialog and its messages, the
// six actions, and what a registry that refuses writes leaves of a profile.
// The page and the name dialog are pictured in build/<arch>/artifacts.
#include <windows.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/host/dialog_driver.h"
#include "tests/host/import_patch.h"
#include "tests/host/screenshot.h"
#include "tests/host/ui_sheet_host.h"
#include "tests/ui_profiles/profiles_fixture.h"

using namespace profiletest;
using testbed::Click;
using testbed::FakeDriverTree;
using testbed::GetText;
using testbed::RunModal;
using testbed::SetText;

namespace {

const int kPageButtons[] = {IDC_PROFILE_SAVE,   IDC_PROFILE_LOAD,   IDC_PROFILE_CHANGE,
                            IDC_PROFILE_RENAME, IDC_PROFILE_DELETE, IDC_PROFILE_LOAD_DEFAULTS};

// RegSetValueExW of uiplug.dll failing after `g_writesLeft` more calls.
int g_writesLeft = 0;
LONG WINAPI FailingSetValue(HKEY key, LPCWSTR name, DWORD reserved, DWORD type, const BYTE *data, DWORD size) {
    if (g_writesLeft <= 0) return ERROR_ACCESS_DENIED;
    --g_writesLeft;
    return RegSetValueExW(key, name, reserved, type, data, size);
}

class ProfilesPage : public ::testing::Test {
protected:
    void SetUp() override {
        printer_ = uitest::OpenTestPrinter(ProfilesPrinter());
        ASSERT_TRUE(printer_);
        uitest::DeleteTree(HKEY_CURRENT_USER, ProfilesKey());
        std::wstring error;
        ASSERT_TRUE(host_.Create(&error)) << uitest::Narrow(error);
        ASSERT_EQ(host_.Publish(), S_OK);
        ASSERT_TRUE(host_.BuildDevmodes(printer_.get()));
        ASSERT_TRUE(boxes_.ok());
    }
    void TearDown() override {
        sheet_.Close();
        if (opened_) host_.plugin->DocumentPropertySheets(&sheet_.Info(PROPSHEETUI_REASON_DESTROY), 0);
        uitest::DeleteTree(HKEY_CURRENT_USER, ProfilesKey());
    }

    // The driver builds its tree, the sheet adds the plug-in's pages and
    // shows the driver's page first, then the user opens the Profiles page.
    HWND OpenPage(DWORD flags = 0) {
        session_.param = host_.TreeParam(printer_.get(), tree_.items, FakeDriverTree::kItemCount, flags);
        if (!session_.Attach()) return nullptr;
        param_ = host_.SheetParam(printer_.get(), flags);
        PROPSHEETUI_INFO &info = sheet_.Info(PROPSHEETUI_REASON_INIT, reinterpret_cast<LPARAM>(&param_));
        if (host_.plugin->DocumentPropertySheets(&info, 0) != S_OK || !sheet_.Show()) return nullptr;
        opened_ = true;
        ShowDriverPage();
        return ShowProfilesPage();
    }
    void ShowDriverPage() {
        sheet_.Activate(0);
        session_.Activate(sheet_.CurrentPage());
    }
    HWND ShowProfilesPage() {
        for (size_t i = 0; i < sheet_.pages.size(); ++i) {
            if (sheet_.pages[i].pszTemplate != MAKEINTRESOURCEW(IDD_PROFILES_PAGE)) continue;
            sheet_.Activate(static_cast<int>(i) + 1);  // after the driver's own page
            return sheet_.CurrentPage();
        }
        return nullptr;
    }
    // Leaves the page for the driver's, where a setting changes, and comes back.
    HWND ChangeSettingElsewhere(FakeDriverTree::Item item, LONG selection) {
        ShowDriverPage();
        tree_[item].Sel = selection;
        return ShowProfilesPage();
    }

    bool SaveAs(HWND page, const std::wstring &name) {
        return RunModal([&] { Click(page, IDC_PROFILE_SAVE); },
                        [&](HWND dialog) {
                            SetText(dialog, IDC_PROFILE_NAME, name);
                            Click(dialog, IDOK);
                        });
    }
    void Select(HWND page, const std::wstring &name) {
        HWND list = GetDlgItem(page, IDC_PROFILE_LIST);
        LRESULT i = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(name.c_str()));
        SendMessageW(list, LB_SETCURSEL, i, 0);
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_PROFILE_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }
    static std::wstring Entry(HWND list, LRESULT i) {
        wchar_t text[256] = L"";
        if (i >= 0) SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        return text;
    }
    static std::vector<std::wstring> Entries(HWND page) {
        HWND list = GetDlgItem(page, IDC_PROFILE_LIST);
        std::vector<std::wstring> names;
        for (LRESULT i = 0; i < SendMessageW(list, LB_GETCOUNT, 0, 0); ++i) names.push_back(Entry(list, i));
        return names;
    }
    static std::wstring Selected(HWND page) {
        HWND list = GetDlgItem(page, IDC_PROFILE_LIST);
        return Entry(list, SendMessageW(list, LB_GETCURSEL, 0, 0));
    }
    static std::wstring Current(HWND page) { return GetText(page, IDC_PROFILE_CURRENT); }
    static bool Enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }
    // Load, Change, Rename and Delete.
    static std::vector<bool> EntryButtons(HWND page) {
        return {Enabled(page, IDC_PROFILE_LOAD), Enabled(page, IDC_PROFILE_CHANGE), Enabled(page, IDC_PROFILE_RENAME),
                Enabled(page, IDC_PROFILE_DELETE)};
    }
    DWORD StoredPaper(const std::wstring &profile) {
        RawValue v;
        if (!ReadRaw(ProfileKey(profile), L"9", &v) || v.data.size() != 4) return 0xFFFFFFFF;
        return *reinterpret_cast<const DWORD *>(v.data.data());
    }

    unique_hprinter printer_;
    testbed::UiPluginHost host_;
    FakeDriverTree tree_;
    testbed::DriverTreeSession session_{&host_, nullptr, &tree_};
    OEMUIPSPARAM param_{};
    testbed::SheetHost sheet_;
    testbed::MessageBoxCapture boxes_{testbed::UiPlugModule()};
    bool opened_ = false;
    const std::vector<bool> kNone{false, false, false, false};
    const std::vector<bool> kAll{true, true, true, true};
};

TEST_F(ProfilesPage, StartsAtFactoryDefaultsAndShowsUnknownAfterAChange) {
    HWND page = OpenPage();
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(Entries(page).empty()) << "the factory defaults are not listed";
    EXPECT_EQ(Current(page), L"Factory Defaults");
    EXPECT_EQ(EntryButtons(page), kNone);
    EXPECT_TRUE(Enabled(page, IDC_PROFILE_SAVE));
    EXPECT_FALSE(Enabled(page, IDC_PROFILE_LOAD_DEFAULTS));
    EXPECT_TRUE(uitest::KeyExists(HKEY_CURRENT_USER, ProfileKey(L"Factory Defaults")));

    page = ChangeSettingElsewhere(FakeDriverTree::kPaperSize, 3);
    EXPECT_EQ(Current(page), L"<Unknown Profile>");
    EXPECT_EQ(EntryButtons(page), kNone);
    EXPECT_TRUE(Enabled(page, IDC_PROFILE_LOAD_DEFAULTS));

    // Back to the factory defaults: the driver's item and the sheet change.
    Click(page, IDC_PROFILE_LOAD_DEFAULTS);
    EXPECT_EQ(tree_[FakeDriverTree::kPaperSize].Sel, 0);
    EXPECT_EQ(Current(page), L"Factory Defaults");
    EXPECT_TRUE(sheet_.IsChanged());
    EXPECT_STREQ(host_.privateDevmode->loadedProfileName, L"Factory Defaults");
    EXPECT_EQ(host_.privateDevmode->profileLoaded, 1u);
}

TEST_F(ProfilesPage, SavingAddsSelectsAndShowsTheProfile) {
    HWND page = OpenPage();
    ASSERT_NE(page, nullptr);
    tree_[FakeDriverTree::kPaperSize].Sel = 2;
    ASSERT_TRUE(RunModal([&] { Click(page, IDC_PROFILE_SAVE); },
                         [&](HWND dialog) {
                             EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
                             SetText(dialog, IDC_PROFILE_NAME, L"   ");
                             EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK))) << "white space only";
                             SetText(dialog, IDC_PROFILE_NAME, L"Quarterly Report");
                             EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
                             testbed::PumpMessages(200);
                             EXPECT_FALSE(testbed::SaveWindowPicture(dialog, L"profiles-name-dialog").empty());
                             Click(dialog, IDOK);
                         }));
    EXPECT_EQ(Entries(page), std::vector<std::wstring>{L"Quarterly Report"});
    EXPECT_EQ(Selected(page), L"Quarterly Report");
    EXPECT_EQ(Current(page), L"Quarterly Report");
    EXPECT_EQ(EntryButtons(page), kNone) << "the selection is the current profile";
    EXPECT_EQ(StoredPaper(L"Quarterly Report"), 2u);
    EXPECT_FALSE(sheet_.IsChanged()) << "saving acts on the registry only";

    ASSERT_TRUE(SaveAs(page, L"Draft Copy"));
    EXPECT_EQ(Entries(page), (std::vector<std::wstring>{L"Draft Copy", L"Quarterly Report"})) << "sorted";
    Select(page, L"Quarterly Report");
    EXPECT_EQ(EntryButtons(page), kAll);
    sheet_.Pump(200);
    EXPECT_FALSE(testbed::SaveWindowPicture(sheet_.sheet(), L"profiles-page").empty());
}

TEST_F(ProfilesPage, NameDialogRefusesNamesWithTheirMessages) {
    HWND page = OpenPage();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(SaveAs(page, L"Report"));
    const std::wstring space = L"The name of the profile can not end in a space.  Please enter a name that does "
                               L"not end with spaces.";
    const std::wstring reserved = L"The name of the profile can not be either \"Factory Defaults\" or \"<Unknown "
                                  L"Profile>.\"  Please enter another name.";
    const std::wstring characters = L"You can not save a profile with a period, slash, or back slash in the name.  "
                                    L"Please enter a name without those characters.";
    const std::pair<const wchar_t *, std::wstring> cases[] = {
        {L"Report2 ", space},   {L"FACTORY DEFAULTS", reserved}, {L"<unknown profile>", reserved},
        {L"v1.2", characters}, {L"a/b", characters},
        {L"REPORT", L"\"REPORT\" is already being used for another Personal Profile. Please use a new name."},
    };
    ASSERT_TRUE(RunModal([&] { Click(page, IDC_PROFILE_SAVE); },
                         [&](HWND dialog) {
                             for (const auto &[name, message] : cases) {
                                 boxes_.Clear();
                                 SetText(dialog, IDC_PROFILE_NAME, name);
                                 Click(dialog, IDOK);
                                 ASSERT_EQ(boxes_.shown.size(), 1u) << uitest::Narrow(name);
                                 EXPECT_EQ(boxes_.shown[0].text, message);
                                 EXPECT_EQ(boxes_.shown[0].caption, L"Personal Profiles");
                                 EXPECT_EQ(boxes_.shown[0].type & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
                                 EXPECT_TRUE(IsWindow(dialog)) << "stays open";
                             }
                             Click(dialog, IDCANCEL);
                         }));
    EXPECT_EQ(Entries(page), std::vector<std::wstring>{L"Report"});
    EXPECT_EQ(CountSubKeys(ProfilesKey()), 2u) << "Report and the factory defaults only";
}

TEST_F(ProfilesPage, LoadingRestoresTheProfileAndMarksTheSheetChanged) {
    HWND page = OpenPage();
    ASSERT_NE(page, nullptr);
    tree_[FakeDriverTree::kPaperSize].Sel = 2;
    ASSERT_TRUE(SaveAs(page, L"A4 Report"));
    page = ChangeSettingElsewhere(FakeDriverTree::kPaperSize, 4);
    EXPECT_EQ(Current(page), L"<Unknown Profile>");
    EXPECT_EQ(Selected(page), L"A4 Report") << "the first entry is selected";
    tree_.ClearChangedFlags();

    Click(page, IDC_PROFILE_LOAD);
    EXPECT_EQ(tree_[FakeDriverTree::kPaperSize].Sel, 2);
    EXPECT_TRUE(tree_[FakeDriverTree::kPaperSize].Flags & OPTIF_CHANGED);
    EXPECT_EQ(Current(page), L"A4 Report");
    EXPECT_TRUE(sheet_.IsChanged());
    EXPECT_STREQ(host_.privateDevmode->loadedProfileName, L"A4 Report");
    EXPECT_EQ(host_.privateDevmode->profileLoaded, 1u);

    // Apply records the profile the settings match in the driver's record.
    ASSERT_TRUE(sheet_.Apply());
    EXPECT_STREQ(host_.privateDevmode->loadedProfileName, L"A4 Report");
    page = ChangeSettingElsewhere(FakeDriverTree::kPaperSize, 1);
    EXPECT_EQ(Current(page), L"<Unknown Profile>");
    ASSERT_TRUE(sheet_.Apply());
    EXPECT_STREQ(host_.privateDevmode->loadedProfileName, L"<Unknown Profile>");
}

TEST_F(ProfilesPage, ChangingAndDeletingAskFirst) {
    HWND page = OpenPage();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(SaveAs(page, L"Alpha"));
    ASSERT_TRUE(SaveAs(page, L"Beta"));
    WriteDword(ProfileKey(L"Alpha"), L"Stale", 1);
    Select(page, L"Alpha");
    tree_[FakeDriverTree::kPaperSize].Sel = 3;

    boxes_.answers = {IDNO};
    Click(page, IDC_PROFILE_CHANGE);
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text,
              L"Are you sure that you want to save your current settings into the existing \"Alpha\" personal profile?");
    EXPECT_EQ(boxes_.shown[0].type & (MB_ICONMASK | MB_TYPEMASK), static_cast<UINT>(MB_ICONQUESTION | MB_YESNO));
    EXPECT_EQ(StoredPaper(L"Alpha"), 0u);

    boxes_.answers = {IDYES};
    Click(page, IDC_PROFILE_CHANGE);
    EXPECT_EQ(StoredPaper(L"Alpha"), 3u);
    RawValue stale;
    EXPECT_FALSE(ReadRaw(ProfileKey(L"Alpha"), L"Stale", &stale)) << "the old profile's values do not survive";
    EXPECT_EQ(Current(page), L"Alpha");
    EXPECT_EQ(CountSubKeys(ProfilesKey()), 3u) << "no pending key is left";

    Select(page, L"Beta");
    boxes_.Clear();
    boxes_.answers = {IDYES};
    Click(page, IDC_PROFILE_DELETE);
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, L"Are you sure that you want to delete the \"Beta\" personal profile?");
    EXPECT_FALSE(uitest::KeyExists(HKEY_CURRENT_USER, ProfileKey(L"Beta")));
    EXPECT_EQ(Entries(page), std::vector<std::wstring>{L"Alpha"});
    EXPECT_EQ(Current(page), L"<Unknown Profile>");
}

TEST_F(ProfilesPage, RenameNeedsANameThatDiffersInMoreThanLetterCase) {
    HWND page = OpenPage();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(SaveAs(page, L"Alpha"));
    ASSERT_TRUE(SaveAs(page, L"Beta"));
    Select(page, L"Alpha");
    ASSERT_TRUE(RunModal([&] { Click(page, IDC_PROFILE_RENAME); },
                         [&](HWND dialog) {
                             EXPECT_EQ(GetText(dialog, IDC_PROFILE_NAME), L"Alpha");
                             EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
                             for (const wchar_t *same : {L"ALPHA", L"alpha", L"Alpha  "}) {
                                 SetText(dialog, IDC_PROFILE_NAME, same);
                                 EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK))) << uitest::Narrow(same);
                             }
                             SetText(dialog, IDC_PROFILE_NAME, L"Gamma");
                             EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
                             Click(dialog, IDOK);
                         }));
    EXPECT_EQ(Entries(page), (std::vector<std::wstring>{L"Beta", L"Gamma"}));
    EXPECT_EQ(Selected(page), L"Gamma");
    EXPECT_FALSE(uitest::KeyExists(HKEY_CURRENT_USER, ProfileKey(L"Alpha")));
    EXPECT_EQ(CountValues(ProfileKey(L"Gamma")), 7u);
}

TEST_F(ProfilesPage, ReadOnlySheetDisablesEverythingAndSkipsTheCheck) {
    HWND page = OpenPage(DM_NOPERMISSION);
    ASSERT_NE(page, nullptr);
    for (int id : kPageButtons) EXPECT_FALSE(Enabled(page, id)) << id;
    EXPECT_FALSE(Enabled(page, IDC_PROFILE_LIST));
    EXPECT_FALSE(Enabled(page, IDC_PROFILE_CURRENT));
    page = ChangeSettingElsewhere(FakeDriverTree::kPaperSize, 3);
    EXPECT_EQ(Current(page), L"Factory Defaults");
    for (int id : kPageButtons) EXPECT_FALSE(Enabled(page, id)) << id;
}

// A registry that refuses writes part-way must not cost the user a profile.
TEST_F(ProfilesPage, ChangeThatCannotBeWrittenKeepsTheOldProfile) {
    HWND page = OpenPage();
    ASSERT_NE(page, nullptr);
    tree_[FakeDriverTree::kPaperSize].Sel = 2;
    ASSERT_TRUE(SaveAs(page, L"Alpha"));
    page = ChangeSettingElsewhere(FakeDriverTree::kPaperSize, 4);
    ASSERT_EQ(Selected(page), L"Alpha");
    for (int writes : {0, 3}) {
        g_writesLeft = writes;
        ImportPatch patch(testbed::UiPlugModule(), "advapi32.dll", "RegSetValueExW",
                          reinterpret_cast<void *>(&FailingSetValue));
        ASSERT_TRUE(patch.ok());
        boxes_.answers = {IDYES};
        Click(page, IDC_PROFILE_CHANGE);
        EXPECT_EQ(StoredPaper(L"Alpha"), 2u) << writes << " writes";
        EXPECT_EQ(CountValues(ProfileKey(L"Alpha")), 7u);
        EXPECT_EQ(CountSubKeys(ProfilesKey()), 2u) << "no pending key is left";
        EXPECT_EQ(Current(page), L"<Unknown Profile>") << "the settings are still no profile's";
    }
}

TEST_F(ProfilesPage, RenameThatCannotBeWrittenKeepsTheOldProfile) {
    HWND page = OpenPage();
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(SaveAs(page, L"Alpha"));
    ASSERT_TRUE(SaveAs(page, L"Beta"));
    Select(page, L"Alpha");
    g_writesLeft = 3;
    ImportPatch patch(testbed::UiPlugModule(), "advapi32.dll", "RegSetValueExW",
                      reinterpret_cast<void *>(&FailingSetValue));
    ASSERT_TRUE(patch.ok());
    ASSERT_TRUE(RunModal([&] { Click(page, IDC_PROFILE_RENAME); },
                         [&](HWND dialog) {
                             SetText(dialog, IDC_PROFILE_NAME, L"Gamma");
                             Click(dialog, IDOK);
                         }));
    EXPECT_EQ(Entries(page), (std::vector<std::wstring>{L"Alpha", L"Beta"})) << "the list changes only on success";
    EXPECT_EQ(CountValues(ProfileKey(L"Alpha")), 7u);
    EXPECT_FALSE(uitest::KeyExists(HKEY_CURRENT_USER, ProfileKey(L"Gamma")));
}

}  // namespace
