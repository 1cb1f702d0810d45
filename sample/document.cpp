#include "sample/document.h"

#include <cstdio>

#include "platform/raii.h"

namespace sample {
namespace {

constexpr wchar_t kBodyFace[] = L"Arial";
constexpr wchar_t kHeaderFace[] = L"Arial";
constexpr int kBodyPoints = 11;
constexpr int kHeaderPoints = 10;
constexpr int kLogRows = 120;
constexpr size_t kMaxInputBytes = 16u << 20;
constexpr wchar_t kPageBreak[] = L"\f";

// A paragraph is one element of several literals; the parentheses tell the
// check for a missing comma between elements that none is missing.
const wchar_t *const kIntroduction[] = {
    (L"This document is printed by the sample print: an application that draws its pages with GDI on a "
    L"printer device context, while the two driver plug-ins add their part to the job. The rendering "
    L"plug-in writes the job's printer-job-language commands around the PostScript and its own PostScript "
    L"at the driver's injection points; the user-interface plug-in draws the watermark on every page and, "
    L"for a fax, the cover page at the end of the document."),
    L"",
    (L"The chart above is drawn with filled rectangles and lines, the text with ordinary text output. "
    L"Neither knows anything about the watermark: it is added under the page content by the document "
    L"events of the printer device context, so that the text stays readable where the two overlap."),
    L"",
    (L"The log below fills the remaining pages. Each line is one entry of a day's sheet count, so that "
    L"long documents can be printed by asking for more pages of the same kind."),
    L"",
};

const wchar_t *const kStates[] = {L"ready", L"printing", L"held", L"released", L"finished"};

// The chart's values and colours; none of them is the grey of a watermark.
const int kChartValues[] = {42, 68, 55, 90, 74, 61};
const COLORREF kChartColours[] = {RGB(40, 90, 170), RGB(200, 60, 40), RGB(60, 150, 70)};

// Where things go on the page, in device units of the printable area.
struct Frame {
    int left;
    int top;
    int right;
    int bottom;
    int dpi;
    int lineHeight;
    int headerHeight;
    int chartHeight;
};

unique_hfont MakeFont(HDC dc, const wchar_t *face, int points, int weight) {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
    lf.lfWeight = weight;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    return unique_hfont(CreateFontIndirectW(&lf));
}

int LineHeight(HDC dc, HFONT font) {
    select_object_guard select(dc, font);
    TEXTMETRICW tm{};
    if (!GetTextMetricsW(dc, &tm)) return 1;
    return tm.tmHeight + tm.tmExternalLeading > 0 ? tm.tmHeight + tm.tmExternalLeading : 1;
}

Frame FrameOf(HDC dc, HFONT body) {
    Frame f{};
    f.dpi = GetDeviceCaps(dc, LOGPIXELSY);
    const int margin = f.dpi / 2;
    f.left = margin;
    f.top = margin;
    f.right = GetDeviceCaps(dc, HORZRES) - margin;
    f.bottom = GetDeviceCaps(dc, VERTRES) - margin;
    f.lineHeight = LineHeight(dc, body);
    f.headerHeight = 2 * f.lineHeight;
    f.chartHeight = f.dpi * 5 / 2;
    return f;
}

// Breaks one paragraph into lines that fit `width`, at blanks where it can.
void Wrap(HDC dc, const std::wstring &text, int width, std::vector<std::wstring> *lines) {
    if (text.empty()) {
        lines->push_back(L"");
        return;
    }
    size_t at = 0;
    while (at < text.size()) {
        const int left = static_cast<int>(text.size() - at);
        int fit = 0;
        SIZE size{};
        if (!GetTextExtentExPointW(dc, text.c_str() + at, left, width, &fit, nullptr, &size) || fit < 1) fit = 1;
        size_t end = at + static_cast<size_t>(fit);
        if (end < text.size()) {
            size_t blank = text.rfind(L' ', end);
            if (blank != std::wstring::npos && blank > at) end = blank;
        }
        lines->push_back(text.substr(at, end - at));
        at = end;
        while (at < text.size() && text[at] == L' ') ++at;
    }
}

int LinesPerPage(const Frame &f, bool chart) {
    int height = f.bottom - f.top - f.headerHeight - (chart ? f.chartHeight : 0);
    int lines = height / f.lineHeight;
    return lines > 0 ? lines : 1;
}

void DrawHeader(HDC dc, const Frame &f, const TextDocument &document, int number, int count) {
    unique_hfont font = MakeFont(dc, kHeaderFace, kHeaderPoints, FW_NORMAL);
    select_object_guard select(dc, font.get());
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    TextOutW(dc, f.left, f.top, document.title.c_str(), static_cast<int>(document.title.size()));
    wchar_t pageText[64];
    int n = std::swprintf(pageText, 64, L"Page %d of %d", number, count);
    SetTextAlign(dc, TA_RIGHT | TA_TOP | TA_NOUPDATECP);
    TextOutW(dc, f.right, f.top, pageText, n > 0 ? n : 0);
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    unique_hpen pen(CreatePen(PS_SOLID, f.dpi / 100 > 0 ? f.dpi / 100 : 1, RGB(0, 0, 0)));
    select_object_guard selectPen(dc, pen.get());
    const int y = f.top + f.lineHeight + f.lineHeight / 2;
    MoveToEx(dc, f.left, y, nullptr);
    LineTo(dc, f.right, y);
}

void DrawChart(HDC dc, const Frame &f) {
    const int top = f.top + f.headerHeight;
    const int base = top + f.chartHeight - f.lineHeight;
    const int count = static_cast<int>(sizeof(kChartValues) / sizeof(kChartValues[0]));
    const int slot = (f.right - f.left) / (count + 1);
    const int full = base - top - f.lineHeight;
    for (int i = 0; i < count; ++i) {
        unique_hbrush brush(CreateSolidBrush(kChartColours[i % 3]));
        const int x = f.left + slot / 2 + i * slot;
        RECT bar{x + slot / 6, base - full * kChartValues[i] / 100, x + slot - slot / 6, base};
        FillRect(dc, &bar, brush.get());
    }
    unique_hpen pen(CreatePen(PS_SOLID, f.dpi / 100 > 0 ? f.dpi / 100 : 1, RGB(0, 0, 0)));
    select_object_guard selectPen(dc, pen.get());
    MoveToEx(dc, f.left, top, nullptr);
    LineTo(dc, f.left, base);
    LineTo(dc, f.right, base);
}

// Whether a paragraph puts anything on paper.
bool HasText(const std::wstring &paragraph) {
    return paragraph != kPageBreak && paragraph.find_first_not_of(L' ') != std::wstring::npos;
}

}  // namespace

TextDocument BuiltInDocument() {
    TextDocument doc;
    doc.title = L"Sample print";
    doc.chart = true;
    for (const wchar_t *paragraph : kIntroduction) doc.paragraphs.emplace_back(paragraph);
    for (int row = 1; row <= kLogRows; ++row) {
        wchar_t line[128];
        std::swprintf(line, 128, L"Entry %d: day %d, %d sheets from tray %d, %ls.", row, (row - 1) / 8 + 1,
                      120 + (row * 37) % 400, row % 3 + 1, kStates[row % 5]);
        doc.paragraphs.emplace_back(line);
    }
    return doc;
}

bool ReadTextDocument(const std::wstring &path, TextDocument *document, std::wstring *error) {
    unique_hfile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        *error = L"cannot open the input file " + path;
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > static_cast<LONGLONG>(kMaxInputBytes)) {
        *error = L"the input file " + path + L" is larger than 16 MB";
        return false;
    }
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size())) {
        *error = L"cannot read the input file " + path;
        return false;
    }
    size_t start = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    const char *data = bytes.data() + start;
    const int length = static_cast<int>(bytes.size() - start);
    UINT codePage = CP_UTF8;
    int chars = length ? MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, data, length, nullptr, 0) : 0;
    if (length && chars == 0) {
        codePage = CP_ACP;
        chars = MultiByteToWideChar(CP_ACP, 0, data, length, nullptr, 0);
    }
    std::wstring text(static_cast<size_t>(chars), L'\0');
    if (chars) MultiByteToWideChar(codePage, codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0, data, length,
                                   text.data(), chars);

    TextDocument doc;
    const size_t slash = path.find_last_of(L"\\/");
    doc.title = slash == std::wstring::npos ? path : path.substr(slash + 1);
    std::wstring line;
    auto endLine = [&doc, &line]() {
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        doc.paragraphs.push_back(line);
        line.clear();
    };
    for (wchar_t c : text) {
        if (c == L'\n') {
            endLine();
        } else if (c == L'\f') {
            // A page break mid-line ends the line; at a line's start it adds none.
            if (!line.empty()) endLine();
            doc.paragraphs.emplace_back(kPageBreak);
        } else if (c == L'\t') {
            line += L"    ";
        } else {
            line += c;
        }
    }
    if (!line.empty()) endLine();
    *document = std::move(doc);
    return true;
}

