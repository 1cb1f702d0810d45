#include "sample/job_splice.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <utility>

#include "tests/host/driver_nup.h"

namespace sample {
namespace {

// The comments of the driver's output that place the plug-in's texts.
constexpr char kPsAdobe[] = "%!PS-Adobe";
constexpr char kEndComments[] = "%%EndComments";
constexpr char kPagesComment[] = "%%Pages:";
constexpr char kBeginProlog[] = "%%BeginProlog";
constexpr char kEndProlog[] = "%%EndProlog";
constexpr char kBeginSetup[] = "%%BeginSetup";
constexpr char kEndSetup[] = "%%EndSetup";
constexpr char kPageComment[] = "%%Page:";
constexpr char kBeginPageSetup[] = "%%BeginPageSetup";
constexpr char kEndPageSetup[] = "%%EndPageSetup";
constexpr char kPageTrailer[] = "%%PageTrailer";
constexpr char kShowPage[] = "showpage";
constexpr char kTrailer[] = "%%Trailer";
constexpr char kEof[] = "%%EOF";
constexpr char kBeginDocument[] = "%%BeginDocument";
constexpr char kEndDocument[] = "%%EndDocument";

// The driver's N-up at work: the page's default matrix at the end of the
// setup, each sheet's layout at its first page, the N-up show-page, and the
// last sheet sent at the end.
constexpr char kDefaultMatrix[] = "/$m matrix currentmatrix def\n";
constexpr char kSheetSetup[] = "0 0 %d %d %d %d definenup\n0 0 startnup\n";  // width, height, columns, rows
constexpr char kNupShowPage[] = "LH\n";
constexpr char kFinalSheet[] = "finalpage\n";

// A line of the driver's output without its line end.
struct Line {
    const char *text;
    size_t length;  // without the line end
    size_t whole;   // with it
};

std::vector<Line> SplitLines(const std::string &ps) {
    std::vector<Line> lines;
    size_t at = 0;
    while (at < ps.size()) {
        size_t end = ps.find('\n', at);
        size_t next = end == std::string::npos ? ps.size() : end + 1;
        size_t length = (end == std::string::npos ? ps.size() : end) - at;
        if (length && ps[at + length - 1] == '\r') --length;
        lines.push_back(Line{ps.data() + at, length, next - at});
        at = next;
    }
    return lines;
}

bool StartsWith(const Line &line, const char *prefix) {
    size_t n = std::strlen(prefix);
    return line.length >= n && std::memcmp(line.text, prefix, n) == 0;
}

bool Is(const Line &line, const char *text) {
    return line.length == std::strlen(text) && StartsWith(line, text);
}

void Append(std::string *out, const Line &line) { out->append(line.text, line.whole); }

// Injected text ends a line by itself; a missing line end would join the
// plug-in's last line to the driver's next one.
void AppendText(std::string *out, const std::string &text) {
    out->append(text);
    if (!text.empty() && text.back() != '\n') out->push_back('\n');
}

// The recorded texts, gathered per injection point and page, each remembering
// whether it found its place.
class TextTable {
public:
    explicit TextTable(const std::vector<Injection> &injections)
        : injections_(injections), placed_(injections.size()) {
        for (size_t i = 0; i < injections.size(); ++i) {
            calls_[Key{injections[i].index, injections[i].page}].push_back(i);
            if (injections[i].page > lastPage_) lastPage_ = injections[i].page;
        }
    }

    // All text of one point (several calls are joined in order), marked placed.
    std::string Take(DWORD index, int page) {
        std::string text;
        for (size_t i : CallsAt(index, page)) {
            text += injections_[i].text;
            placed_[i] = true;
        }
        return text;
    }

    bool Supplied(DWORD index, int page) const {
        for (size_t i : CallsAt(index, page))
            if (injections_[i].supplied) return true;
        return false;
    }

    int LastPage() const { return lastPage_; }

    // The first text that found no place, or null.
    const Injection *Unplaced() const {
        for (size_t i = 0; i < injections_.size(); ++i)
            if (!placed_[i] && !injections_[i].text.empty()) return &injections_[i];
        return nullptr;
    }

private:
    using Key = std::pair<DWORD, int>;

    const std::vector<size_t> &CallsAt(DWORD index, int page) const {
        static const std::vector<size_t> none;
        auto found = calls_.find(Key{index, page});
        return found == calls_.end() ? none : found->second;
    }

