// The editor against the real registry store: what it saves, what it
// refuses and with which message, and renames.
#include "tests/ui_wmeditor/editor_fixture.h"

#include "tests/host/screenshot.h"

using namespace wmeditor;
using testbed::Click;
using testbed::GetText;
using testbed::SetText;

namespace {

TEST_F(EditorTest, AddSavesTheRecordAsEntered) {
    Store(MakeRecord(L"Draft", L"DRAFT"));
    INT_PTR result = OpenAdd([&](HWND dialog) {
        wchar_t title[64];
        GetWindowTextW(dialog, title, 64);
        EXPECT_STREQ(title, L"Add Watermark");
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        SetText(dialog, IDC_WMEDIT_NAME, L"Sketch  ");
        SetText(dialog, IDC_WMEDIT_TEXT, L"Rough copy");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        SelectComboText(dialog, IDC_WMEDIT_SIZE, L"36");
        ASSERT_GE(SelectComboText(dialog, IDC_WMEDIT_COLOR, L"Red"), 0);
        Click(dialog, IDC_WMEDIT_BOLD);
        Click(dialog, IDC_WMEDIT_ITALICS);
        Click(dialog, IDC_WMEDIT_UNDERLINE);
        Click(dialog, IDC_WMEDIT_OUTLINE);
        SetText(dialog, IDC_WMEDIT_INTENSITY, L"40");
        SetText(dialog, IDC_WMEDIT_ANGLE, L"30");
        testbed::PumpMessages(200);
        testbed::SaveWindowPicture(dialog, L"wmeditor_add");
        Click(dialog, IDOK);
    });
    ASSERT_EQ(result, 1);
    EXPECT_TRUE(capture_.shown.empty());
    WatermarkRecord saved;
    ASSERT_TRUE(Stored(L"Sketch", &saved)) << "saved without the trailing blanks";
    EXPECT_STREQ(saved.text, L"Rough copy");
    EXPECT_EQ(saved.pointSize, 36u);
    EXPECT_EQ(saved.color[0], 255);
    EXPECT_EQ(saved.color[1], 0);
    EXPECT_EQ(saved.fontStyle, 3u);
    EXPECT_EQ(saved.effects, kEffectUnderline | kEffectOutline);
    EXPECT_EQ(saved.intensity, 40);
    EXPECT_EQ(saved.angle, 30.0);
    EXPECT_EQ(saved.dynamicText, 0u);
    EXPECT_EQ(memcmp(&saved, &ctx_->editWatermark, sizeof(saved)), 0) << "the page gets the record as saved";
    EXPECT_EQ(CountWatermarks(printer()), 2u);
}

}  // namespace
