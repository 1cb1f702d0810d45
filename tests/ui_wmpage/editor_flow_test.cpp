// The page's Add and Edit buttons through the real editor: what the lists
// show afterwards, what the store holds and when the sheet counts as changed.
#include <algorithm>

#include "tests/host/screenshot.h"
#include "tests/ui_wmpage/dialog_sequence.h"
#include "tests/ui_wmpage/page_fixture.h"

using namespace wmpage;
using testbed::Click;
using testbed::SetText;

namespace {

// The editor's answer to a user who types a name and a text and presses OK.
DialogAction SaveAs(const std::wstring &name, const std::wstring &text) {
    return [=](HWND editor) {
        SetText(editor, IDC_WMEDIT_NAME, name);
        SetText(editor, IDC_WMEDIT_TEXT, text);
        Click(editor, IDOK);
    };
}

DialogAction ChooseAndAccept(const std::wstring &name) {
    return [=](HWND dialog) {
        ChooseListItem(dialog, IDC_WMSELECT_LIST, name);
        Click(dialog, IDOK);
    };
}

TEST_F(WatermarkPageTest, AddAppendsTheSavedWatermarkToBothLists) {
    Store({L"Draft"});
    Choose(1, L"Draft", L"");
    ASSERT_TRUE(OpenPage());
    ASSERT_TRUE(RunDialogSequence([&] { Click(page_, IDC_WMPAGE_ADD); }, {SaveAs(L"Fresh", L"Hello there")}));
    EXPECT_EQ(ListTexts(First()).back(), L"Fresh");
    EXPECT_EQ(ListTexts(Second()).back(), L"Fresh");
    EXPECT_EQ(ListTexts(First()).size(), 3u);
    EXPECT_EQ(StoredCount(), 2u);
    EXPECT_STREQ(Stored(L"Fresh").text, L"Hello there");
    EXPECT_EQ(SelectedText(First()), L"Draft");
    EXPECT_FALSE(sheet_->IsChanged()) << "adding changes no choice";
}

TEST_F(WatermarkPageTest, AddIntoAnEmptyStoreOpensEditAndRemoveAndWidensTheLists) {
    Choose(0, L"", L"");
    ASSERT_TRUE(OpenPage());
    ASSERT_FALSE(Enabled(page_, IDC_WMPAGE_EDIT));
    const std::wstring longName(100, L'W');
    LRESULT before = SendMessageW(First(), LB_GETHORIZONTALEXTENT, 0, 0);
    ASSERT_TRUE(RunDialogSequence([&] { Click(page_, IDC_WMPAGE_ADD); }, {SaveAs(longName, L"wide")}));
    EXPECT_EQ(ListTexts(Second()), (std::vector<std::wstring>{L"(None)", longName}));
    EXPECT_TRUE(Enabled(page_, IDC_WMPAGE_EDIT));
    EXPECT_TRUE(Enabled(page_, IDC_WMPAGE_REMOVE));
    LRESULT extent = SendMessageW(First(), LB_GETHORIZONTALEXTENT, 0, 0);
    EXPECT_GE(extent, 100 * 4) << "room for a hundred characters";
    EXPECT_GT(extent, before);
    EXPECT_EQ(SendMessageW(Second(), LB_GETHORIZONTALEXTENT, 0, 0), extent);
}

TEST_F(WatermarkPageTest, RenamingTheSelectedWatermarkKeepsItSelectedUnderItsNewName) {
    Store({L"Draft", L"Confidential", L"Copy"});
    Choose(2, L"Draft", L"Confidential");
    ASSERT_TRUE(OpenPage());
    std::wstring shownName;
    ASSERT_TRUE(RunDialogSequence([&] { Click(page_, IDC_WMPAGE_EDIT); },
                                  {ChooseAndAccept(L"Draft"), [&](HWND editor) {
                                       shownName = testbed::GetText(editor, IDC_WMEDIT_NAME);
                                       EXPECT_EQ(testbed::GetText(editor, IDC_WMEDIT_TEXT), L"text of Draft");
                                       EXPECT_FALSE(
                                           testbed::SaveWindowPicture(editor, L"watermark-editor-from-page").empty());
                                       SaveAs(L"Draft Two", L"text of Draft")(editor);
                                   }}));
    EXPECT_EQ(shownName, L"Draft");
    EXPECT_STREQ(ctx_->editChosenName, L"Draft");
    EXPECT_EQ(SelectedText(First()), L"Draft Two");
    EXPECT_EQ(SelectedText(Second()), L"Confidential");
    std::vector<std::wstring> texts = ListTexts(First());
    EXPECT_EQ(std::count(texts.begin(), texts.end(), L"Draft"), 0);
    EXPECT_EQ(ListTexts(Second()), texts);
    EXPECT_EQ(StoredCount(), 3u) << "a rename leaves the count as it was";
    EXPECT_FALSE(WatermarkExists(printer_.get(), L"Draft"));
    EXPECT_TRUE(sheet_->IsChanged());

    // The new name is what the devmode gets.
    ASSERT_TRUE(sheet_->Apply());
    EXPECT_STREQ(dm_->watermarks[0].name, L"Draft Two");
}

TEST_F(WatermarkPageTest, DoubleClickOnAnItemEditsItWithoutTouchingTheChoice) {
    Store({L"Draft", L"Confidential"});
    Choose(1, L"Draft", L"");
    ASSERT_TRUE(OpenPage());
    ASSERT_TRUE(RunDialogSequence([&] { Click(page_, IDC_WMPAGE_EDIT); },
                                  {[&](HWND dialog) {
                                       ChooseListItem(dialog, IDC_WMSELECT_LIST, L"Confidential");
                                       HWND list = GetDlgItem(dialog, IDC_WMSELECT_LIST);
                                       RECT item{};
                                       SendMessageW(list, LB_GETITEMRECT, SendMessageW(list, LB_GETCURSEL, 0, 0),
                                                    reinterpret_cast<LPARAM>(&item));
                                       SendMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON,
                                                    MAKELPARAM(item.left + 5, (item.top + item.bottom) / 2));
                                   },
                                   SaveAs(L"Confidential", L"new words")}));
    EXPECT_STREQ(Stored(L"Confidential").text, L"new words");
    EXPECT_EQ(StoredCount(), 2u);
    EXPECT_EQ(SelectedText(First()), L"Draft");
    EXPECT_FALSE(sheet_->IsChanged()) << "the chosen watermark is not the one edited";
}

}  // namespace
