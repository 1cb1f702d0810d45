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

namespace {

TEST_F(EditorTest, OkStaysDisabledWhileNameOrTextIsBlank) {
    OpenAdd([&](HWND dialog) {
        HWND ok = GetDlgItem(dialog, IDOK);
        SetText(dialog, IDC_WMEDIT_NAME, L"   ");
        SetText(dialog, IDC_WMEDIT_TEXT, L"Text");
        EXPECT_FALSE(IsWindowEnabled(ok));
        SetText(dialog, IDC_WMEDIT_NAME, L"Name");
        SetText(dialog, IDC_WMEDIT_TEXT, L" \t ");
        EXPECT_FALSE(IsWindowEnabled(ok));
        SetText(dialog, IDC_WMEDIT_TEXT, L" x ");
        EXPECT_TRUE(IsWindowEnabled(ok));
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(CountWatermarks(printer()), 0u) << "Cancel saves nothing";
}

TEST_F(EditorTest, AStoredNameIsRefusedWhateverTheTrailingBlanksOrCase) {
    Store(MakeRecord(L"Draft", L"DRAFT"));
    INT_PTR result = OpenAdd([&](HWND dialog) {
        SetText(dialog, IDC_WMEDIT_NAME, L"Draft  ");
        SetText(dialog, IDC_WMEDIT_TEXT, L"Other");
        Click(dialog, IDOK);
        ExpectRefusal(dialog, IDS_ERR_WM_NAME_EXISTS, IDC_WMEDIT_NAME);
        SetText(dialog, IDC_WMEDIT_NAME, L"DRAFT");
        Click(dialog, IDOK);
        ExpectRefusal(dialog, IDS_ERR_WM_NAME_EXISTS, IDC_WMEDIT_NAME);
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 2);
    WatermarkRecord kept;
    ASSERT_TRUE(Stored(L"Draft", &kept));
    EXPECT_STREQ(kept.text, L"DRAFT");
}

TEST_F(EditorTest, TheNoneNameIsRefusedButOnlyInItsOwnCase) {
    INT_PTR result = OpenAdd([&](HWND dialog) {
        SetText(dialog, IDC_WMEDIT_NAME, L"(None)");
        SetText(dialog, IDC_WMEDIT_TEXT, L"x");
        Click(dialog, IDOK);
        ExpectRefusal(dialog, IDS_ERR_WM_NAME_NONE, IDC_WMEDIT_NAME);
        SetText(dialog, IDC_WMEDIT_NAME, L"(none)");
        Click(dialog, IDOK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(Stored(L"(none)"));
}

TEST_F(EditorTest, ASizeOfZeroIsRefused) {
    WatermarkRecord wm = MakeRecord(L"Tiny", L"tiny");
    wm.pointSize = 0;
    Store(wm);
    INT_PTR result = OpenEdit(L"Tiny", [&](HWND dialog) {
        EXPECT_EQ(GetText(dialog, IDC_WMEDIT_SIZE), L"0");
        Click(dialog, IDOK);
        ExpectRefusal(dialog, IDS_ERR_WM_FONT_SIZE, IDC_WMEDIT_SIZE);
        Click(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, 2);
}

TEST_F(EditorTest, BadDynamicTextIsRefusedOnlyWhenTheTextIsDynamic) {
    INT_PTR result = OpenAdd([&](HWND dialog) {
        SetText(dialog, IDC_WMEDIT_NAME, L"Var");
        SetText(dialog, IDC_WMEDIT_TEXT, L"%nosuch%");
        Click(dialog, IDC_WMEDIT_DYNAMIC);
        Click(dialog, IDOK);
        ExpectRefusal(dialog, IDS_ERR_BAD_DYNAMIC_TEXT, IDC_WMEDIT_TEXT);
        Click(dialog, IDC_WMEDIT_DYNAMIC);
        Click(dialog, IDOK);
    });
    EXPECT_EQ(result, 1);
    WatermarkRecord saved;
    ASSERT_TRUE(Stored(L"Var", &saved));
    EXPECT_STREQ(saved.text, L"%nosuch%");
    EXPECT_EQ(saved.dynamicText, 0u);
}

TEST_F(EditorTest, ARenameSavesTheNewNameAndRemovesTheOld) {
    WatermarkRecord draft = MakeRecord(L"Draft", L"DRAFT");
    draft.angle = 45;
    draft.pointSize = 100;
    Store(draft);
    Store(MakeRecord(L"Other", L"o"));
    INT_PTR result = OpenEdit(L"Draft", [&](HWND dialog) {
        wchar_t title[64];
        GetWindowTextW(dialog, title, 64);
        EXPECT_STREQ(title, L"Edit Watermark");
        EXPECT_EQ(GetText(dialog, IDC_WMEDIT_SIZE), L"100") << "a size beyond the list is shown as typed";
        EXPECT_EQ(GetText(dialog, IDC_WMEDIT_ANGLE), L"45");
        SetText(dialog, IDC_WMEDIT_NAME, L"Sketch");
        Click(dialog, IDOK);
    });
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(Stored(L"Draft"));
    WatermarkRecord renamed;
    ASSERT_TRUE(Stored(L"Sketch", &renamed));
    EXPECT_STREQ(renamed.text, L"DRAFT");
    EXPECT_EQ(renamed.pointSize, 100u);
    EXPECT_EQ(renamed.angle, 45.0);
    EXPECT_EQ(CountWatermarks(printer()), 2u);
    EXPECT_EQ(ReadWatermarkCount(printer()), 2u);
    EXPECT_STREQ(ctx_->editWatermark.name, L"Sketch");
}

TEST_F(EditorTest, RenamingToAnotherCaseOfTheSameNameIsRefused) {
    Store(MakeRecord(L"Draft", L"DRAFT"));
    OpenEdit(L"Draft", [&](HWND dialog) {
        SetText(dialog, IDC_WMEDIT_NAME, L"draft");
        Click(dialog, IDOK);
        ExpectRefusal(dialog, IDS_ERR_WM_NAME_EXISTS, IDC_WMEDIT_NAME);
        SetText(dialog, IDC_WMEDIT_NAME, L"Draft");
        SetText(dialog, IDC_WMEDIT_TEXT, L"changed");
        Click(dialog, IDOK);
    });
    WatermarkRecord saved;
    ASSERT_TRUE(Stored(L"Draft", &saved)) << "saving under its own name is no rename";
    EXPECT_STREQ(saved.text, L"changed");
    EXPECT_EQ(CountWatermarks(printer()), 1u);
}

TEST_F(EditorTest, EditModeShowsTheStoredRecord) {
    WatermarkRecord wm = MakeRecord(L"Shown", L"text");
    wm.fontStyle = 1;
    wm.effects = kEffectStrikeout;
    wm.intensity = 60;
    wm.angle = 300;  // out of range: shown as 0
    wm.color[0] = 1;  // no such colour: the first item
    wm.dynamicText = 1;
    Store(wm);
    OpenEdit(L"Shown", [&](HWND dialog) {
        EXPECT_EQ(GetText(dialog, IDC_WMEDIT_NAME), L"Shown");
        EXPECT_EQ(GetText(dialog, IDC_WMEDIT_INTENSITY), L"60");
        EXPECT_EQ(GetText(dialog, IDC_WMEDIT_ANGLE), L"0");
        EXPECT_EQ(GetText(dialog, IDC_WMEDIT_SIZE), L"72");
        EXPECT_EQ(GetText(dialog, IDC_WMEDIT_COLOR), L"Aqua") << "sorted by name, the first colour";
        EXPECT_TRUE(IsChecked(dialog, IDC_WMEDIT_ITALICS));
        EXPECT_FALSE(IsChecked(dialog, IDC_WMEDIT_BOLD));
        EXPECT_TRUE(IsChecked(dialog, IDC_WMEDIT_STRIKEOUT));
        EXPECT_FALSE(IsChecked(dialog, IDC_WMEDIT_UNDERLINE));
        EXPECT_TRUE(IsChecked(dialog, IDC_WMEDIT_DYNAMIC));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_WMEDIT_CONFIGURE)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        Click(dialog, IDC_WMEDIT_DYNAMIC);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_WMEDIT_CONFIGURE)));
        // The printer's fonts, each once.
        HWND fonts = GetDlgItem(dialog, IDC_WMEDIT_FONT);
        int count = static_cast<int>(SendMessageW(fonts, CB_GETCOUNT, 0, 0));
        EXPECT_GT(count, 0);
        std::wstring previous;
        for (int i = 0; i < count; ++i) {
            wchar_t face[64];
            SendMessageW(fonts, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(face));
            EXPECT_NE(lstrcmpiW(previous.c_str(), face), 0) << "listed twice: " << Narrow(face);
            previous = face;
        }
        Click(dialog, IDCANCEL);
    });
}

TEST_F(EditorTest, TypedFieldsKeepValidValuesAndRestoreTheRest) {
    OpenAdd([&](HWND dialog) {
        TypeIntoCombo(dialog, IDC_WMEDIT_SIZE, L"100");
        EXPECT_EQ(GetText(dialog, IDC_WMEDIT_SIZE), L"100") << "sizes beyond the list are allowed";
        TypeIntoCombo(dialog, IDC_WMEDIT_SIZE, L"501");
        EXPECT_EQ(GetText(dialog, IDC_WMEDIT_SIZE), L"100");
        TypeIntoCombo(dialog, IDC_WMEDIT_SIZE, L"1x");
        EXPECT_EQ(GetText(dialog, IDC_WMEDIT_SIZE), L"100");
        EXPECT_EQ(ctx_->editPointSize, 100u);

        SetText(dialog, IDC_WMEDIT_ANGLE, L"30");
        SetText(dialog, IDC_WMEDIT_ANGLE, L"200");
        EXPECT_EQ(GetText(dialog, IDC_WMEDIT_ANGLE), L"30");
        SetText(dialog, IDC_WMEDIT_ANGLE, L"-180");
        EXPECT_EQ(GetText(dialog, IDC_WMEDIT_ANGLE), L"-180");
        SetText(dialog, IDC_WMEDIT_ANGLE, L"-");
        EXPECT_EQ(GetText(dialog, IDC_WMEDIT_ANGLE), L"-180");

        SetText(dialog, IDC_WMEDIT_INTENSITY, L"55");
        SetText(dialog, IDC_WMEDIT_INTENSITY, L"101");
        EXPECT_EQ(GetText(dialog, IDC_WMEDIT_INTENSITY), L"55");
        SetText(dialog, IDC_WMEDIT_INTENSITY, L"0");
        EXPECT_EQ(GetText(dialog, IDC_WMEDIT_INTENSITY), L"55");

        SetText(dialog, IDC_WMEDIT_NAME, L"Typed");
        SetText(dialog, IDC_WMEDIT_TEXT, L"t");
        Click(dialog, IDOK);
    });
    WatermarkRecord saved;
    ASSERT_TRUE(Stored(L"Typed", &saved));
    EXPECT_EQ(saved.pointSize, 100u);
    EXPECT_EQ(saved.angle, -180.0);
    EXPECT_EQ(saved.intensity, 55);
}

TEST_F(EditorTest, AStoredRecordWithBadNumbersOpensWithoutLooping) {
    WatermarkRecord wm = MakeRecord(L"Odd", L"odd");
    wm.intensity = 0;
    wm.pointSize = 9999;
    Store(wm);
    INT_PTR result = OpenEdit(L"Odd", [&](HWND dialog) { Click(dialog, IDCANCEL); });
    EXPECT_EQ(result, 2);
}

}  // namespace
