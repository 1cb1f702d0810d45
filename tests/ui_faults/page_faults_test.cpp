// The pages in the real sheet when the registry refuses one of their writes:
// each says what it says about it (the watermark dialogs their message,
// the output and profiles pages nothing), and its lists show what the
// store still holds.
#include <windows.h>

#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/host/dialog_driver.h"
#include "tests/host/ui_sheet_host.h"
#include "tests/ui_faults/faults_fixture.h"
#include "tests/ui_wmpage/dialog_sequence.h"

using namespace faults;
using testbed::Click;
using testbed::FakeDriverTree;
using testbed::RunModal;
using testbed::SetText;

namespace {

const std::wstring kSaveError = L"There was an error saving the data to the registry.  Please make sure you have "
                                L"access rights to do so and try again.";
const std::wstring kRemoveError = L"There was an error removing the watermark from the registry.  Please make sure "
                                  L"you have access rights to do so and try again.";

std::vector<std::wstring> Entries(HWND list) {
    std::vector<std::wstring> texts;
    for (LRESULT i = 0; i < SendMessageW(list, LB_GETCOUNT, 0, 0); ++i) {
        wchar_t text[256] = L"";
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        texts.push_back(text);
    }
    return texts;
}

std::wstring Selected(HWND list) {
    LRESULT i = SendMessageW(list, LB_GETCURSEL, 0, 0);
    std::vector<std::wstring> texts = Entries(list);
    return i >= 0 && static_cast<size_t>(i) < texts.size() ? texts[static_cast<size_t>(i)] : L"<none>";
}

void Choose(HWND dialog, int id, const std::wstring &text) {
    HWND list = GetDlgItem(dialog, id);
    LRESULT i = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text.c_str()));
    ASSERT_NE(i, LB_ERR) << uitest::Narrow(text);
    if (GetWindowLongPtrW(list, GWL_STYLE) & LBS_MULTIPLESEL)
        SendMessageW(list, LB_SETSEL, TRUE, i);
    else
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

class PageFaults : public FaultsTest {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(FaultsTest::SetUp());
        std::wstring error;
        ASSERT_TRUE(host_.Create(&error)) << uitest::Narrow(error);
        ASSERT_EQ(host_.Publish(), S_OK);
        ASSERT_TRUE(host_.BuildDevmodes(printer()));
        host_.core.settings["FaxCard"] = "True";
        host_.core.features["HasPrintandHold"] = {"True", "False"};
        ASSERT_TRUE(boxes_.ok());
        ASSERT_TRUE(registry_.ok());
    }
    void TearDown() override {
        sheet_.Close();
        if (opened_) host_.plugin->DocumentPropertySheets(&sheet_.Info(PROPSHEETUI_REASON_DESTROY), 0);
        FaultsTest::TearDown();
    }

    // The document sheet as the driver opens it, with `templateId` current.
    HWND Open(UINT templateId) {
        session_.param = host_.TreeParam(printer(), tree_.items, FakeDriverTree::kItemCount);
        if (!session_.Attach()) return nullptr;
        sheetParam_ = host_.SheetParam(printer());
        PROPSHEETUI_INFO &info = sheet_.Info(PROPSHEETUI_REASON_INIT, reinterpret_cast<LPARAM>(&sheetParam_));
        if (host_.plugin->DocumentPropertySheets(&info, 0) != S_OK || !sheet_.Show()) return nullptr;
        opened_ = true;
        ctx_ = nullptr;  // the sheet's own context is the one in use now
        sheetCtx_ = reinterpret_cast<PageContext *>(info.UserData);
        sheet_.Activate(0);
        session_.Activate(sheet_.CurrentPage());
        for (size_t i = 0; i < sheet_.pages.size(); ++i) {
            if (sheet_.pages[i].pszTemplate != MAKEINTRESOURCEW(templateId)) continue;
            pageIndex_ = static_cast<int>(i) + 1;  // after the driver's own page
            sheet_.Activate(pageIndex_);
            return page_ = sheet_.CurrentPage();
        }
        return nullptr;
    }
    RegistryState Stored() const { return ReadState(HKEY_CURRENT_USER, DriverKey()); }
    // A click with one registry call of the plug-in failing.
    template <typename Act>
    void Failing(const char *function, int occurrence, Act act) {
        registry_.ArmFunction(function, occurrence);
        act();
        registry_.Disarm();
        EXPECT_STREQ(registry_.failed(), function) << "the failure was not made";
    }

    testbed::DriverTreeSession session_{&host_, nullptr, &tree_};
    OEMUIPSPARAM sheetParam_{};
    testbed::SheetHost sheet_;
    testbed::MessageBoxCapture boxes_{testbed::UiPlugModule()};
    RegistryFaults registry_{testbed::UiPlugModule()};
    PageContext *sheetCtx_ = nullptr;
    HWND page_ = nullptr;
    int pageIndex_ = -1;
    bool opened_ = false;
};

