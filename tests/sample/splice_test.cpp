// Putting the rendering plug-in's texts into Wine's PostScript where the
// PostScript driver would have written them.
#include <gtest/gtest.h>

#include "sample/job_splice.h"
#include "tests/sample/occurrences.h"

using sample::Injection;
using sample::SheetLayout;
using sample::SplicedJob;

namespace {

// Wine's driver output for `pages` pages, shaped as Wine writes it: no page
// trailer comment, each page ending in "pgsave restore" and "showpage".
std::string WineOutput(int pages, const std::string &pageBody = "") {
    std::string ps =
        "%!PS-Adobe-3.0\n%%Creator: Wine PostScript Driver\n%%Pages: (atend)\n%%EndComments\n"
        "%%BeginProlog\n/N {newpath} def\n%%EndProlog\n"
        "%%BeginSetup\n<</PageSize [612 792]>>setpagedevice\n%%EndSetup\n";
    for (int p = 1; p <= pages; ++p) {
        const std::string n = std::to_string(p);
        ps += "%%Page: " + n + " " + n + "\n%%BeginPageSetup\n/pgsave save def\n%%EndPageSetup\n";
        ps += pageBody + "(page " + n + ") show\npgsave restore\nshowpage\n";
    }
    return ps + "%%Trailer\n%%Pages: " + std::to_string(pages) + "\n%%EOF\n";
}

// The calls of a whole job as the driver makes them, with the answers the
// rendering plug-in gives: it takes the points it writes at and declines the
// others. Each text names its point and page.
std::vector<Injection> WholeJobCalls(int pages) {
    std::vector<Injection> calls;
    auto add = [&](DWORD index, int page, bool supplied, std::string text) {
        calls.push_back(Injection{index, page, supplied, std::move(text)});
    };
    add(PSINJECT_BEGINSTREAM, 0, true, "<stream>\n");
    add(PSINJECT_PSADOBE, 0, true, "<settings>\n");
    add(PSINJECT_PAGESATEND, 0, false, "");
    add(PSINJECT_COMMENTS, 0, true, "<comments>\n");
    add(PSINJECT_BEGINPROLOG, 0, false, "");
    add(PSINJECT_ENDPROLOG, 0, false, "");
    add(PSINJECT_BEGINSETUP, 0, true, "<setup>\n");
    add(PSINJECT_ENDSETUP, 0, false, "");
    for (int p = 1; p <= pages; ++p) {
        const std::string n = std::to_string(p);
        add(PSINJECT_PAGENUMBER, p, true, "%%Page: " + n + " " + n + "\n<number " + n + ">\n");
        add(PSINJECT_BEGINPAGESETUP, p, true, "<begin " + n + ">\n");
        add(PSINJECT_ENDPAGESETUP, p, true, "<end " + n + ">\n");
        add(PSINJECT_SHOWPAGE, p, true, "<show " + n + ">\n");
        add(PSINJECT_PAGETRAILER, p, true, "<trailer " + n + ">\n");
    }
    add(PSINJECT_TRAILER, 0, false, "");
    add(PSINJECT_PAGES, 0, false, "");
    add(PSINJECT_EOF, 0, true, "<eof>");
    add(PSINJECT_ENDSTREAM, 0, false, "");
    return calls;
}

Injection *Find(std::vector<Injection> &calls, DWORD index, int page) {
    for (Injection &call : calls)
        if (call.index == index && call.page == page) return &call;
    return nullptr;
}

std::string Splice(const std::string &ps, const std::vector<Injection> &calls, const SheetLayout &layout = {}) {
    SplicedJob job;
    std::string error;
    EXPECT_TRUE(sample::SpliceJob(ps, calls, layout, &job, &error)) << error;
    return job.Whole();
}

std::string SpliceError(const std::string &ps, const std::vector<Injection> &calls) {
    SplicedJob job;
    std::string error;
    EXPECT_FALSE(sample::SpliceJob(ps, calls, SheetLayout{}, &job, &error));
    return error;
}

}  // namespace

TEST(Splice, PutsEveryTextAtTheDriversPlaceForIt) {
    const std::string job = Splice(WineOutput(2), WholeJobCalls(2));
    const std::string expected =
        "<stream>\n<settings>\n%!PS-Adobe-3.0\n%%Creator: Wine PostScript Driver\n%%Pages: (atend)\n"
        "<comments>\n%%EndComments\n"
        "%%BeginProlog\n/N {newpath} def\n%%EndProlog\n"
        "%%BeginSetup\n<setup>\n<</PageSize [612 792]>>setpagedevice\n%%EndSetup\n"
        "%%Page: 1 1\n<number 1>\n%%BeginPageSetup\n<begin 1>\n/pgsave save def\n<end 1>\n%%EndPageSetup\n"
        "(page 1) show\npgsave restore\n<show 1>\nshowpage\n%%PageTrailer\n<trailer 1>\n"
        "%%Page: 2 2\n<number 2>\n%%BeginPageSetup\n<begin 2>\n/pgsave save def\n<end 2>\n%%EndPageSetup\n"
        "(page 2) show\npgsave restore\n<show 2>\nshowpage\n%%PageTrailer\n<trailer 2>\n"
        "%%Trailer\n%%Pages: 2\n%%EOF\n<eof>\n";
    EXPECT_EQ(job, expected);
}

