// The variable dialog opened from the editor: adding variables at the end or
// over a selection, and what OK and Cancel hand back to the editor.
#include "tests/ui_wmeditor/editor_fixture.h"

#include "tests/host/screenshot.h"

using namespace wmeditor;
using testbed::Click;
using testbed::GetText;
using testbed::RunModal;
using testbed::SetText;

namespace {

void SelectVariable(HWND dialog, const wchar_t *description) {
    HWND list = GetDlgItem(dialog, IDC_WMVAR_LIST);
    LRESULT index = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(description));
    ASSERT_NE(index, LB_ERR) << Narrow(description);
    SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_WMVAR_LIST, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

class VariableTest : public EditorTest {
protected:
    // Opens the variable dialog from an editor whose text field holds
    // `text`; returns the editor's text field once the dialog has closed.
    std::wstring RunVariables(const wchar_t *text, const std::function<void(HWND)> &act) {
        std::wstring after;
        OpenAdd([&](HWND editor) {
            SetText(editor, IDC_WMEDIT_TEXT, text);
            Click(editor, IDC_WMEDIT_DYNAMIC);
            EXPECT_TRUE(RunModal([&] { Click(editor, IDC_WMEDIT_CONFIGURE); }, act))
                << "the variable dialog did not show or was left open";
            after = GetText(editor, IDC_WMEDIT_TEXT);
            Click(editor, IDCANCEL);
        });
        return after;
    }
};

TEST_F(VariableTest, OpensWithTheTextAndAllVariablesSorted) {
    RunVariables(L"Draft", [&](HWND dialog) {
        EXPECT_EQ(GetText(dialog, IDC_WMVAR_TEXT), L"Draft");
        HWND list = GetDlgItem(dialog, IDC_WMVAR_LIST);
        ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 12);
        wchar_t first[128];
        SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first));
        EXPECT_STREQ(first, L"Date (dd/mm/yyyy format)");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_WMVAR_ADD)));
        SelectVariable(dialog, L"Page number");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_WMVAR_ADD)));
        testbed::PumpMessages(200);
        testbed::SaveWindowPicture(dialog, L"wmeditor_variables");
        Click(dialog, IDCANCEL);
    });
}

TEST_F(VariableTest, AddAppendsTheTokenWhenNothingIsSelected) {
    std::wstring text = RunVariables(L"Draft ", [&](HWND dialog) {
        SendDlgItemMessageW(dialog, IDC_WMVAR_TEXT, EM_SETSEL, 2, 2);
        SelectVariable(dialog, L"Percent (%) symbol");
        Click(dialog, IDC_WMVAR_ADD);
        EXPECT_EQ(GetText(dialog, IDC_WMVAR_TEXT), L"Draft %%");
        SelectVariable(dialog, L"User name");
        Click(dialog, IDC_WMVAR_ADD);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        Click(dialog, IDOK);
    });
    EXPECT_EQ(text, L"Draft %%%Username%");
    EXPECT_EQ(ctx_->dynamicDialogResult, 1u);
}

TEST_F(VariableTest, AddReplacesTheSelectedText) {
    std::wstring text = RunVariables(L"A Draft copy", [&](HWND dialog) {
        SendDlgItemMessageW(dialog, IDC_WMVAR_TEXT, EM_SETSEL, 2, 7);
        SelectVariable(dialog, L"Percent (%) symbol");
        Click(dialog, IDC_WMVAR_ADD);
        Click(dialog, IDOK);
    });
    EXPECT_EQ(text, L"A %% copy");
}

TEST_F(VariableTest, ATokenThatDoesNotFitWholeIsNotAdded) {
    std::wstring full(120, L'x');
    std::wstring text = RunVariables(full.c_str(), [&](HWND dialog) {
        SendDlgItemMessageW(dialog, IDC_WMVAR_TEXT, EM_SETSEL, 0, 0);
        SelectVariable(dialog, L"Date (dd/mm/yyyy format)");
        Click(dialog, IDC_WMVAR_ADD);
        EXPECT_EQ(GetText(dialog, IDC_WMVAR_TEXT), full);
        SelectVariable(dialog, L"Percent (%) symbol");
        Click(dialog, IDC_WMVAR_ADD);
        Click(dialog, IDOK);
    });
    EXPECT_EQ(text, full + L"%%");
}

TEST_F(VariableTest, CancelGivesTheTextBackUnchanged) {
    std::wstring text = RunVariables(L"Draft", [&](HWND dialog) {
        SendDlgItemMessageW(dialog, IDC_WMVAR_TEXT, EM_SETSEL, 0, 0);
        SelectVariable(dialog, L"Time (standard format)");
        Click(dialog, IDC_WMVAR_ADD);
        EXPECT_EQ(GetText(dialog, IDC_WMVAR_TEXT), L"Draft%time%");
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(text, L"Draft");
    EXPECT_EQ(ctx_->dynamicDialogResult, 2u);
}

}  // namespace
