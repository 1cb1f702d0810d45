// The manual correction and balance dialogs that the colour page's buttons
// open: what they show of colorWork, what OK and Cancel do to it, and what of
// it reaches the working copy and the driver's record.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/host/screenshot.h"
#include "tests/ui_color/color_fixture.h"

using namespace colortest;
using testbed::Click;

namespace {

const ColorSettings kManual = {.correction = 3, .rgbImage = 1, .rgbText = 2, .rgbGraphics = 3, .cmykImage = 2,
                               .cmykText = 2, .cmykGraphics = 2, .balanceEnabled = 1, .balanceCyan = -2,
                               .balanceMagenta = -8, .balanceYellow = 3, .balanceBlack = 5};

const int kTrackbars[] = {IDC_BALANCE_CYAN, IDC_BALANCE_MAGENTA, IDC_BALANCE_YELLOW, IDC_BALANCE_BLACK};

LRESULT Position(HWND dialog, int id) { return SendDlgItemMessageW(dialog, id, TBM_GETPOS, 0, 0); }
void Move(HWND dialog, int id, int position) { SendDlgItemMessageW(dialog, id, TBM_SETPOS, TRUE, position); }
bool Same(const ColorSettings &a, const ColorSettings &b) { return std::memcmp(&a, &b, sizeof(a)) == 0; }
void Picture(HWND dialog, const wchar_t *name) {
    testbed::PumpMessages(200);  // painted in full before the picture
    EXPECT_FALSE(testbed::SaveWindowPicture(dialog, name).empty());
}

TEST_F(ColorSheet, CorrectionDialogShowsColorWorkOkStoresAndCancelLeavesIt) {
    HWND page = Open(kManual);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(InDialog(page, IDC_COLOR_CONFIGURE_CORRECTION, [&](HWND dialog) {
        Choose(dialog, IDC_CORRECTION_CMYK, L"Off");
        Click(dialog, IDCANCEL);
    }));
    EXPECT_TRUE(Same(ctx_->colorWork, kManual));
    EXPECT_FALSE(sheet_.IsChanged());

    using List = std::vector<std::wstring>;
    const List rgb = {L"Printer Setting=0", L"sRGB Display=1", L"sRGB Vivid=2", L"Vivid=3", L"Off=4"};
    EXPECT_TRUE(InDialog(page, IDC_COLOR_CONFIGURE_CORRECTION, [&](HWND dialog) {
        for (int id : {IDC_CORRECTION_RGB_IMAGES, IDC_CORRECTION_RGB_TEXT, IDC_CORRECTION_RGB_GRAPHICS})
            EXPECT_EQ(Entries(dialog, id), rgb) << id;
        EXPECT_EQ(Entries(dialog, IDC_CORRECTION_CMYK),
                  (List{L"Printer Setting=0", L"US CMYK=1", L"Euro CMYK=2", L"Vivid CMYK=3", L"Off=4"}));
        EXPECT_EQ(Selected(dialog, IDC_CORRECTION_RGB_IMAGES), L"sRGB Display");
        EXPECT_EQ(Selected(dialog, IDC_CORRECTION_RGB_TEXT), L"sRGB Vivid");
        EXPECT_EQ(Selected(dialog, IDC_CORRECTION_RGB_GRAPHICS), L"Vivid");
        EXPECT_EQ(Selected(dialog, IDC_CORRECTION_CMYK), L"Euro CMYK");
        Picture(dialog, L"color-correction-dialog");
        Choose(dialog, IDC_CORRECTION_RGB_IMAGES, L"Off");
        Choose(dialog, IDC_CORRECTION_CMYK, L"US CMYK");
        Click(dialog, IDOK);
    }));
    EXPECT_TRUE(sheet_.IsChanged());
    EXPECT_EQ(ctx_->work.color.rgbImage, 1u) << "the working copy waits until the page is left";
    ASSERT_TRUE(sheet_.Apply());
    for (const ColorSettings *c : AllCopies())
        EXPECT_EQ(std::vector<uint32_t>({c->rgbImage, c->rgbText, c->cmykImage, c->cmykText, c->cmykGraphics}),
                  std::vector<uint32_t>({4, 2, 1, 1, 1}));
}

TEST_F(ColorSheet, BalanceDialogOffersEveryStepFromMinusFiveToFive) {
    HWND page = Open(kManual);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(InDialog(page, IDC_COLOR_CONFIGURE_BALANCE, [&](HWND dialog) {
        Move(dialog, IDC_BALANCE_CYAN, 4);
        Click(dialog, IDCANCEL);
    }));
    EXPECT_TRUE(Same(ctx_->colorWork, kManual));
    EXPECT_FALSE(sheet_.IsChanged());

    EXPECT_TRUE(InDialog(page, IDC_COLOR_CONFIGURE_BALANCE, [&](HWND dialog) {
        for (int id : kTrackbars) {
            EXPECT_EQ(SendDlgItemMessageW(dialog, id, TBM_GETRANGEMIN, 0, 0), -5) << id;
            EXPECT_EQ(SendDlgItemMessageW(dialog, id, TBM_GETRANGEMAX, 0, 0), 5) << id;
            EXPECT_EQ(SendDlgItemMessageW(dialog, id, TBM_GETLINESIZE, 0, 0), 1) << id;
            EXPECT_EQ(SendDlgItemMessageW(dialog, id, TBM_GETPAGESIZE, 0, 0), 1) << id;
            EXPECT_EQ(SendDlgItemMessageW(dialog, id, TBM_GETNUMTICS, 0, 0), 11) << "both ends and nine between";
        }
        // Magenta's -8 lies outside the range and shows at its end.
        EXPECT_EQ(std::vector<LRESULT>({Position(dialog, IDC_BALANCE_CYAN), Position(dialog, IDC_BALANCE_MAGENTA),
                                        Position(dialog, IDC_BALANCE_YELLOW), Position(dialog, IDC_BALANCE_BLACK)}),
                  std::vector<LRESULT>({-2, -5, 3, 5}));
        Picture(dialog, L"color-balance-dialog");
        Move(dialog, IDC_BALANCE_CYAN, 5);
        Move(dialog, IDC_BALANCE_BLACK, -4);
        Click(dialog, IDOK);
    }));
    EXPECT_TRUE(sheet_.IsChanged());
    ASSERT_TRUE(sheet_.Apply());
    for (const ColorSettings *c : AllCopies())
        EXPECT_EQ(std::vector<int32_t>({c->balanceCyan, c->balanceMagenta, c->balanceYellow, c->balanceBlack}),
                  std::vector<int32_t>({5, -5, 3, -4}));
}

TEST_F(ColorSheet, ValuesOfAModeLeftManualAreDroppedAndTheRecordsKept) {
    HWND page = Open(kManual);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(InDialog(page, IDC_COLOR_CONFIGURE_CORRECTION, [&](HWND dialog) {
        Choose(dialog, IDC_CORRECTION_RGB_TEXT, L"Off");
        Click(dialog, IDOK);
    }));
    EXPECT_TRUE(InDialog(page, IDC_COLOR_CONFIGURE_BALANCE, [&](HWND dialog) {
        Move(dialog, IDC_BALANCE_YELLOW, -1);
        Click(dialog, IDOK);
    }));
    Choose(page, IDC_COLOR_CORRECTION_MODE, L"Auto");
    Choose(page, IDC_COLOR_BALANCE_MODE, L"Printer Setting");
    ASSERT_TRUE(sheet_.Apply());
    for (const ColorSettings *c : BothRecords()) {
        EXPECT_EQ(c->correction, 2u);
        EXPECT_EQ(c->rgbText, 2u);
        EXPECT_EQ(c->balanceEnabled, 0u);
        EXPECT_EQ(c->balanceYellow, 3);
    }
}

TEST_F(ColorSheet, DialogsWithoutTheDriversRecordStayEmptyAndStillClose) {
    param_.pOEMDM = nullptr;
    HWND page = Open({});
    ASSERT_NE(page, nullptr);
    Choose(page, IDC_COLOR_CORRECTION_MODE, L"Manual");
    Choose(page, IDC_COLOR_BALANCE_MODE, L"Manual");
    const ColorSettings before = ctx_->colorWork;
    EXPECT_TRUE(InDialog(page, IDC_COLOR_CONFIGURE_CORRECTION, [&](HWND dialog) {
        EXPECT_TRUE(Entries(dialog, IDC_CORRECTION_CMYK).empty());
        Click(dialog, IDOK);
    }));
    EXPECT_TRUE(InDialog(page, IDC_COLOR_CONFIGURE_BALANCE, [&](HWND dialog) { Click(dialog, IDOK); }));
    EXPECT_TRUE(Same(ctx_->colorWork, before));
    EXPECT_TRUE(sheet_.Apply()) << "no record to write to, and nothing written";
    EXPECT_EQ(ctx_->work.color.correction, 3u);
}

}  // namespace