    const std::vector<Injection> &injections_;
    std::vector<bool> placed_;
    std::map<Key, std::vector<size_t>> calls_;
    int lastPage_ = 0;
};

// Where the plug-in takes a point that stands for a driver comment, its text
// replaces the comment; otherwise the comment follows whatever it wrote.
void ReplaceUnlessSupplied(std::string *out, const Line &line, TextTable &texts, DWORD index, int page) {
    const bool supplied = texts.Supplied(index, page);
    AppendText(out, texts.Take(index, page));
    if (!supplied) Append(out, line);
}

// Passed-through documents keep their own comments; those are not the
// driver's structure.
class EmbeddedDepth {
public:
    // True when `line` belongs to the driver's own structure.
    bool Outside(const Line &line) {
        if (StartsWith(line, kBeginDocument)) {
            ++depth_;
            return false;
        }
        if (depth_ > 0) {
            if (StartsWith(line, kEndDocument)) --depth_;
            return false;
        }
        return true;
    }

private:
    int depth_ = 0;
};

struct Sections {
    size_t firstPage;  // index of the first page's comment, or the trailer's
    std::vector<size_t> pageStarts;
    size_t trailer;  // index of the trailer comment, or the line count
};

Sections FindSections(const std::vector<Line> &lines) {
    Sections s{lines.size(), {}, lines.size()};
    EmbeddedDepth embedded;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!embedded.Outside(lines[i])) continue;
        if (StartsWith(lines[i], kPageComment)) s.pageStarts.push_back(i);
        if (Is(lines[i], kTrailer)) {
            s.trailer = i;
            break;
        }
    }
    s.firstPage = s.pageStarts.empty() ? s.trailer : s.pageStarts.front();
    return s;
}

// A page runs to the next page's comment or to the trailer.
size_t PageEnd(const Sections &s, size_t page) {
    return page + 1 < s.pageStarts.size() ? s.pageStarts[page + 1] : s.trailer;
}

std::string SheetSetup(const SheetLayout &layout) {
    testbed::NupGrid grid = testbed::NupGridFor(layout.pagesPerSheet);
    char text[128];
    std::snprintf(text, sizeof(text), kSheetSetup, layout.pageWidth, layout.pageHeight, grid.columns, grid.rows);
    return text;
}

bool NupOn(const SheetLayout &layout) { return layout.pagesPerSheet >= 2; }

std::string SpliceHead(const std::vector<Line> &lines, size_t end, TextTable &texts, const SheetLayout &layout) {
    std::string out = texts.Take(PSINJECT_BEGINSTREAM, 0);
    EmbeddedDepth embedded;
    for (size_t i = 0; i < end; ++i) {
        const Line &line = lines[i];
        if (!embedded.Outside(line)) {
            Append(&out, line);
            continue;
        }
        if (StartsWith(line, kPsAdobe)) AppendText(&out, texts.Take(PSINJECT_PSADOBE, 0));
        if (Is(line, kEndComments)) AppendText(&out, texts.Take(PSINJECT_COMMENTS, 0));
        if (Is(line, kEndProlog)) {
            if (NupOn(layout)) out += testbed::DriverNupProlog();
            AppendText(&out, texts.Take(PSINJECT_ENDPROLOG, 0));
        }
        if (Is(line, kEndSetup)) {
            if (NupOn(layout)) out += kDefaultMatrix;
            AppendText(&out, texts.Take(PSINJECT_ENDSETUP, 0));
        }
        if (StartsWith(line, kPagesComment)) {
            ReplaceUnlessSupplied(&out, line, texts, PSINJECT_PAGESATEND, 0);
            continue;
        }
        Append(&out, line);
        if (Is(line, kBeginProlog)) AppendText(&out, texts.Take(PSINJECT_BEGINPROLOG, 0));
        if (Is(line, kBeginSetup)) AppendText(&out, texts.Take(PSINJECT_BEGINSETUP, 0));
    }
    return out;
}

// The page's show-page is the last one in it: Wine's driver ends every page
// with it, after anything the page passed through.
size_t LastShowPage(const std::vector<Line> &lines, size_t begin, size_t end) {
    for (size_t i = end; i > begin; --i)
        if (Is(lines[i - 1], kShowPage)) return i - 1;
    return end;
}

bool HasPageTrailer(const std::vector<Line> &lines, size_t begin, size_t end) {
    EmbeddedDepth embedded;
    for (size_t i = begin; i < end; ++i)
        if (embedded.Outside(lines[i]) && Is(lines[i], kPageTrailer)) return true;
    return false;
}