TEST_F(PageFaults, WatermarkDialogsReportEachFailedWriteAndTheListsKeepTheStore) {
    host_.privateDevmode->watermarksEnabled = 1;
    host_.privateDevmode->watermarkOrder = 1;
    wcscpy(host_.privateDevmode->watermarks[0].name, L"Draft");
    ASSERT_TRUE(Open(IDD_WATERMARK_PAGE));
    HWND first = GetDlgItem(page_, IDC_WMPAGE_FIRST_LIST), second = GetDlgItem(page_, IDC_WMPAGE_SECOND_LIST);
    const std::vector<std::wstring> listed = Entries(first);
    ASSERT_EQ(listed.size(), 4u) << "(None) and three watermarks";
    const RegistryState before = Stored();

    // Add: the record cannot be written.
    ASSERT_TRUE(RunModal([&] { Click(page_, IDC_WMPAGE_ADD); },
                         [&](HWND editor) {
                             SetText(editor, IDC_WMEDIT_NAME, L"Fresh");
                             SetText(editor, IDC_WMEDIT_TEXT, L"fresh text");
                             Failing("RegSetValueExW", 1, [&] { Click(editor, IDOK); });
                             EXPECT_TRUE(IsWindow(editor)) << "the editor stays open";
                             Click(editor, IDCANCEL);
                         }));
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, kSaveError);
    EXPECT_TRUE(boxes_.shown[0].nullCaption);
    EXPECT_EQ(boxes_.shown[0].type, static_cast<UINT>(MB_ICONERROR));

    // Rename: the old name cannot be removed, so the new one goes again.
    boxes_.Clear();
    ASSERT_TRUE(wmpage::RunDialogSequence([&] { Click(page_, IDC_WMPAGE_EDIT); },
                                          {[&](HWND select) {
                                               Choose(select, IDC_WMSELECT_LIST, L"Draft");
                                               Click(select, IDOK);
                                           },
                                           [&](HWND editor) {
                                               SetText(editor, IDC_WMEDIT_NAME, L"Draft Two");
                                               Failing("RegDeleteValueW", 1, [&] { Click(editor, IDOK); });
                                               Click(editor, IDCANCEL);
                                           }}));
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_EQ(boxes_.shown[0].text, kSaveError);

    // Remove: the count cannot follow, so the watermark is put back.
    boxes_.Clear();
    boxes_.answers = {IDYES};
    ASSERT_TRUE(RunModal([&] { Click(page_, IDC_WMPAGE_REMOVE); },
                         [&](HWND remove) {
                             Choose(remove, IDC_WMREMOVE_LIST, L"Confidential");
                             Failing("RegSetValueExW", 1, [&] { Click(remove, IDC_WMREMOVE_REMOVE); });
                             EXPECT_EQ(Entries(GetDlgItem(remove, IDC_WMREMOVE_LIST)).size(), 3u);
                             Click(remove, IDCANCEL);
                         }));
    ASSERT_EQ(boxes_.shown.size(), 2u) << "the question, then the error";
    EXPECT_EQ(boxes_.shown[1].text, kRemoveError);
    EXPECT_TRUE(boxes_.shown[1].nullCaption);
    EXPECT_EQ(boxes_.shown[1].type, static_cast<UINT>(MB_ICONERROR));

    EXPECT_EQ(Stored(), before) << Difference(before, Stored());
    EXPECT_EQ(Entries(first), listed);
    EXPECT_EQ(Entries(second), listed);
    EXPECT_EQ(Selected(first), L"Draft");
}

