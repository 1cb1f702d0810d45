#include "ui/print_ticket/name_encoding.h"

#include <cwchar>

namespace {

struct Range {
    wchar_t first, last;
};

// XML 1.0 (fifth edition) NameStartChar without ':', over UTF-16 units.
constexpr Range kStart[] = {{L'A', L'Z'},        {L'_', L'_'},        {L'a', L'z'},        {0xC0, 0xD6},
                            {0xD8, 0xF6},        {0xF8, 0x2FF},       {0x370, 0x37D},      {0x37F, 0x1FFF},
                            {0x200C, 0x200D},    {0x2070, 0x218F},    {0x2C00, 0x2FEF},    {0x3001, 0xD7FF},
                            {0xF900, 0xFDCF},    {0xFDF0, 0xFFFD}};
constexpr Range kMoreName[] = {{L'-', L'.'}, {L'0', L'9'}, {0xB7, 0xB7}, {0x300, 0x36F}, {0x203F, 0x2040}};

template <size_t N>
bool InRanges(wchar_t c, const Range (&ranges)[N]) {
    for (const Range &r : ranges)
        if (c >= r.first && c <= r.last) return true;
    return false;
}

bool IsHex(wchar_t c) { return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F') || (c >= L'a' && c <= L'f'); }

unsigned HexValue(wchar_t c) {
    if (c <= L'9') return c - L'0';
    if (c <= L'F') return c - L'A' + 10;
    return c - L'a' + 10;
}

void AppendEscape(std::wstring *out, wchar_t c) {
    wchar_t text[8];
    swprintf(text, 8, L"_x%04X_", static_cast<unsigned>(c));
    out->append(text);
}

}  // namespace

std::wstring EncodeLocalName(const wchar_t *name) {
    std::wstring out;
    if (!name) return out;
    for (size_t i = 0; name[i]; ++i) {
        const wchar_t c = name[i];
        const bool allowed = InRanges(c, kStart) || (i > 0 && InRanges(c, kMoreName));
        if (!allowed || (c == L'_' && name[i + 1] == L'x'))
            AppendEscape(&out, c);
        else
            out.push_back(c);
    }
    return out;
}

bool DecodeLocalName(const wchar_t *encoded, std::wstring *name) {
    if (!encoded || !name || !encoded[0]) return false;
    name->clear();
    for (size_t i = 0; encoded[i];) {
        if (encoded[i] == L'_' && encoded[i + 1] == L'x') {
            unsigned value = 0;
            for (size_t k = 2; k < 6; ++k) {
                if (!IsHex(encoded[i + k])) return false;
                value = value * 16 + HexValue(encoded[i + k]);
            }
            if (encoded[i + 6] != L'_' || value == 0) return false;
            name->push_back(static_cast<wchar_t>(value));
            i += 7;
            continue;
        }
        name->push_back(encoded[i++]);
    }
    return true;
}