TEST(Splice, ADriverCommentStaysOnlyWhereThePluginDeclinesItsPoint) {
    std::vector<Injection> calls = WholeJobCalls(2);
    // Page 1: the plug-in takes the point but writes nothing; page 2: it declines.
    *Find(calls, PSINJECT_PAGENUMBER, 1) = Injection{PSINJECT_PAGENUMBER, 1, true, ""};
    *Find(calls, PSINJECT_PAGENUMBER, 2) = Injection{PSINJECT_PAGENUMBER, 2, false, ""};
    // The trailer's page count: taken with a text of its own.
    *Find(calls, PSINJECT_PAGES, 0) = Injection{PSINJECT_PAGES, 0, true, "%%Pages: 7\n"};
    const std::string job = Splice(WineOutput(2), calls);
    EXPECT_EQ(Occurrences(job, "%%Page: 1 1"), 0u);
    EXPECT_EQ(Occurrences(job, "%%Page: 2 2\n%%BeginPageSetup"), 1u);
    EXPECT_EQ(Occurrences(job, "%%Pages: 2"), 0u);
    EXPECT_EQ(Occurrences(job, "%%Trailer\n%%Pages: 7\n%%EOF"), 1u);
    EXPECT_EQ(Occurrences(job, "%%Pages: (atend)"), 1u);
}

TEST(Splice, CommentsOfAPassedThroughDocumentAreNotTheDrivers) {
    // What an application (or the cover page) passes through may carry DSC
    // comments of its own, even a showpage; Wine wraps it in a document.
    const std::string passed =
        "%%BeginDocument: Wine passthrough\n%%Page: 9 9\n%%EndPageSetup\n%%Trailer\nshowpage\n\n%%EndDocument\n";
    const std::string job = Splice(WineOutput(1, passed), WholeJobCalls(1));
    EXPECT_EQ(Occurrences(job, "<end 1>"), 1u);
    EXPECT_LT(job.find("<end 1>"), job.find("%%BeginDocument"));
    EXPECT_EQ(Occurrences(job, "%%Page: 9 9\n%%EndPageSetup\n%%Trailer\nshowpage\n"), 1u);
    EXPECT_EQ(Occurrences(job, "pgsave restore\n<show 1>\nshowpage\n%%PageTrailer\n<trailer 1>\n%%Trailer\n"), 1u);
}

TEST(Splice, ATextWithoutItsLineEndDoesNotJoinTheDriversNextLine) {
    std::vector<Injection> calls = WholeJobCalls(1);
    Find(calls, PSINJECT_COMMENTS, 0)->text = "%%Version: 3.0";
    EXPECT_EQ(Occurrences(Splice(WineOutput(1), calls), "%%Version: 3.0\n%%EndComments\n"), 1u);
}

TEST(Splice, RefusesAJobItCannotAssembleWhole) {
    // Wine's pages and the pages the plug-in was asked about must agree.
    EXPECT_NE(SpliceError(WineOutput(3), WholeJobCalls(2)).find("3 pages"), std::string::npos);
    // A text whose comment is missing is reported, not dropped.
    std::string noComments = WineOutput(1);
    noComments.erase(noComments.find("%%EndComments\n"), 14);
    EXPECT_NE(SpliceError(noComments, WholeJobCalls(1)).find("injection point 11"), std::string::npos);
    std::string noShowPage = WineOutput(2);
    noShowPage.erase(noShowPage.rfind("showpage\n"), 9);
    EXPECT_NE(SpliceError(noShowPage, WholeJobCalls(2)).find("page 2"), std::string::npos);
    std::string noTrailer = WineOutput(1);
    noTrailer.erase(noTrailer.find("%%Trailer"));
    EXPECT_FALSE(SpliceError(noTrailer, WholeJobCalls(1)).empty());
}

TEST(Splice, LaysOutSheetsAsTheDriversNupDoes) {
    SheetLayout layout;
    layout.pagesPerSheet = 2;
    layout.pageWidth = 612;
    layout.pageHeight = 792;
    const std::string job = Splice(WineOutput(3), WholeJobCalls(3), layout);
    // The prologue once, inside the driver's prologue; the default matrix at
    // the end of the setup.
    EXPECT_EQ(Occurrences(job, "/definenup {"), 1u);
    EXPECT_LT(job.find("/definenup {"), job.find("%%EndProlog"));
    EXPECT_GT(job.find("/definenup {"), job.find("%%BeginProlog"));
    EXPECT_EQ(Occurrences(job, "setpagedevice\n/$m matrix currentmatrix def\n%%EndSetup"), 1u);
    // A sheet is laid out at its first page, after the plug-in's text there.
    const std::string sheet = "0 0 612 792 2 1 definenup\n0 0 startnup\n";
    EXPECT_EQ(Occurrences(job, "<begin 1>\n" + sheet), 1u);
    EXPECT_EQ(Occurrences(job, "<begin 2>\n/pgsave"), 1u);
    EXPECT_EQ(Occurrences(job, "<begin 3>\n" + sheet), 1u);
    // Pages go through the N-up show-page; the last sheet goes out at the end.
    EXPECT_EQ(Occurrences(job, "\nshowpage\n"), 0u);
    EXPECT_EQ(Occurrences(job, "<show 2>\nLH\n%%PageTrailer\n"), 1u);
    EXPECT_EQ(Occurrences(job, "%%Trailer\nfinalpage\n%%Pages: 3"), 1u);
}
