#include "ui/output/fax_cover.h"

#include <climits>
#include <cstring>
#include <cwchar>

#include "resources/resource.h"
#include "ui/frame/module.h"

#include <strsafe.h>

#include "platform/escape_codes.h"

namespace {

// A pass-through carries at most this many bytes of PostScript.
constexpr size_t kPassThroughBytes = 512;

// No arguments; sent byte for byte, the doubled percent sign included.
constexpr char kCoverPageMark[] =
    "%%Make this page the Fax Cover page: \r\n statusdict /setcoverpage known \n"
    " {statusdict begin true setcoverpage end} if \n";

// x, y, font size, sheet count. Prints the printer's own page counter where
// it keeps one, else the sheet count of the job.
constexpr char kPageCountFormat[] =
    "%d %d moveto \n gsave\n -1 1 scale\n 180 rotate\n /Helvetica findfont\n%d scalefont\nsetfont\n"
    " /strPP 10 string def \n statusdict /pagesprinted known \n"
    " {statusdict begin pagesprinted strPP cvs show end}  {%d strPP cvs show} ifelse \n"
    " grestore\n currentdict /strPP undef \n";

static_assert(sizeof(kCoverPageMark) - 1 <= kPassThroughBytes);

// The escape's input: a 16-bit byte count, then the bytes, no terminator.
struct PassThroughBlock {
    WORD count;
    char text[kPassThroughBytes];
};
static_assert(offsetof(PassThroughBlock, text) == sizeof(WORD));

bool PassThrough(HDC dc, const char *text, size_t length) {
    if (length > kPassThroughBytes) return false;
    PassThroughBlock block;
    block.count = static_cast<WORD>(length);
    memcpy(block.text, text, length);
    return ExtEscape(dc, PASSTHROUGH, static_cast<int>(sizeof(WORD) + length), reinterpret_cast<LPCSTR>(&block),
                     0, nullptr) > 0;
}

bool SendCoverPageMark(HDC dc) { return PassThrough(dc, kCoverPageMark, sizeof(kCoverPageMark) - 1); }

// %d goes through the C runtime's integer conversion, which no locale changes.
// A text that does not fit is not sent: cut PostScript would end the job.
bool SendPageCount(HDC dc, int x, int y, int fontSize, int sheetCount) {
    char text[kPassThroughBytes];
    if (FAILED(StringCchPrintfA(text, kPassThroughBytes, kPageCountFormat, x, y, fontSize, sheetCount))) return false;
    size_t length = 0;
    if (FAILED(StringCchLengthA(text, kPassThroughBytes, &length))) return false;
    return PassThrough(dc, text, length);
}

void SendCoverPageMode(HDC dc) {
    const DWORD on = 1;
    // The reply is the driver's; the renderer has taken the mode before it
    // passes the escape on, so there is nothing to check.
    // The renderer then prints this page by itself, outside any N-up sheet.
    ExtEscape(dc, static_cast<int>(ESC_SET_COVER_PAGE_MODE), sizeof(on), reinterpret_cast<LPCSTR>(&on), 0, nullptr);
}

// The application leaves its device context as its last page needed it. The
// layout is in device pixels, in black on an unclipped page, whatever that was.
void UseDevicePixels(HDC dc) {
    SetMapMode(dc, MM_TEXT);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetViewportOrgEx(dc, 0, 0, nullptr);
    if (GetGraphicsMode(dc) == GM_ADVANCED) ModifyWorldTransform(dc, nullptr, MWT_IDENTITY);
    SelectClipRgn(dc, nullptr);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    SetROP2(dc, R2_COPYPEN);
}

// Walks down the page. A block that is not printed still moves y, so the
// blocks keep their places whatever is left out.
struct CoverCursor {
    HDC dc;
    const FaxCoverLayout &layout;
    const FaxCoverTools &tools;
    wchar_t *text;  // kUiStringChars
    int y;
    bool draw;
    bool failed;
};

void Check(CoverCursor &c, bool ok) {
    if (!ok) c.failed = true;
}

void Select(CoverCursor &c, HGDIOBJ object) {
    HGDIOBJ previous = SelectObject(c.dc, object);
    Check(c, previous && previous != HGDI_ERROR);
}

// With TA_UPDATECP the text starts at the current position, set here.
void TextAt(CoverCursor &c, int x, int length) {
    Check(c, MoveToEx(c.dc, x, c.y, nullptr) && TextOutW(c.dc, 0, 0, c.text, length));
}

void RuleAt(CoverCursor &c, HPEN pen) {
    Select(c, pen);
    Check(c, MoveToEx(c.dc, c.layout.left, c.y, nullptr) && LineTo(c.dc, c.layout.ruleEnd, c.y));
}

void Label(CoverCursor &c, int step, UINT id) {
    c.y += step;
    if (!c.draw) return;
    Select(c, c.tools.label.get());
    TextAt(c, c.layout.left, LoadUiString(id, c.text, kUiStringChars));
}

template <size_t N>
void Value(CoverCursor &c, int step, UINT id, const wchar_t (&field)[N]) {
    c.y += step;
    if (!c.draw) return;
    Select(c, c.tools.value.get());
    TextAt(c, c.layout.left + c.layout.indent, ComposeCoverLine(id, field, N, c.text, kUiStringChars));
}

void Rule(CoverCursor &c, int step, HPEN pen) {
    c.y += step;
    if (c.draw) RuleAt(c, pen);
}

// The count follows the label on its line: it starts where the label's text
// (trailing blanks included, they are the gap) ends in the label font, and
// stands on the label's baseline.
void PageCount(CoverCursor &c, int sheetCount) {
    const FaxCoverLayout &l = c.layout;
    Select(c, c.tools.label.get());
    const int length = LoadUiString(IDS_FAX_PAGES_TO_FOLLOW, c.text, kUiStringChars);
    SIZE extent{};
    Check(c, GetTextExtentPoint32W(c.dc, c.text, length, &extent));
    TEXTMETRICW metrics{};
    Check(c, GetTextMetricsW(c.dc, &metrics));
    const int x = l.left + extent.cx;
    const int y = c.y + metrics.tmAscent;
    Check(c, SendPageCount(c.dc, x, y, MulDiv(ValuePoints(l), l.dpi, 72), sheetCount));
}

void DrawHeader(CoverCursor &c, int sheetCount) {
    const FaxCoverLayout &l = c.layout;
    c.y = l.section;
    Select(c, c.tools.title.get());
    Select(c, c.tools.thick.get());
    TextAt(c, l.left, LoadUiString(IDS_FAX_TITLE, c.text, kUiStringChars));
    c.y = 2 * l.section;
    RuleAt(c, c.tools.thick.get());
    Label(c, l.section, IDS_FAX_PAGES_TO_FOLLOW);
    PageCount(c, sheetCount);
    Rule(c, l.line, c.tools.thin.get());
}

void DrawRecipientBlock(CoverCursor &c, const FaxInfo &fax) {
    const FaxCoverLayout &l = c.layout;
    c.draw = (fax.coverPageParts & kCoverRecipient) != 0;
    Label(c, l.line, IDS_FAX_TO);
    Value(c, l.section, IDS_FAX_TO_NAME, fax.recipientName);
    Value(c, l.line, IDS_FAX_TO_FAX, fax.recipientFaxNumber);
    Rule(c, l.line, c.tools.thin.get());
}

void DrawSenderBlock(CoverCursor &c, const FaxInfo &fax) {
    const FaxCoverLayout &l = c.layout;
    c.draw = (fax.coverPageParts & kCoverSender) != 0;
    Label(c, l.line, IDS_FAX_FROM);
    Value(c, l.section, IDS_FAX_FROM_NAME, fax.senderName);
    Value(c, l.line, IDS_FAX_FROM_COMPANY, fax.senderCompany);
    Value(c, l.line, IDS_FAX_FROM_ADDRESS, fax.senderAddress);
    Value(c, l.line, IDS_FAX_FROM_FAX, fax.senderFaxNumber);
    Value(c, l.line, IDS_FAX_FROM_VOICE, fax.senderVoice);
    Value(c, l.line, IDS_FAX_FROM_EMAIL, fax.senderEmail);
    Rule(c, l.line, c.tools.thin.get());
}

void DrawComments(CoverCursor &c, const FaxInfo &fax) {
    const FaxCoverLayout &l = c.layout;
    c.draw = (fax.coverPageParts & kCoverComments) != 0;
    Label(c, l.line, IDS_FAX_COMMENTS);
    c.y += l.section;
    if (!c.draw) return;
    Select(c, c.tools.value.get());
    // DrawTextW places its lines from the rectangle, not the current position.
    Check(c, SetTextAlign(c.dc, TA_NOUPDATECP | TA_LEFT | TA_TOP) != GDI_ERROR);
    const int length = static_cast<int>(wcsnlen(fax.comments, sizeof(fax.comments) / sizeof(fax.comments[0])));
    if (length == 0) return;
    RECT box{l.left + l.indent, c.y, l.ruleEnd - l.indent, l.down - l.section};
    Check(c, DrawTextW(c.dc, fax.comments, length, &box, DT_WORDBREAK) != 0);
}

void DrawFooter(CoverCursor &c) {
    c.y = c.layout.down - c.layout.section;
    RuleAt(c, c.tools.thick.get());
}

// Everything the page changes on the application's device context (mapping,
// colours, alignment, current position, font and pen) goes back with one
// RestoreDC, which also deselects the tools before they are deleted.
bool DrawCoverContent(HDC dc, const FaxCoverLayout &layout, const FaxCoverTools &tools, const FaxInfo &fax,
                      int sheetCount) {
    const int saved = SaveDC(dc);
    if (!saved) return false;
    auto restore = scope_exit([dc, saved] { RestoreDC(dc, saved); });
    UseDevicePixels(dc);
    wchar_t text[kUiStringChars] = {};
    CoverCursor c{dc, layout, tools, text, 0, true, false};
    Check(c, SetTextAlign(dc, TA_UPDATECP) != GDI_ERROR);
    DrawHeader(c, sheetCount);
    DrawRecipientBlock(c, fax);
    DrawSenderBlock(c, fax);
    DrawComments(c, fax);
    DrawFooter(c);
    return !c.failed;
}

bool MeasureLayout(HDC dc, const DEVMODEW &devmode, FaxCoverLayout *layout) {
    const int width = GetDeviceCaps(dc, PHYSICALWIDTH);
    const int height = GetDeviceCaps(dc, PHYSICALHEIGHT);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    // Only a printer has a physical page to lay out.
    if (width <= 0 || height <= 0 || dpi <= 0) return false;
    *layout = MakeFaxCoverLayout(width, height, dpi, devmode.dmOrientation);
    return true;
}

}  // namespace

