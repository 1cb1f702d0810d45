// String-table texts whose resource spelling differs from their text:
// embedded quotation marks, trailing blanks and format markers must come out
// exactly as the pages and the cover page use them.
#include <gtest/gtest.h>

#include "resources/resource.h"
#include "ui/frame/module.h"

namespace {

std::wstring Load(UINT id) {
    wchar_t text[kUiStringChars];
    LoadUiString(id, text, kUiStringChars);
    return text;
}

TEST(StringTable, QuotesBlanksAndFormatsSurviveTheResourceCompiler) {
    EXPECT_EQ(Load(IDS_ERR_PROFILE_NAME_USED),
              L"\"%s\" is already being used for another Personal Profile. Please use a new name.");
    EXPECT_EQ(Load(IDS_ERR_PROFILE_NAME_RESERVED),
              L"The name of the profile can not be either \"Factory Defaults\" or \"<Unknown Profile>.\"  "
              L"Please enter another name.");
    EXPECT_EQ(Load(IDS_ERR_COVER_PAGE_PARTS),
              L"You have elected to send a cover page with the fax, but have not selected any components for the "
              L"cover page.  Please either select some components using the \"Setup Cover Page\" button or uncheck "
              L"the \"Send cover page\" box.");
    EXPECT_EQ(Load(IDS_CONFIRM_PROFILE_CHANGE),
              L"Are you sure that you want to save your current settings into the existing \"%s\" personal profile?");
    EXPECT_EQ(Load(IDS_FAX_PAGES_TO_FOLLOW), L"Pages to Follow:   ");
    EXPECT_EQ(Load(IDS_FAX_TO_NAME), L"Name:      ");
    EXPECT_EQ(Load(IDS_WM_USERNAME_TEXT), L"User:  %Username%");
    EXPECT_EQ(Load(IDS_VAR_PERCENT_INSERT), L"%%");
    EXPECT_EQ(Load(IDS_WM_LABEL_EVEN_PAGES), L"Even Page&s");
    EXPECT_EQ(Load(IDS_UNKNOWN_PROFILE), L"<Unknown Profile>");
}

}  // namespace
