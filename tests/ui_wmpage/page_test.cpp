// The Watermark page as the user sees and leaves it: what it shows for the
// devmode's choice, how the order buttons rule the other controls, when it
// refuses to be left, and what it writes into the working copy and the
// driver's devmode.
#include "tests/host/screenshot.h"
#include "tests/ui_wmpage/page_fixture.h"

using namespace wmpage;
using testbed::MessageBoxCapture;

namespace {

// The names in the order the store lists them.
std::vector<std::wstring> StoreOrder() {
    std::vector<std::wstring> names;
    unique_hkey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, (uitest::DriverKey(kDriver) + L"\\Watermarks").c_str(), 0, KEY_READ,
                      key.put()) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[128];
        DWORD chars = 128;
        if (RegEnumValueW(key.get(), i, name, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.push_back(name);
    }
    return names;
}

const int kDependents[] = {IDC_WMPAGE_SELECTION_GROUP, IDC_WMPAGE_FIRST_LABEL, IDC_WMPAGE_FIRST_LIST,
                           IDC_WMPAGE_SECOND_LABEL,    IDC_WMPAGE_SECOND_LIST, IDC_WMPAGE_PLACEMENT_GROUP,
                           IDC_WMPAGE_UNDER,           IDC_WMPAGE_OVER};
const int kAlwaysOn[] = {IDC_WMPAGE_ORDER_NONE, IDC_WMPAGE_ORDER_ALL, IDC_WMPAGE_ORDER_FIRST_OTHER,
                         IDC_WMPAGE_ORDER_ODD_EVEN, IDC_WMPAGE_ADD, IDC_WMPAGE_EDIT, IDC_WMPAGE_REMOVE};

TEST_F(WatermarkPageTest, ShowsTheDevmodesChoiceAmongTheStoredWatermarks) {
    // First page without a watermark, the others with one: a valid choice.
    Store({L"Draft", L"Confidential", L"Copy"});
    Choose(3, L"", L"Draft", 1);
    ASSERT_TRUE(OpenPage());

    std::vector<std::wstring> expected{L"(None)"};
    for (const std::wstring &name : StoreOrder()) expected.push_back(name);
    ASSERT_EQ(expected.size(), 4u);
    EXPECT_EQ(ListTexts(First()), expected);
    EXPECT_EQ(ListTexts(Second()), expected);
    EXPECT_TRUE(Checked(page_, IDC_WMPAGE_ORDER_FIRST_OTHER));
    EXPECT_FALSE(Checked(page_, IDC_WMPAGE_ORDER_NONE));
    EXPECT_EQ(SendMessageW(First(), LB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(SelectedText(Second()), L"Draft");
    EXPECT_TRUE(Checked(page_, IDC_WMPAGE_OVER));
    EXPECT_FALSE(Checked(page_, IDC_WMPAGE_UNDER));
    EXPECT_EQ(testbed::GetText(page_, IDC_WMPAGE_FIRST_LABEL), L"First &Page");
    EXPECT_EQ(testbed::GetText(page_, IDC_WMPAGE_SECOND_LABEL), L"Other Page&s");
    for (int id : kDependents) EXPECT_TRUE(Enabled(page_, id)) << id;
    for (int id : kAlwaysOn) EXPECT_TRUE(Enabled(page_, id)) << id;
    EXPECT_FALSE(sheet_->IsChanged());
    EXPECT_FALSE(testbed::SaveWindowPicture(sheet_->sheet(), L"watermark-page").empty());

    MessageBoxCapture boxes(testbed::UiPlugModule());
    EXPECT_TRUE(LeavePage());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(ctx_->work.watermarkOrder, 3u);
    EXPECT_STREQ(ctx_->work.watermarks[0].name, L"");
    EXPECT_TRUE(SameRecord(ctx_->work.watermarks[1], Stored(L"Draft")));
}

TEST_F(WatermarkPageTest, ADevmodeNamingARemovedWatermarkShowsNoWatermarks) {
    Store({L"Draft"});
    for (uint32_t order : {1u, 2u}) {
        SCOPED_TRACE(order);
        // The first name for one order, the second for the other.
        Choose(order, order == 1 ? L"Removed" : L"Draft", order == 1 ? L"" : L"Removed");
        ASSERT_TRUE(OpenPage());
        EXPECT_TRUE(Checked(page_, IDC_WMPAGE_ORDER_NONE));
        EXPECT_FALSE(Checked(page_, IDC_WMPAGE_ORDER_ALL));
        EXPECT_FALSE(Checked(page_, IDC_WMPAGE_ORDER_ODD_EVEN));
        EXPECT_EQ(SendMessageW(First(), LB_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(SendMessageW(Second(), LB_GETCURSEL, 0, 0), 0);
        EXPECT_EQ(ctx_->initialWatermarkOrder, 0u);
        for (int id : kDependents) EXPECT_FALSE(Enabled(page_, id)) << id;
        for (int id : kAlwaysOn) EXPECT_TRUE(Enabled(page_, id)) << id;
        CloseSheet();
    }
}

TEST_F(WatermarkPageTest, OrderButtonsRuleTheListsAndTheirLabels) {
    Store({L"Draft"});
    Choose(0, L"", L"");
    ASSERT_TRUE(OpenPage());
    for (int id : kDependents) EXPECT_FALSE(Enabled(page_, id)) << id;
    EXPECT_FALSE(sheet_->IsChanged());

    struct Case {
        int button;
        uint32_t order;
        const wchar_t *first, *second;
        bool secondEnabled;
    } cases[] = {
        {IDC_WMPAGE_ORDER_ODD_EVEN, 2, L"Odd &Pages", L"Even Page&s", true},
        {IDC_WMPAGE_ORDER_ALL, 1, L"All &Pages", L"Other Page&s", false},
        {IDC_WMPAGE_ORDER_FIRST_OTHER, 3, L"First &Page", L"Other Page&s", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.order);
        testbed::Click(page_, c.button);
        EXPECT_EQ(ctx_->initialWatermarkOrder, c.order);
        EXPECT_EQ(testbed::GetText(page_, IDC_WMPAGE_FIRST_LABEL), c.first);
        EXPECT_EQ(testbed::GetText(page_, IDC_WMPAGE_SECOND_LABEL), c.second);
        EXPECT_TRUE(Enabled(page_, IDC_WMPAGE_FIRST_LIST));
        EXPECT_TRUE(Enabled(page_, IDC_WMPAGE_OVER));
        EXPECT_EQ(Enabled(page_, IDC_WMPAGE_SECOND_LIST), c.secondEnabled);
        EXPECT_EQ(Enabled(page_, IDC_WMPAGE_SECOND_LABEL), c.secondEnabled);
        for (int id : kAlwaysOn) EXPECT_TRUE(Enabled(page_, id)) << id;
    }
    EXPECT_TRUE(sheet_->IsChanged());
    testbed::Click(page_, IDC_WMPAGE_ORDER_NONE);
    for (int id : kDependents) EXPECT_FALSE(Enabled(page_, id)) << id;
    for (int id : kAlwaysOn) EXPECT_TRUE(Enabled(page_, id)) << id;
}

TEST_F(WatermarkPageTest, ChoosingInAListMarksTheSheetChanged) {
    Store({L"Draft"});
    Choose(1, L"", L"");
    ASSERT_TRUE(OpenPage());
    EXPECT_FALSE(sheet_->IsChanged());
    Pick(IDC_WMPAGE_FIRST_LIST, L"Draft");
    EXPECT_TRUE(sheet_->IsChanged());
}

TEST_F(WatermarkPageTest, AllPagesWritesTheSecondBlockAtItsDefaults) {
    Store({L"Draft", L"Confidential"});
    Choose(2, L"Draft", L"Confidential");
    ASSERT_TRUE(OpenPage());
    testbed::Click(page_, IDC_WMPAGE_ORDER_ALL);
    EXPECT_FALSE(Enabled(page_, IDC_WMPAGE_SECOND_LIST));
    EXPECT_FALSE(Enabled(page_, IDC_WMPAGE_SECOND_LABEL));
    // The disabled list still shows its old choice; it must not be written.
    EXPECT_EQ(SelectedText(Second()), L"Confidential");
    Pick(IDC_WMPAGE_FIRST_LIST, L"Confidential");
    ASSERT_TRUE(sheet_->Apply());

    WatermarkRecord defaults;
    MakeDefaultWatermark(&defaults);
    EXPECT_EQ(dm_->watermarksEnabled, 1u);
    EXPECT_EQ(dm_->watermarkOrder, 1u);
    EXPECT_TRUE(SameRecord(dm_->watermarks[0], Stored(L"Confidential")));
    EXPECT_TRUE(SameRecord(dm_->watermarks[1], defaults));
    EXPECT_TRUE(SameRecord(ctx_->work.watermarks[1], defaults));
}

TEST_F(WatermarkPageTest, LeavingWithoutARequiredWatermarkIsRefused) {
    Store({L"Draft"});
    struct Case {
        const char *what;
        uint32_t order;
        int firstIndex, secondIndex;  // -1: nothing selected
        int focusList;
    } cases[] = {
        {"odd/even with (None) in both", 2, 0, 0, IDC_WMPAGE_SECOND_LIST},
        {"all pages with (None)", 1, 0, 0, IDC_WMPAGE_FIRST_LIST},
        {"first/other with nothing selected in the first", 3, -1, 1, IDC_WMPAGE_FIRST_LIST},
        {"first/other with nothing selected in the second", 3, 1, -1, IDC_WMPAGE_SECOND_LIST},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Choose(c.order, L"", L"");
        ASSERT_TRUE(OpenPage());
        SendMessageW(First(), LB_SETCURSEL, static_cast<WPARAM>(c.firstIndex), 0);
        SendMessageW(Second(), LB_SETCURSEL, static_cast<WPARAM>(c.secondIndex), 0);
        PrivateDevmode before = ctx_->work;

        MessageBoxCapture boxes(testbed::UiPlugModule());
        ASSERT_TRUE(boxes.ok());
        EXPECT_FALSE(LeavePage());
        EXPECT_EQ(sheet_->CurrentPage(), page_);
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, L"Please select at least one watermark.");
        EXPECT_TRUE(boxes.shown[0].nullCaption);
        EXPECT_EQ(boxes.shown[0].type, static_cast<UINT>(MB_ICONERROR));
        EXPECT_EQ(GetFocus(), List(c.focusList));
        EXPECT_EQ(std::memcmp(&before, &ctx_->work, sizeof(before)), 0) << "nothing taken";
        CloseSheet();
    }
}

TEST_F(WatermarkPageTest, ApplyWritesTheRecordsAsTheStoreHoldsThemNow) {
    Store({L"Draft", L"Confidential"});
    Choose(2, L"Draft", L"Confidential");
    ASSERT_TRUE(OpenPage());
    // Changed in the store after the sheet opened: the devmode gets the new text.
    WatermarkRecord changed = Record(L"Draft", L"changed meanwhile");
    changed.angle = 30.0;
    ASSERT_TRUE(SaveWatermark(printer_.get(), &changed));
    testbed::Click(page_, IDC_WMPAGE_OVER);
    ASSERT_TRUE(sheet_->Apply());
    EXPECT_EQ(dm_->watermarksEnabled, 1u);
    EXPECT_EQ(dm_->watermarkOrder, 2u);
    EXPECT_EQ(dm_->watermarkOverPage, 1u);
    EXPECT_TRUE(SameRecord(dm_->watermarks[0], changed));
    EXPECT_TRUE(SameRecord(dm_->watermarks[1], Stored(L"Confidential")));
}

TEST_F(WatermarkPageTest, ApplySwitchesWatermarksOffWhenAChosenOneIsGone) {
    Store({L"Draft", L"Confidential"});
    Choose(3, L"Draft", L"Confidential", 1);
    ASSERT_TRUE(OpenPage());
    ASSERT_TRUE(DeleteWatermark(printer_.get(), L"Confidential"));
    ASSERT_TRUE(sheet_->Apply());
    EXPECT_EQ(dm_->watermarksEnabled, 0u);
    EXPECT_EQ(dm_->watermarkOrder, 0u);
    EXPECT_STREQ(dm_->watermarks[1].name, L"");
}

TEST_F(WatermarkPageTest, NoWatermarksAtApplyKeepsThePlacement) {
    Store({L"Draft"});
    Choose(1, L"Draft", L"", 1);
    ASSERT_TRUE(OpenPage());
    testbed::Click(page_, IDC_WMPAGE_ORDER_NONE);
    ASSERT_TRUE(sheet_->Apply());
    EXPECT_EQ(dm_->watermarksEnabled, 0u);
    EXPECT_EQ(dm_->watermarkOrder, 0u);
    EXPECT_EQ(dm_->watermarkOverPage, 1u);
    EXPECT_STREQ(dm_->watermarks[0].name, L"");
}

TEST_F(WatermarkPageTest, AnEmptyStoreLeavesOnlyAddToPress) {
    Choose(0, L"", L"");
    ASSERT_TRUE(OpenPage());
    EXPECT_EQ(ListTexts(First()), std::vector<std::wstring>{L"(None)"});
    EXPECT_TRUE(Enabled(page_, IDC_WMPAGE_ADD));
    EXPECT_FALSE(Enabled(page_, IDC_WMPAGE_EDIT));
    EXPECT_FALSE(Enabled(page_, IDC_WMPAGE_REMOVE));
}

TEST_F(WatermarkPageTest, ReadOnlyDisablesEverythingAndStillLetsTheUserGo) {
    Store({L"Draft"});
    // A choice the user could not correct on a read-only page.
    Choose(2, L"", L"");
    ASSERT_TRUE(OpenPage(DM_NOPERMISSION));
    int children = 0;
    for (HWND child = GetWindow(page_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++children)
        EXPECT_FALSE(IsWindowEnabled(child)) << GetDlgCtrlID(child);
    EXPECT_EQ(children, 16);
    MessageBoxCapture boxes(testbed::UiPlugModule());
    EXPECT_TRUE(LeavePage());
    EXPECT_TRUE(boxes.shown.empty());
}

}  // namespace