int ComposeCoverLine(UINT labelId, const wchar_t *field, size_t fieldChars, wchar_t *out, size_t outChars) {
    if (!out || outChars == 0) return 0;
    if (outChars > INT_MAX) outChars = INT_MAX;
    LoadUiString(labelId, out, static_cast<int>(outChars));
    // Too long a line is cut, and still terminated.
    if (field && fieldChars) StringCchCatNW(out, outChars, field, fieldChars);
    return static_cast<int>(wcsnlen(out, outChars));
}

// The tools are made before anything reaches the device: a device that cannot
// give them gets no cover page at all rather than an open, empty one.
bool DrawFaxCoverPageWith(HDC hdc, HANDLE hPrinter, const PrivateDevmode *settings, const DEVMODEW *devmode,
                          int sheetCount, const GdiMakers &makers) {
    if (!hdc || !hPrinter || !settings || !devmode || sheetCount < 0) return false;
    if (!(settings->fax.coverPageParts & (kCoverRecipient | kCoverSender | kCoverComments))) return false;
    FaxCoverLayout layout{};
    if (!MeasureLayout(hdc, *devmode, &layout)) return false;
    FaxCoverTools tools;
    if (!CreateFaxCoverTools(layout, makers, &tools)) return false;

    SendCoverPageMode(hdc);
    if (StartPage(hdc) <= 0) return false;
    bool ok = SendCoverPageMark(hdc);
    ok = DrawCoverContent(hdc, layout, tools, settings->fax, sheetCount) && ok;
    // The page is closed whatever went wrong on it.
    return EndPage(hdc) > 0 && ok;
}

bool DrawFaxCoverPage(HDC hdc, HANDLE hPrinter, const PrivateDevmode *settings, const DEVMODEW *devmode,
                      int sheetCount) {
    return DrawFaxCoverPageWith(hdc, hPrinter, settings, devmode, sheetCount, SystemGdiMakers());
}