std::vector<LaidOutPage> LayOut(HDC dc, const TextDocument &document) {
    unique_hfont body = MakeFont(dc, kBodyFace, kBodyPoints, FW_NORMAL);
    const Frame f = FrameOf(dc, body.get());
    select_object_guard select(dc, body.get());

    std::vector<LaidOutPage> pages(1);
    pages[0].chart = document.chart;
    auto room = [&]() { return LinesPerPage(f, pages.back().chart); };
    // Nothing after the last text is laid out: a form feed or blank lines at
    // the end of the input would only start empty pages.
    size_t end = document.paragraphs.size();
    while (end > 0 && !HasText(document.paragraphs[end - 1])) --end;
    std::vector<std::wstring> lines;
    for (size_t i = 0; i < end; ++i) {
        const std::wstring &paragraph = document.paragraphs[i];
        if (paragraph == kPageBreak) {
            pages.emplace_back();
            continue;
        }
        lines.clear();
        Wrap(dc, paragraph, f.right - f.left, &lines);
        for (std::wstring &line : lines) {
            if (static_cast<int>(pages.back().lines.size()) >= room()) pages.emplace_back();
            pages.back().lines.push_back(std::move(line));
        }
    }
    return pages;
}

bool DrawPage(HDC dc, const TextDocument &document, const LaidOutPage &page, int number, int count) {
    unique_hfont body = MakeFont(dc, kBodyFace, kBodyPoints, FW_NORMAL);
    if (!body) return false;
    const Frame f = FrameOf(dc, body.get());
    // Text cells left opaque would blank out a watermark drawn under the page.
    SetBkMode(dc, TRANSPARENT);
    DrawHeader(dc, f, document, number, count);
    if (page.chart) DrawChart(dc, f);

    select_object_guard select(dc, body.get());
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    int y = f.top + f.headerHeight + (page.chart ? f.chartHeight : 0);
    bool ok = true;
    for (const std::wstring &line : page.lines) {
        if (!line.empty() && !TextOutW(dc, f.left, y, line.c_str(), static_cast<int>(line.size()))) ok = false;
        y += f.lineHeight;
    }
    return ok;
}

}  // namespace sample
