// The colour page in the document sheet: its lists, what they select for
// stored values (listed or not), the configure buttons, and what leaving the
// page and applying the sheet write.
#include <gtest/gtest.h>

#include "tests/host/screenshot.h"
#include "tests/ui_color/color_fixture.h"

using namespace colortest;

namespace {

TEST_F(ColorSheet, PageJoinsTheSheetBeforeAboutOnlyWithManualColorCorrection) {
    host_.core.features.erase("HasManualColorCorrection");
    ASSERT_EQ(Open({}), nullptr);
    ASSERT_EQ(sheet_.pages.size(), 3u);
    Destroy();
    host_.core.features["HasManualColorCorrection"] = {"True"};
    ASSERT_NE(Open({}), nullptr);
    EXPECT_EQ(sheet_.pages[1].pszTemplate, MAKEINTRESOURCEW(IDD_COLOR_PAGE));
    EXPECT_EQ(sheet_.pages[3].pszTemplate, MAKEINTRESOURCEW(IDD_ABOUT_DOCUMENT));
}

TEST_F(ColorSheet, StoredValuesSelectTheirEntriesAndTheButtonsFollowTheModes) {
    HWND page = Open({.correction = 1, .balanceEnabled = 1, .colorThrift = 2});
    ASSERT_NE(page, nullptr);
    using List = std::vector<std::wstring>;
    EXPECT_EQ(Entries(page, IDC_COLOR_CORRECTION_MODE),
              (List{L"Printer Setting=0", L"Off=1", L"Auto=2", L"Manual=3"}));
    EXPECT_EQ(Entries(page, IDC_COLOR_BALANCE_MODE), (List{L"Printer Setting=0", L"Manual=1"}));
    EXPECT_EQ(Entries(page, IDC_COLOR_TONER_SAVING), (List{L"Printer Setting=0", L"On=2", L"Off=1"}));
    EXPECT_EQ(Selected(page, IDC_COLOR_CORRECTION_MODE), L"Off");
    EXPECT_EQ(Selected(page, IDC_COLOR_BALANCE_MODE), L"Manual");
    EXPECT_EQ(Selected(page, IDC_COLOR_TONER_SAVING), L"On");
    EXPECT_FALSE(Enabled(page, IDC_COLOR_CONFIGURE_CORRECTION));
    EXPECT_TRUE(Enabled(page, IDC_COLOR_CONFIGURE_BALANCE));
    EXPECT_FALSE(testbed::SaveWindowPicture(sheet_.sheet(), L"color-page").empty());
    EXPECT_FALSE(sheet_.IsChanged());

    for (const wchar_t *mode : {L"Printer Setting", L"Auto", L"Manual", L"Off"}) {
        Choose(page, IDC_COLOR_CORRECTION_MODE, mode);
        EXPECT_EQ(Enabled(page, IDC_COLOR_CONFIGURE_CORRECTION), mode == std::wstring(L"Manual"))
            << uitest::Narrow(mode);
    }
    EXPECT_TRUE(sheet_.IsChanged());
    Choose(page, IDC_COLOR_BALANCE_MODE, L"Printer Setting");
    EXPECT_FALSE(Enabled(page, IDC_COLOR_CONFIGURE_BALANCE));
    Choose(page, IDC_COLOR_BALANCE_MODE, L"Manual");
    EXPECT_TRUE(Enabled(page, IDC_COLOR_CONFIGURE_BALANCE));
}

TEST_F(ColorSheet, UnlistedStoredValuesSelectNothingAndAreNeverWrittenBack) {
    HWND page = Open({.correction = 7, .balanceEnabled = 9, .colorThrift = 3});
    ASSERT_NE(page, nullptr);
    for (int id : {IDC_COLOR_CORRECTION_MODE, IDC_COLOR_BALANCE_MODE, IDC_COLOR_TONER_SAVING})
        EXPECT_EQ(Selected(page, id), L"") << id;
    EXPECT_FALSE(Enabled(page, IDC_COLOR_CONFIGURE_CORRECTION));
    ASSERT_TRUE(sheet_.Apply());
    EXPECT_EQ(DriverColor().correction, 0u);
    EXPECT_EQ(DriverColor().balanceEnabled, 0u);
    EXPECT_EQ(DriverColor().colorThrift, 0u);
    Destroy();

    // Manual modes whose values the dialogs were never opened on: stored as
    // the dialogs would show them, unlisted as "Printer Setting", balances
    // at the nearer end of their range.
    ASSERT_NE(Open({.correction = 3, .rgbImage = 9, .rgbText = 2, .cmykText = 77, .balanceEnabled = 1,
                    .balanceCyan = -9, .balanceMagenta = 4, .balanceBlack = 12}),
              nullptr);
    SwitchTo(kAboutPage);
    const ColorSettings &work = ctx_->work.color;
    EXPECT_EQ(std::vector<uint32_t>({work.rgbImage, work.rgbText, work.cmykText}), std::vector<uint32_t>({0, 2, 0}));
    EXPECT_EQ(std::vector<int32_t>({work.balanceCyan, work.balanceMagenta, work.balanceBlack}),
              std::vector<int32_t>({-5, 4, 5}));
}

TEST_F(ColorSheet, ActivationShowsWhatAnotherPageLeftInTheWorkingCopy) {
    ASSERT_NE(Open({}), nullptr);
    SwitchTo(kAboutPage);
    ctx_->work.color = {.correction = 3, .rgbText = 3, .balanceEnabled = 1, .colorThrift = 2};
    HWND page = SwitchTo(kColorPage);
    EXPECT_EQ(Selected(page, IDC_COLOR_CORRECTION_MODE), L"Manual");
    EXPECT_EQ(Selected(page, IDC_COLOR_BALANCE_MODE), L"Manual");
    EXPECT_EQ(Selected(page, IDC_COLOR_TONER_SAVING), L"On");
    EXPECT_TRUE(Enabled(page, IDC_COLOR_CONFIGURE_CORRECTION) && Enabled(page, IDC_COLOR_CONFIGURE_BALANCE));
    EXPECT_EQ(ctx_->colorWork.rgbText, 3u);
    EXPECT_EQ(Entries(page, IDC_COLOR_CORRECTION_MODE).size(), 4u) << "the lists are not refilled";
}

TEST_F(ColorSheet, ReadOnlySheetDisablesEveryControlAlsoAfterReturning) {
    param_ = host_.SheetParam(printer_.get(), DM_NOPERMISSION);
    HWND page = Open({.correction = 3, .balanceEnabled = 1});
    ASSERT_NE(page, nullptr);
    for (int round = 0; round < 2; ++round, SwitchTo(kAboutPage), page = SwitchTo(kColorPage)) {
        int children = 0;
        for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), ++children)
            EXPECT_FALSE(IsWindowEnabled(child)) << "round " << round << ", control " << GetDlgCtrlID(child);
        EXPECT_EQ(children, 8);
    }
}

TEST_F(ColorSheet, PageWithoutAPrinterStaysEmptyAndLosesNothing) {
    param_.hPrinter = nullptr;
    HWND page = Open({.correction = 2, .balanceEnabled = 1, .balanceCyan = 3, .colorThrift = 2});
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(Entries(page, IDC_COLOR_CORRECTION_MODE).empty());
    ASSERT_TRUE(sheet_.Apply());
    for (const ColorSettings *c : BothRecords()) {
        EXPECT_EQ(c->correction, 2u);
        EXPECT_EQ(c->balanceEnabled, 1u);
        EXPECT_EQ(c->balanceCyan, 3);
        EXPECT_EQ(c->colorThrift, 2u);
    }
}

}  // namespace
