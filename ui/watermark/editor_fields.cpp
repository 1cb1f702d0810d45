#include "ui/watermark/editor_fields.h"

#include <cwchar>
#include <cwctype>

#include "resources/resource.h"
#include "ui/frame/module.h"
#include "ui/sheets/page_context.h"
#include "ui/watermark/color_list.h"

namespace {

// Name and text are read up to the record's field, the size up to the
// widest number it may hold.
constexpr int kSizeChars = 10;
constexpr int kAngleChars = 5;
constexpr int kIntensityChars = 5;
constexpr uint32_t kSizeOfUnlistedItem = 72;

bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

int ReadInt(HWND dialog, int id, int chars) {
    wchar_t text[16];
    ReadFieldText(dialog, id, text, chars < 16 ? chars : 16);
    return _wtoi(text);
}

uint32_t CollectPointSize(HWND dialog) {
    HWND combo = GetDlgItem(dialog, IDC_WMEDIT_SIZE);
    LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) {
        int typed = ReadInt(dialog, IDC_WMEDIT_SIZE, kSizeChars);
        return typed > 0 ? static_cast<uint32_t>(typed) : 0;
    }
    if (selected >= SendMessageW(combo, CB_GETCOUNT, 0, 0)) return kSizeOfUnlistedItem;
    return static_cast<uint32_t>(SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(selected), 0));
}

void CollectFaceName(HWND dialog, WatermarkRecord *record) {
    HWND combo = GetDlgItem(dialog, IDC_WMEDIT_FONT);
    LRESULT selected = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR) return;
    LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(selected), 0);
    if (length == CB_ERR || length >= static_cast<LRESULT>(ARRAYSIZE(record->faceName))) return;
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(record->faceName));
}

}  // namespace

int ReadFieldText(HWND dialog, int id, wchar_t *buffer, int chars) {
    if (!buffer || chars <= 0) return 0;
    buffer[0] = L'\0';
    UINT n = GetDlgItemTextW(dialog, id, buffer, chars);
    buffer[chars - 1] = L'\0';
    return static_cast<int>(n < static_cast<UINT>(chars) ? n : static_cast<UINT>(chars - 1));
}

bool IsDigitText(const wchar_t *text, bool allowSign) {
    if (!text) return false;
    const wchar_t *p = text;
    if (allowSign && *p == L'-') {
        ++p;
        if (!*p) return false;
    }
    for (; *p; ++p)
        if (!iswdigit(*p)) return false;
    return true;
}


void TrimTrailingBlanks(wchar_t *text) {
    if (!text) return;
    size_t n = wcslen(text);
    while (n > 0 && text[n - 1] == L' ') text[--n] = L'\0';
}

bool CollectEditorRecord(HWND dialog, WatermarkRecord *record) {
    if (!dialog || !record) return false;
    MakeDefaultWatermark(record);
    ReadFieldText(dialog, IDC_WMEDIT_NAME, record->name, ARRAYSIZE(record->name));
    TrimTrailingBlanks(record->name);
    ReadFieldText(dialog, IDC_WMEDIT_TEXT, record->text, ARRAYSIZE(record->text));

    record->effects = (Checked(dialog, IDC_WMEDIT_STRIKEOUT) ? kEffectStrikeout : 0) |
                      (Checked(dialog, IDC_WMEDIT_UNDERLINE) ? kEffectUnderline : 0) |
                      (Checked(dialog, IDC_WMEDIT_OUTLINE) ? kEffectOutline : 0);
    record->dynamicText = Checked(dialog, IDC_WMEDIT_DYNAMIC) ? 1 : 0;
    record->fontStyle = (Checked(dialog, IDC_WMEDIT_BOLD) ? 2 : 0) + (Checked(dialog, IDC_WMEDIT_ITALICS) ? 1 : 0);

    record->angle = ReadInt(dialog, IDC_WMEDIT_ANGLE, kAngleChars);
    int intensity = ReadInt(dialog, IDC_WMEDIT_INTENSITY, kIntensityChars);
    record->intensity = static_cast<uint16_t>(intensity > 0 && intensity <= 0xFFFF ? intensity : 0);
    SelectedColor(GetDlgItem(dialog, IDC_WMEDIT_COLOR), record->color);
    record->pointSize = CollectPointSize(dialog);
    CollectFaceName(dialog, record);

    if (auto *ctx = reinterpret_cast<const PageContext *>(GetWindowLongPtrW(dialog, GWLP_USERDATA))) {
        record->position = ctx->editPosition;
        record->units = ctx->editUnits;
        record->horizontalOffset = ctx->editHorizontalOffset;
        record->verticalOffset = ctx->editVerticalOffset;
    }
    return true;
}

void ShowEditorError(HWND owner, UINT id) {
    wchar_t text[kUiStringChars];
    LoadUiString(id, text, kUiStringChars);
    MessageBoxW(owner, text, nullptr, MB_ICONERROR);
}