TEST_F(PageFaults, OutputPageSaysNothingAndTheJobKeepsItsValues) {
    ASSERT_TRUE(Open(IDD_OUTPUT_OPTIONS_PAGE));
    const RegistryState before = Stored();
    HWND destinations = GetDlgItem(page_, IDC_OUT_DESTINATIONS);
    auto choose = [&](const wchar_t *destination) { Choose(page_, IDC_OUT_DESTINATIONS, destination); };

    choose(L"Confidential Print");
    SetText(page_, IDC_OUT_USER, L"carol");
    SetText(page_, IDC_OUT_PIN, L"1234");
    Failing("RegSetValueExW", 1, [&] { ASSERT_TRUE(sheet_.Activate(0)) << "the page may be left"; });
    EXPECT_STREQ(sheetCtx_->work.holdUserName, L"carol");

    ASSERT_TRUE(sheet_.Activate(pageIndex_));
    choose(L"Fax");
    SetText(page_, IDC_OUT_RECIPIENT, L"Grace");
    SetText(page_, IDC_OUT_FAX_NUMBER, L"555-0199");
    SetText(page_, IDC_OUT_STATION, L"Desk");
    Failing("RegSetValueExW", 1, [&] { ASSERT_TRUE(sheet_.Activate(0)); });
    EXPECT_STREQ(sheetCtx_->work.fax.recipientName, L"Grace");

    EXPECT_TRUE(boxes_.shown.empty()) << uitest::Narrow(boxes_.shown.empty() ? L"" : boxes_.shown[0].text);
    EXPECT_EQ(Stored(), before) << Difference(before, Stored());
    // Back on the page, the stored details take precedence again, as they do
    // whenever the page is shown: the ones that could not be remembered.
    ASSERT_TRUE(sheet_.Activate(pageIndex_));
    EXPECT_EQ(Selected(destinations), L"Fax");
    EXPECT_EQ(testbed::GetText(page_, IDC_OUT_RECIPIENT), L"Ada");
}

TEST_F(PageFaults, ProfilesPageSaysNothingAndListsWhatIsStored) {
    ASSERT_TRUE(Open(IDD_PROFILES_PAGE));
    HWND list = GetDlgItem(page_, IDC_PROFILE_LIST);
    const std::vector<std::wstring> listed{L"Alpha", L"Beta"};
    ASSERT_EQ(Entries(list), listed);
    const std::wstring current = testbed::GetText(page_, IDC_PROFILE_CURRENT);
    const RegistryState before = Stored();
    tree_[FakeDriverTree::kPaperSize].Sel = 4;

    // Save: the second value cannot be written; no half profile is left.
    // (The page saves once the name dialog has closed.)
    Failing("RegSetValueExW", 2, [&] {
        ASSERT_TRUE(RunModal([&] { Click(page_, IDC_PROFILE_SAVE); },
                             [&](HWND dialog) {
                                 SetText(dialog, IDC_PROFILE_NAME, L"Gamma");
                                 Click(dialog, IDOK);
                             }));
    });
    // Change: the old profile cannot be removed.
    Choose(page_, IDC_PROFILE_LIST, L"Alpha");
    boxes_.answers = {IDYES};
    Failing("RegDeleteKeyW", 2, [&] { Click(page_, IDC_PROFILE_CHANGE); });
    ASSERT_EQ(boxes_.shown.size(), 1u) << "the question only";
    EXPECT_EQ(testbed::GetText(page_, IDC_PROFILE_CURRENT), current);
    // Rename: the old profile cannot be removed, so the copy goes again.
    Failing("RegDeleteKeyW", 1, [&] {
        ASSERT_TRUE(RunModal([&] { Click(page_, IDC_PROFILE_RENAME); },
                             [&](HWND dialog) {
                                 SetText(dialog, IDC_PROFILE_NAME, L"Delta");
                                 Click(dialog, IDOK);
                             }));
    });
    // Delete: refused.
    Choose(page_, IDC_PROFILE_LIST, L"Beta");
    boxes_.answers = {IDYES};
    Failing("RegDeleteKeyW", 1, [&] { Click(page_, IDC_PROFILE_DELETE); });

    ASSERT_EQ(boxes_.shown.size(), 2u) << "the two questions only";
    EXPECT_EQ(Stored(), before) << Difference(before, Stored());
    EXPECT_EQ(Entries(list), listed);
    EXPECT_EQ(Selected(list), L"Beta");
    EXPECT_EQ(testbed::GetText(page_, IDC_PROFILE_CURRENT), current);
}

}  // namespace