std::string SplicePage(const std::vector<Line> &lines, size_t begin, size_t end, int page, TextTable &texts,
                       const SheetLayout &layout) {
    std::string out;
    const size_t showPage = LastShowPage(lines, begin, end);
    // Wine's driver writes no page trailer comment; the PostScript driver
    // does, and the plug-in's page trailer text follows it.
    const bool ownTrailer = !HasPageTrailer(lines, begin, end);
    const bool firstOfSheet = (page - 1) % (NupOn(layout) ? layout.pagesPerSheet : 1) == 0;
    EmbeddedDepth embedded;
    for (size_t i = begin; i < end; ++i) {
        const Line &line = lines[i];
        if (!embedded.Outside(line)) {
            Append(&out, line);
            continue;
        }
        if (i == begin) {
            ReplaceUnlessSupplied(&out, line, texts, PSINJECT_PAGENUMBER, page);
            continue;
        }
        if (Is(line, kEndPageSetup)) AppendText(&out, texts.Take(PSINJECT_ENDPAGESETUP, page));
        if (i == showPage) {
            AppendText(&out, texts.Take(PSINJECT_SHOWPAGE, page));
            if (NupOn(layout))
                out += kNupShowPage;
            else
                Append(&out, line);
            if (ownTrailer) {
                out += kPageTrailer;
                out += '\n';
                AppendText(&out, texts.Take(PSINJECT_PAGETRAILER, page));
            }
            continue;
        }
        Append(&out, line);
        if (Is(line, kBeginPageSetup)) {
            AppendText(&out, texts.Take(PSINJECT_BEGINPAGESETUP, page));
            if (NupOn(layout) && firstOfSheet) out += SheetSetup(layout);
        }
        if (Is(line, kPageTrailer)) AppendText(&out, texts.Take(PSINJECT_PAGETRAILER, page));
    }
    return out;
}

std::string SpliceTail(const std::vector<Line> &lines, size_t begin, TextTable &texts, const SheetLayout &layout) {
    std::string out;
    EmbeddedDepth embedded;
    for (size_t i = begin; i < lines.size(); ++i) {
        const Line &line = lines[i];
        if (!embedded.Outside(line)) {
            Append(&out, line);
            continue;
        }
        if (StartsWith(line, kPagesComment)) {
            ReplaceUnlessSupplied(&out, line, texts, PSINJECT_PAGES, 0);
            continue;
        }
        Append(&out, line);
        if (Is(line, kTrailer)) {
            AppendText(&out, texts.Take(PSINJECT_TRAILER, 0));
            if (NupOn(layout)) out += kFinalSheet;
        }
        if (Is(line, kEof)) AppendText(&out, texts.Take(PSINJECT_EOF, 0));
    }
    // The end of the stream follows everything, line end or not.
    out += texts.Take(PSINJECT_ENDSTREAM, 0);
    return out;
}

std::string Describe(const Injection &call) {
    char text[160];
    if (call.page)
        std::snprintf(text, sizeof(text), "no place in the driver's page %d for the text of injection point %lu",
                      call.page, static_cast<unsigned long>(call.index));
    else
        std::snprintf(text, sizeof(text), "no place in the driver's output for the text of injection point %lu",
                      static_cast<unsigned long>(call.index));
    return text;
}

}  // namespace

std::string SplicedJob::Whole() const {
    std::string whole = head;
    for (const std::string &page : pages) whole += page;
    return whole + tail;
}

bool SpliceJob(const std::string &driverPostScript, const std::vector<Injection> &injections,
               const SheetLayout &layout, SplicedJob *job, std::string *error) {
    const std::vector<Line> lines = SplitLines(driverPostScript);
    const Sections sections = FindSections(lines);
    TextTable texts(injections);
    if (texts.LastPage() != static_cast<int>(sections.pageStarts.size())) {
        char text[128];
        std::snprintf(text, sizeof(text), "the driver wrote %zu pages but the plug-in was asked about %d",
                      sections.pageStarts.size(), texts.LastPage());
        *error = text;
        return false;
    }
    if (sections.trailer == lines.size()) {
        *error = "the driver's output has no trailer";
        return false;
    }

    for (size_t p = 0; p < sections.pageStarts.size(); ++p) {
        if (LastShowPage(lines, sections.pageStarts[p], PageEnd(sections, p)) == PageEnd(sections, p)) {
            *error = "the driver's page " + std::to_string(p + 1) + " has no showpage";
            return false;
        }
    }

    SplicedJob out;
    out.head = SpliceHead(lines, sections.firstPage, texts, layout);
    for (size_t p = 0; p < sections.pageStarts.size(); ++p)
        out.pages.push_back(
            SplicePage(lines, sections.pageStarts[p], PageEnd(sections, p), static_cast<int>(p + 1), texts, layout));
    out.tail = SpliceTail(lines, sections.trailer, texts, layout);

    if (const Injection *lost = texts.Unplaced()) {
        *error = Describe(*lost);
        return false;
    }
    *job = std::move(out);
    return true;
}

}  // namespace sample
