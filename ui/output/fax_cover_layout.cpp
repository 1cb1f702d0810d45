#include "ui/output/fax_cover_layout.h"

#include <cwchar>

#include "resources/resource.h"
#include "ui/frame/module.h"

namespace {

constexpr LONG kTitleWeight = FW_EXTRABOLD;  // 800
constexpr LONG kLabelWeight = FW_BOLD;       // 700
constexpr LONG kValueWeight = FW_NORMAL;     // 400

// The character set is a translatable string so that a localised string table
// can pick the set its face needs; anything that is not a byte value falls
// back to the western set.
BYTE CoverCharSet() {
    wchar_t text[16] = {};
    if (!LoadUiString(IDS_FAX_FONT_CHARSET, text, static_cast<int>(sizeof(text) / sizeof(text[0])))) return ANSI_CHARSET;
    wchar_t *end = nullptr;
    unsigned long value = wcstoul(text, &end, 10);
    if (end == text || value > 255) return ANSI_CHARSET;
    return static_cast<BYTE>(value);
}

}  // namespace

FaxCoverLayout MakeFaxCoverLayout(int width, int height, int dpi, int orientation) {
    const int larger = width > height ? width : height;
    const int smaller = width > height ? height : width;
    FaxCoverLayout l{};
    l.across = width;
    l.down = height;
    if (orientation == DMORIENT_LANDSCAPE) {
        l.across = larger;
        l.down = smaller;
    } else if (orientation == DMORIENT_PORTRAIT) {
        l.across = smaller;
        l.down = larger;
    }
    l.shorter = smaller;
    l.dpi = dpi;
    l.left = l.across / 20;
    l.ruleEnd = l.across - 2 * (l.across / 20);
    l.section = l.down / 20;
    l.line = l.down / 30;
    l.indent = l.down / 40;
    return l;
}

const GdiMakers &SystemGdiMakers() {
    static const GdiMakers makers{CreateFontIndirectW, CreatePen};
    return makers;
}

LOGFONTW MakeCoverFont(const FaxCoverLayout &layout, int points, LONG weight, bool italic) {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(points, layout.dpi, 72);
    lf.lfWeight = weight;
    lf.lfItalic = italic ? TRUE : FALSE;
    lf.lfCharSet = CoverCharSet();
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_SWISS;
    LoadUiString(IDS_FAX_FONT_FACE, lf.lfFaceName, LF_FACESIZE);
    return lf;
}

bool CreateFaxCoverTools(const FaxCoverLayout &layout, const GdiMakers &makers, FaxCoverTools *tools) {
    if (!tools || !makers.createFont || !makers.createPen) return false;
    const LOGFONTW title = MakeCoverFont(layout, TitlePoints(layout), kTitleWeight, true);
    const LOGFONTW label = MakeCoverFont(layout, LabelPoints(layout), kLabelWeight, false);
    const LOGFONTW value = MakeCoverFont(layout, ValuePoints(layout), kValueWeight, false);
    tools->title.reset(makers.createFont(&title));
    tools->label.reset(makers.createFont(&label));
    tools->value.reset(makers.createFont(&value));
    tools->thick.reset(makers.createPen(PS_SOLID, ThickPenWidth(layout), RGB(0, 0, 0)));
    tools->thin.reset(makers.createPen(PS_SOLID, ThinPenWidth(layout), RGB(0, 0, 0)));
    if (tools->title && tools->label && tools->value && tools->thick && tools->thin) return true;
    *tools = FaxCoverTools{};
    return false;
}
