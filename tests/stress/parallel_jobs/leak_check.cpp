#include "tests/stress/parallel_jobs/leak_check.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace parallel {
namespace {

constexpr size_t kTagLength = 8;  // "t03-j017"
constexpr size_t kPinLength = 4;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsTagAt(const std::string &text, size_t at) {
    if (at + kTagLength > text.size()) return false;
    const char *t = text.data() + at;
    return t[0] == 't' && IsDigit(t[1]) && IsDigit(t[2]) && t[3] == '-' && t[4] == 'j' && IsDigit(t[5]) &&
           IsDigit(t[6]) && IsDigit(t[7]);
}

// What a value is, by the words its job put before the tag.
const char *KindBefore(const std::string &text, size_t tagAt) {
    struct Prefix {
        const char *text;
        const char *kind;
    };
    static constexpr Prefix kPrefixes[] = {
        {"user-", "user name"}, {"Report ", "document name"}, {"Mark ", "watermark text"},
        {"Recipient ", "fax recipient"},
    };
    for (const Prefix &p : kPrefixes) {
        const size_t n = std::strlen(p.text);
        if (tagAt >= n && text.compare(tagAt - n, n, p.text) == 0) return p.kind;
    }
    return "value";
}

std::string Context(const std::string &text, size_t at) {
    const size_t from = at > 24 ? at - 24 : 0;
    std::string shown;
    for (size_t i = from; i < text.size() && i < at + kTagLength + 24; ++i)
        shown += std::isprint(static_cast<unsigned char>(text[i])) ? text[i] : '.';
    return shown;
}

struct Part {
    const char *name;
    std::string text;
    bool mustShowOwnTag;
};

// Tags in `part`: foreign ones reported; whether the job's own was there.
bool ScanTags(const Part &part, const std::string &own, std::vector<std::string> *faults) {
    bool sawOwn = false;
    for (size_t at = part.text.find('t'); at != std::string::npos; at = part.text.find('t', at + 1)) {
        if (!IsTagAt(part.text, at)) continue;
        const std::string tag = part.text.substr(at, kTagLength);
        if (tag == own) {
            sawOwn = true;
            continue;
        }
        faults->push_back(std::string(part.name) + ": the " + KindBefore(part.text, at) + " of " + tag + " in \"" +
                          Context(part.text, at) + "\"");
    }
    return sawOwn;
}

void ReportPin(const char *where, const std::string &pin, const std::string &own, const PinOwners &pins,
               std::vector<std::string> *faults) {
    auto owner = pins.find(pin);
    if (owner == pins.end() || owner->second == own) return;
    faults->push_back(std::string(where) + ": the PIN " + pin + " of " + owner->second);
}

// PINs as PJL and PostScript write values: "1234" or (1234).
void ScanQuotedPins(const Part &part, const std::string &own, const PinOwners &pins,
                    std::vector<std::string> *faults) {
    const std::string &t = part.text;
    for (size_t at = 0; at + kPinLength + 2 <= t.size(); ++at) {
        const char open = t[at], close = t[at + kPinLength + 1];
        if (!((open == '"' && close == '"') || (open == '(' && close == ')'))) continue;
        ReportPin(part.name, t.substr(at + 1, kPinLength), own, pins, faults);
    }
}

// PINs drawn as text: a run of exactly four digits.
void ScanDigitRuns(const Part &part, const std::string &own, const PinOwners &pins,
                   std::vector<std::string> *faults) {
    const std::string &t = part.text;
    for (size_t at = 0; at < t.size();) {
        if (!IsDigit(t[at])) {
            ++at;
            continue;
        }
        size_t end = at;
        while (end < t.size() && IsDigit(t[end])) ++end;
        if (end - at == kPinLength) ReportPin(part.name, t.substr(at, kPinLength), own, pins, faults);
        at = end;
    }
}

struct GlyphName {
    const char *name;
    char shown;
};

// Glyph names of the characters the run's values and dates are made of;
// Wine names the space and the hyphen by their code points.
constexpr GlyphName kGlyphNames[] = {
    {"space", ' '},    {"uni00A0", ' '}, {"hyphen", '-'},  {"uni00AD", '-'},   {"zero", '0'},   {"one", '1'},
    {"two", '2'},      {"three", '3'},   {"four", '4'},    {"five", '5'},      {"six", '6'},    {"seven", '7'},
    {"eight", '8'},    {"nine", '9'},    {"period", '.'},  {"comma", ','},     {"colon", ':'},  {"slash", '/'},
    {"percent", '%'},  {"parenleft", '('}, {"parenright", ')'}, {"plus", '+'}, {"quotedbl", '"'},
};

char ShownChar(const std::string &name) {
    if (name.size() == 1 && std::isalpha(static_cast<unsigned char>(name[0]))) return name[0];
    for (const GlyphName &g : kGlyphNames)
        if (name == g.name) return g.shown;
    return '?';
}

std::string Narrow(const std::wstring &text) {
    std::string out;
    for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

}  // namespace

std::string TagOf(const JobSpec &job) {
    char tag[16];
    std::snprintf(tag, sizeof(tag), "t%02d-j%03d", job.thread, job.index);
    return tag;
}

PinOwners CollectPins(const std::vector<JobSpec> &jobs) {
    PinOwners pins;
    for (const JobSpec &job : jobs)
        if (!job.pin.empty()) pins[Narrow(job.pin)] = TagOf(job);
    return pins;
}

std::string ShownText(const std::string &postscript) {
    static constexpr char kSuffix[] = " glyphshow";
    constexpr size_t kSuffixLength = sizeof(kSuffix) - 1;
    std::string shown;
    size_t at = 0;
    while (at < postscript.size()) {
        size_t end = postscript.find('\n', at);
        if (end == std::string::npos) end = postscript.size();
        size_t length = end - at;
        if (length && postscript[at + length - 1] == '\r') --length;
        if (length > kSuffixLength + 1 && postscript[at] == '/' &&
            postscript.compare(at + length - kSuffixLength, kSuffixLength, kSuffix) == 0)
            shown += ShownChar(postscript.substr(at + 1, length - kSuffixLength - 1));
        at = end + 1;
    }
    return shown;
}

std::vector<std::string> CheckSecrets(const JobSpec &job, const JobOutput &output, const PinOwners &pins) {
    const std::string own = TagOf(job);
    const size_t psAt = output.bytes.find("%!PS");
    const std::string pjl = output.bytes.substr(0, psAt);
    const std::string postscript = psAt == std::string::npos ? std::string() : output.bytes.substr(psAt);
    std::string drawn;
    for (const std::wstring &text : output.drawnTexts) drawn += Narrow(text) + "\n";

    const Part parts[] = {
        {"PJL", pjl, true},
        {"PostScript", postscript, true},
        {"text the PostScript shows", ShownText(postscript), true},
        {"text uiplug drew", drawn, !output.drawnTexts.empty()},
    };
    std::vector<std::string> faults;
    for (const Part &part : parts) {
        if (!ScanTags(part, own, &faults) && part.mustShowOwnTag)
            faults.push_back(std::string(part.name) + ": the job's own values are not there (the scan sees nothing)");
    }
    ScanQuotedPins(parts[0], own, pins, &faults);
    ScanQuotedPins(parts[1], own, pins, &faults);
    ScanDigitRuns(parts[2], own, pins, &faults);
    ScanDigitRuns(parts[3], own, pins, &faults);
    return faults;
}

}  // namespace parallel
