// The sample print's command line.
#include <gtest/gtest.h>

#include "sample/options.h"
#include "tests/host/render_host.h"

using sample::ParseOptions;
using sample::SampleOptions;

namespace {

bool Parse(std::vector<std::wstring> args, SampleOptions *out, std::wstring *error) {
    return ParseOptions(args, out, error);
}

// The reason a command line is refused; empty when it is accepted.
std::wstring Refusal(std::vector<std::wstring> args) {
    SampleOptions options;
    std::wstring error;
    if (Parse(std::move(args), &options, &error)) return L"";
    return error.empty() ? L"(refused without a reason)" : error;
}

}  // namespace

TEST(Options, EveryDestinationByNameAndTheJobsValues) {
    const wchar_t *names[] = {L"printer", L"file", L"eps", L"fax", L"confidential", L"reserve", L"repeat", L"verify"};
    for (DWORD value = 0; value < 8; ++value) {
        SampleOptions o;
        std::wstring error;
        ASSERT_TRUE(Parse({L"--destination", names[value]}, &o, &error)) << testbed::Narrow(error);
        EXPECT_EQ(o.destination, value);
        EXPECT_STREQ(sample::DestinationName(value), names[value]);
    }
    SampleOptions o;
    std::wstring error;
    ASSERT_TRUE(Parse({L"--destination=fax", L"--cover-page", L"--fax-number", L"+44 20 7946 0000", L"--copies=3",
                       L"--pages-per-sheet", L"4", L"--rotate", L"--watermark-order", L"first-other",
                       L"--watermark", L"Username", L"--second-watermark=Date and Time", L"--input", L"C:\\a b.txt",
                       L"--out", L"Z:\\tmp\\out", L"--dpi", L"72"},
                      &o, &error))
        << testbed::Narrow(error);
    EXPECT_EQ(o.destination, 3u);
    EXPECT_TRUE(o.coverPage);
    EXPECT_EQ(o.faxNumber, L"+44 20 7946 0000");
    EXPECT_EQ(o.copies, 3);
    EXPECT_EQ(o.pagesPerSheet, 4);
    EXPECT_TRUE(o.rotate180);
    EXPECT_EQ(o.watermarkOrder, 3u);
    EXPECT_EQ(o.watermarks[0], L"Username");
    EXPECT_EQ(o.watermarks[1], L"Date and Time");
    EXPECT_EQ(o.inputFile, L"C:\\a b.txt");
    EXPECT_EQ(o.outputDir, L"Z:\\tmp\\out");
    EXPECT_EQ(o.dpi, 72);
}

TEST(Options, HeldJobValuesFollowTheOutputOptionsPagesRules) {
    EXPECT_EQ(Refusal({L"--pin", L"1656"}), L"");
    EXPECT_NE(Refusal({L"--pin", L"1237"}), L"");   // 7 is no PIN digit
    EXPECT_NE(Refusal({L"--pin", L"1203"}), L"");   // nor is 0
    EXPECT_NE(Refusal({L"--pin", L"123"}), L"");
    EXPECT_NE(Refusal({L"--pin", L"12345"}), L"");
    EXPECT_EQ(Refusal({L"--user", std::wstring(24, L'u')}), L"");
    EXPECT_NE(Refusal({L"--user", std::wstring(25, L'u')}), L"");
    EXPECT_NE(Refusal({L"--user", L"   "}), L"");
    EXPECT_NE(Refusal({L"--user", L"a\"b"}), L"");
    EXPECT_NE(Refusal({L"--fax-number", L" "}), L"");
}

TEST(Options, RefusesWhatTheJobCannotTake) {
    EXPECT_NE(Refusal({L"--destination", L"plotter"}), L"");
    EXPECT_NE(Refusal({L"--watermark-order", L"even"}), L"");
    EXPECT_NE(Refusal({L"--copies", L"0"}), L"");
    EXPECT_NE(Refusal({L"--copies", L"1000"}), L"");
    EXPECT_NE(Refusal({L"--copies", L"2x"}), L"");
    EXPECT_NE(Refusal({L"--copies", L"-1"}), L"");
    EXPECT_NE(Refusal({L"--pages-per-sheet", L"3"}), L"");
    EXPECT_NE(Refusal({L"--dpi", L"20"}), L"");
    // A cover page belongs to a fax.
    EXPECT_NE(Refusal({L"--cover-page"}), L"");
    EXPECT_EQ(Refusal({L"--cover-page", L"--destination", L"fax"}), L"");
}

TEST(Options, NamesTheArgumentItCannotRead) {
    EXPECT_NE(Refusal({L"--colour", L"red"}).find(L"--colour"), std::wstring::npos);
    EXPECT_NE(Refusal({L"--copies"}).find(L"--copies"), std::wstring::npos);
    EXPECT_NE(Refusal({L"--rotate=yes"}).find(L"--rotate"), std::wstring::npos);
    EXPECT_NE(Refusal({L"stray"}).find(L"stray"), std::wstring::npos);
    EXPECT_NE(Refusal({L"--input", L""}).find(L"--input"), std::wstring::npos);
    // An option's value may look like an option; the next word is its value.
    SampleOptions o;
    std::wstring error;
    EXPECT_TRUE(Parse({L"--input", L"--out"}, &o, &error));
    EXPECT_EQ(o.inputFile, L"--out");
}
