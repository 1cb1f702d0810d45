// The position dialog opened from the editor: anchors, offsets, steppers,
// units and their limits, and what reaches the editor after OK or Cancel.
#include "tests/ui_wmeditor/editor_fixture.h"

#include "tests/host/screenshot.h"

using namespace wmeditor;
using testbed::Click;
using testbed::GetText;
using testbed::RunModal;
using testbed::SetText;

namespace {

// What the stepper does for an arrow key in its buddy field.
void StepUp(HWND dialog, int edit) {
    HWND field = GetDlgItem(dialog, edit);
    SendMessageW(field, WM_KEYDOWN, VK_UP, 0);
    SendMessageW(field, WM_KEYUP, VK_UP, 0);
}

void StepDown(HWND dialog, int edit) {
    HWND field = GetDlgItem(dialog, edit);
    SendMessageW(field, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageW(field, WM_KEYUP, VK_DOWN, 0);
}

class PositionTest : public EditorTest {
protected:
    // Opens the editor over a stored record with `placement`, then the
    // position dialog from it; `act` must close the position dialog.
    void OpenPosition(const WatermarkRecord &placement, const std::function<void(HWND)> &act,
                      const std::function<void(HWND)> &afterEditor = nullptr) {
        Store(placement);
        OpenEdit(placement.name, [&](HWND editor) {
            EXPECT_TRUE(RunModal([&] { Click(editor, IDC_WMEDIT_POSITION); }, act))
                << "the position dialog did not show or was left open";
            if (afterEditor) afterEditor(editor);
            Click(editor, IDCANCEL);
        });
    }
    WatermarkRecord Placement(uint32_t position, double vertical, double horizontal, uint8_t units) {
        WatermarkRecord wm = MakeRecord(L"Placed", L"Placed");
        wm.position = position;
        wm.verticalOffset = vertical;
        wm.horizontalOffset = horizontal;
        wm.units = units;
        return wm;
    }
};

TEST_F(PositionTest, OpensOnTheRecordsPlacementAndReturnsItUnchanged) {
    OpenPosition(Placement(WM_POS_BOTTOM_RIGHT, 1.0, -2.5, 1), [&](HWND dialog) {
        EXPECT_TRUE(IsChecked(dialog, IDC_WMPOS_BOTTOM));
        EXPECT_TRUE(IsChecked(dialog, IDC_WMPOS_RIGHT));
        EXPECT_FALSE(IsChecked(dialog, IDC_WMPOS_TOP) || IsChecked(dialog, IDC_WMPOS_VCENTER));
        EXPECT_EQ(GetText(dialog, IDC_WMPOS_VOFFSET), L"1.0");
        EXPECT_EQ(GetText(dialog, IDC_WMPOS_HOFFSET), L"-2.5");
        EXPECT_TRUE(IsChecked(dialog, IDC_WMPOS_INCHES));
        testbed::PumpMessages(200);
        testbed::SaveWindowPicture(dialog, L"wmeditor_position");
        Click(dialog, IDOK);
    });
    EXPECT_EQ(ctx_->editPosition, static_cast<uint32_t>(WM_POS_BOTTOM_RIGHT));
    EXPECT_EQ(ctx_->editVerticalOffset, 1.0);
    EXPECT_EQ(ctx_->editHorizontalOffset, -2.5);
    EXPECT_EQ(ctx_->editUnits, 1);
}

TEST_F(PositionTest, StepsAreATenthOfAnInchOrAMillimetre) {
    OpenPosition(Placement(WM_POS_CENTER, 1.0, 25.4, 1), [&](HWND dialog) {
        StepUp(dialog, IDC_WMPOS_VOFFSET);
        EXPECT_EQ(GetText(dialog, IDC_WMPOS_VOFFSET), L"1.1");
        StepDown(dialog, IDC_WMPOS_VOFFSET);
        StepDown(dialog, IDC_WMPOS_VOFFSET);
        EXPECT_EQ(GetText(dialog, IDC_WMPOS_VOFFSET), L"0.9");
        Click(dialog, IDC_WMPOS_MILLIMETRES);
        SetText(dialog, IDC_WMPOS_HOFFSET, L"25.4");
        StepUp(dialog, IDC_WMPOS_HOFFSET);
        EXPECT_EQ(GetText(dialog, IDC_WMPOS_HOFFSET), L"26.4");
        Click(dialog, IDOK);
    });
    EXPECT_EQ(ctx_->editUnits, 0);
    EXPECT_DOUBLE_EQ(ctx_->editHorizontalOffset, 26.4);
    EXPECT_DOUBLE_EQ(ctx_->editVerticalOffset, 22.9) << "0.9 inches in millimetres, to a tenth";
}

TEST_F(PositionTest, SwitchingUnitsConvertsTheTextsBothWays) {
    OpenPosition(Placement(WM_POS_CENTER, 1.0, -2.0, 1), [&](HWND dialog) {
        Click(dialog, IDC_WMPOS_MILLIMETRES);
        EXPECT_EQ(GetText(dialog, IDC_WMPOS_VOFFSET), L"25.4");
        EXPECT_EQ(GetText(dialog, IDC_WMPOS_HOFFSET), L"-50.8");
        Click(dialog, IDC_WMPOS_MILLIMETRES);
        EXPECT_EQ(GetText(dialog, IDC_WMPOS_VOFFSET), L"25.4") << "the current unit again changes nothing";
        Click(dialog, IDC_WMPOS_INCHES);
        EXPECT_EQ(GetText(dialog, IDC_WMPOS_VOFFSET), L"1.0");
        EXPECT_EQ(GetText(dialog, IDC_WMPOS_HOFFSET), L"-2.0");
        Click(dialog, IDOK);
    });
}

// The last valid values follow the texts into the unit shown, so that a bad
// entry after switching back to inches restores inches, not millimetres.
TEST_F(PositionTest, ARestoreAfterSwitchingUnitsPutsBackTheValueInTheUnitShown) {
    OpenPosition(Placement(WM_POS_CENTER, 1.0, 0.5, 1), [&](HWND dialog) {
        Click(dialog, IDC_WMPOS_MILLIMETRES);
        SetText(dialog, IDC_WMPOS_VOFFSET, L"x");
        EXPECT_EQ(GetText(dialog, IDC_WMPOS_VOFFSET), L"25.4");
        Click(dialog, IDC_WMPOS_INCHES);
        SetText(dialog, IDC_WMPOS_VOFFSET, L"1.2.3");
        EXPECT_EQ(GetText(dialog, IDC_WMPOS_VOFFSET), L"1.0");
        SetText(dialog, IDC_WMPOS_HOFFSET, L"--1");
        EXPECT_EQ(GetText(dialog, IDC_WMPOS_HOFFSET), L"0.5");
        auto *copy = reinterpret_cast<const PageContext *>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
        ASSERT_NE(copy, nullptr);
        EXPECT_NE(copy, ctx_) << "the dialog works on a copy";
        EXPECT_DOUBLE_EQ(copy->positionLastVertical, 1.0);
        EXPECT_DOUBLE_EQ(copy->positionLastHorizontal, 0.5);
        Click(dialog, IDCANCEL);
    });
}

TEST_F(PositionTest, OffsetsStayWithinTenThousandInches) {
    OpenPosition(Placement(WM_POS_CENTER, 0.0, 9999.9, 1), [&](HWND dialog) {
        SetText(dialog, IDC_WMPOS_VOFFSET, L"abc");
        EXPECT_EQ(GetText(dialog, IDC_WMPOS_VOFFSET), L"0.0") << "the first bad entry restores the value shown";
        SetText(dialog, IDC_WMPOS_VOFFSET, L"10000");
        EXPECT_EQ(GetText(dialog, IDC_WMPOS_VOFFSET), L"0.0");
        SetText(dialog, IDC_WMPOS_VOFFSET, L"-9999.9");
        EXPECT_EQ(GetText(dialog, IDC_WMPOS_VOFFSET), L"-9999.9");
        StepDown(dialog, IDC_WMPOS_VOFFSET);
        EXPECT_EQ(GetText(dialog, IDC_WMPOS_VOFFSET), L"-9999.9") << "a step beyond the limit does nothing";
        StepUp(dialog, IDC_WMPOS_HOFFSET);
        EXPECT_EQ(GetText(dialog, IDC_WMPOS_HOFFSET), L"9999.9");
        // 9999.9 inches are 253997.5 mm when shown to a tenth: one tenth
        // too far, so the conversion steps back to 253997.4.
        Click(dialog, IDC_WMPOS_MILLIMETRES);
        EXPECT_EQ(GetText(dialog, IDC_WMPOS_HOFFSET), L"253997.4");
        EXPECT_EQ(GetText(dialog, IDC_WMPOS_VOFFSET), L"-253997.4");
        SetText(dialog, IDC_WMPOS_HOFFSET, L"254000");
        EXPECT_EQ(GetText(dialog, IDC_WMPOS_HOFFSET), L"253997.4");
        Click(dialog, IDOK);
    });
    EXPECT_DOUBLE_EQ(ctx_->editHorizontalOffset, 253997.4);
    EXPECT_EQ(ctx_->editUnits, 0);
}

TEST_F(PositionTest, CentreWatermarkResetsAnchorAndOffsets) {
    OpenPosition(Placement(WM_POS_TOP_LEFT, 3.0, 4.0, 1), [&](HWND dialog) {
        Click(dialog, IDC_WMPOS_CENTER);
        EXPECT_EQ(GetText(dialog, IDC_WMPOS_VOFFSET), L"0.0");
        EXPECT_EQ(GetText(dialog, IDC_WMPOS_HOFFSET), L"0.0");
        EXPECT_TRUE(IsChecked(dialog, IDC_WMPOS_VCENTER));
        EXPECT_TRUE(IsChecked(dialog, IDC_WMPOS_HCENTER));
        EXPECT_FALSE(IsChecked(dialog, IDC_WMPOS_TOP) || IsChecked(dialog, IDC_WMPOS_LEFT));
        Click(dialog, IDOK);
    });
    EXPECT_EQ(ctx_->editPosition, static_cast<uint32_t>(WM_POS_CENTER));
    EXPECT_EQ(ctx_->editVerticalOffset, 0.0);
}

TEST_F(PositionTest, AnchorsMapToTheirPositionCodes) {
    OpenPosition(Placement(WM_POS_CENTER, 0, 0, 1), [&](HWND dialog) {
        Click(dialog, IDC_WMPOS_TOP);
        Click(dialog, IDC_WMPOS_RIGHT);
        Click(dialog, IDOK);
    });
    EXPECT_EQ(ctx_->editPosition, static_cast<uint32_t>(WM_POS_TOP_RIGHT));
    ctx_->editPosition = 0;
    ClearStore();
    OpenPosition(Placement(WM_POS_CENTER, 0, 0, 1), [&](HWND dialog) {
        Click(dialog, IDC_WMPOS_BOTTOM);
        Click(dialog, IDC_WMPOS_HCENTER);
        Click(dialog, IDOK);
    });
    EXPECT_EQ(ctx_->editPosition, static_cast<uint32_t>(WM_POS_BOTTOM_CENTER));
}

TEST_F(PositionTest, CancelLeavesTheEditorsPlacementUnchanged) {
    OpenPosition(
        Placement(WM_POS_TOP_LEFT, 1.5, 2.5, 1),
        [&](HWND dialog) {
            Click(dialog, IDC_WMPOS_BOTTOM);
            SetText(dialog, IDC_WMPOS_VOFFSET, L"3.0");
            Click(dialog, IDC_WMPOS_MILLIMETRES);
            Click(dialog, IDCANCEL);
        },
        [&](HWND editor) {
            EXPECT_EQ(ctx_->editPosition, static_cast<uint32_t>(WM_POS_TOP_LEFT));
            EXPECT_EQ(ctx_->editVerticalOffset, 1.5);
            EXPECT_EQ(ctx_->editHorizontalOffset, 2.5);
            EXPECT_EQ(ctx_->editUnits, 1);
            // OK there, then Cancel in the editor: nothing stored changes.
            EXPECT_TRUE(RunModal([&] { Click(editor, IDC_WMEDIT_POSITION); },
                                 [&](HWND dialog) {
                                     Click(dialog, IDC_WMPOS_BOTTOM);
                                     Click(dialog, IDOK);
                                 }));
            EXPECT_EQ(ctx_->editPosition, static_cast<uint32_t>(WM_POS_BOTTOM_LEFT));
        });
    WatermarkRecord stored;
    ASSERT_TRUE(Stored(L"Placed", &stored));
    EXPECT_EQ(stored.position, static_cast<uint32_t>(WM_POS_TOP_LEFT));
}

TEST_F(PositionTest, ThePlacementIsSavedWithTheWatermark) {
    Store(MakeRecord(L"Placed", L"Placed"));
    OpenEdit(L"Placed", [&](HWND editor) {
        EXPECT_TRUE(RunModal([&] { Click(editor, IDC_WMEDIT_POSITION); },
                             [&](HWND dialog) {
                                 Click(dialog, IDC_WMPOS_TOP);
                                 Click(dialog, IDC_WMPOS_LEFT);
                                 Click(dialog, IDC_WMPOS_MILLIMETRES);
                                 SetText(dialog, IDC_WMPOS_VOFFSET, L"-12.5");
                                 Click(dialog, IDOK);
                             }));
        Click(editor, IDOK);
    });
    WatermarkRecord stored;
    ASSERT_TRUE(Stored(L"Placed", &stored));
    EXPECT_EQ(stored.position, static_cast<uint32_t>(WM_POS_TOP_LEFT));
    EXPECT_EQ(stored.units, 0);
    EXPECT_DOUBLE_EQ(stored.verticalOffset, -12.5);
}

}  // namespace
