// The sample document: reading a text file and laying it out in pages on the
// test printer.
#include <gtest/gtest.h>

#include <sstream>

#include "platform/raii.h"
#include "sample/document.h"
#include "tests/host/render_host.h"
#include "tests/host/wine_printer.h"

using sample::LaidOutPage;
using sample::TextDocument;

namespace {

std::wstring WriteScratchFile(const wchar_t *name, const std::string &bytes) {
    const std::wstring path = testbed::ScratchDir(L"sample-document") + L"\\" + name;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return path;
}

std::vector<std::wstring> Words(const std::wstring &text) {
    std::wistringstream in(text);
    std::vector<std::wstring> words;
    for (std::wstring w; in >> w;) words.push_back(w);
    return words;
}

class Layout : public ::testing::Test {
protected:
    void SetUp() override {
        dc.reset(testbed::CreatePrinterDc());
        ASSERT_TRUE(dc);
    }
    unique_hdc dc;
};

}  // namespace

TEST(TextFile, ReadsUtf8AndFallsBackToTheAnsiCodePage) {
    TextDocument doc;
    std::wstring error;
    // A byte-order mark, CR LF line ends, a tab and a page break.
    ASSERT_TRUE(sample::ReadTextDocument(
        WriteScratchFile(L"utf8.txt", "\xEF\xBB\xBF" "caf\xC3\xA9\r\n\tindented\r\n\fnext page\r\nlast"), &doc,
        &error));
    EXPECT_EQ(doc.title, L"utf8.txt");
    const std::vector<std::wstring> expected = {L"caf\u00e9", L"    indented", L"\f", L"next page", L"last"};
    EXPECT_EQ(doc.paragraphs, expected);

    // 0xE9 alone is no UTF-8; the ANSI code page reads it.
    ASSERT_TRUE(sample::ReadTextDocument(WriteScratchFile(L"ansi.txt", "caf\xE9\n"), &doc, &error));
    ASSERT_EQ(doc.paragraphs.size(), 1u);
    EXPECT_EQ(doc.paragraphs[0].size(), 4u);
    EXPECT_EQ(doc.paragraphs[0].substr(0, 3), L"caf");

    EXPECT_FALSE(sample::ReadTextDocument(L"Z:\\no\\such\\file.txt", &doc, &error));
    EXPECT_NE(error.find(L"file.txt"), std::wstring::npos);
}

TEST_F(Layout, WrapsLongParagraphsWithoutLosingOrSplittingWords) {
    TextDocument doc;
    std::wstring paragraph;
    for (int i = 0; i < 300; ++i) paragraph += L"word" + std::to_wstring(i) + (i % 7 ? L" " : L"  ");
    doc.paragraphs = {paragraph, std::wstring(400, L'x')};
    const std::vector<LaidOutPage> pages = sample::LayOut(dc.get(), doc);
    std::wstring joined;
    size_t lines = 0;
    for (const LaidOutPage &page : pages)
        for (const std::wstring &line : page.lines) {
            joined += line + L"\n";
            ++lines;
        }
    EXPECT_GT(lines, 10u);
    // The unbroken run of 400 characters is cut where it must be, and all of it stays.
    std::vector<std::wstring> expected = Words(paragraph);
    std::vector<std::wstring> words = Words(joined);
    ASSERT_GE(words.size(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), words.begin()));
    std::wstring tail;
    for (size_t i = expected.size(); i < words.size(); ++i) tail += words[i];
    EXPECT_EQ(tail, std::wstring(400, L'x'));
}

TEST_F(Layout, PagesBreakWhenFullAndAtPageBreaks) {
    TextDocument doc;
    for (int i = 0; i < 500; ++i) doc.paragraphs.push_back(L"line " + std::to_wstring(i));
    const std::vector<LaidOutPage> pages = sample::LayOut(dc.get(), doc);
    ASSERT_GE(pages.size(), 5u);
    size_t total = 0;
    for (size_t i = 0; i < pages.size(); ++i) {
        total += pages[i].lines.size();
        if (i + 1 < pages.size()) {
            EXPECT_EQ(pages[i].lines.size(), pages[0].lines.size()) << "page " << i + 1;
        }
    }
    EXPECT_EQ(total, 500u);

    doc.paragraphs = {L"one", L"\f", L"two", L"\f", L"three"};
    const std::vector<LaidOutPage> broken = sample::LayOut(dc.get(), doc);
    ASSERT_EQ(broken.size(), 3u);
    EXPECT_EQ(broken[2].lines, std::vector<std::wstring>{L"three"});
}

TEST_F(Layout, AFormFeedAtTheEndStartsNoPage) {
    // As a text file that ends with a form feed, and with one before its
    // final line feed, reads.
    for (const char *ending : {"\f", "\f\r\n", "\r\n\f\r\n   \r\n"}) {
        TextDocument doc;
        std::wstring error;
        ASSERT_TRUE(sample::ReadTextDocument(
            WriteScratchFile(L"ending.txt", std::string("one\r\n\ftwo") + ending), &doc, &error));
        const std::vector<LaidOutPage> pages = sample::LayOut(dc.get(), doc);
        ASSERT_EQ(pages.size(), 2u) << testing::PrintToString(std::string(ending));
        EXPECT_EQ(pages[1].lines, std::vector<std::wstring>{L"two"});
    }
    TextDocument onlyBreak;
    onlyBreak.paragraphs = {L"\f"};
    EXPECT_EQ(sample::LayOut(dc.get(), onlyBreak).size(), 1u) << "every document has a page";
}

TEST_F(Layout, TheBuiltInDocumentIsAShortMultiPageOneWithAChart) {
    const std::vector<LaidOutPage> pages = sample::LayOut(dc.get(), sample::BuiltInDocument());
    EXPECT_GE(pages.size(), 3u);
    EXPECT_LE(pages.size(), 4u);
    EXPECT_TRUE(pages[0].chart);
    EXPECT_LT(pages[0].lines.size(), pages[1].lines.size());
}
