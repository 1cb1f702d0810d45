// The document the sample print sends: a built-in text with a small chart, or
// a text file, laid out in pages for a printer device context and drawn there
// with GDI as an application would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace sample {

struct TextDocument {
    std::wstring title;
    // One entry per paragraph; an empty one is a blank line, a form feed a
    // page break.
    std::vector<std::wstring> paragraphs;
    bool chart = false;  // a bar chart below the title of the first page
};

TextDocument BuiltInDocument();

// A text file as UTF-8 (with or without a byte-order mark) or, failing that,
// in the ANSI code page; one paragraph per line, tabs as four blanks.
bool ReadTextDocument(const std::wstring &path, TextDocument *document, std::wstring *error);

struct LaidOutPage {
    std::vector<std::wstring> lines;
    bool chart = false;
};

// Wraps the paragraphs at word boundaries to the device's text width and cuts
// them into pages. Every document gives at least one page; page breaks and
// blank lines after its last text start none.
std::vector<LaidOutPage> LayOut(HDC dc, const TextDocument &document);

// Draws one page between StartPage and EndPage: a header with the title and
// the page number, the page's lines, and the chart where the page has it.
bool DrawPage(HDC dc, const TextDocument &document, const LaidOutPage &page, int number, int count);

}  // namespace sample
