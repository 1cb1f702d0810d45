// Page events on a real job: which watermark each page gets, under or over
// its content, the pages of a manual-duplex pass, the escapes each event
// sends, and renderers whose records this side cannot take.
#include "tests/ui_events/events_fixture.h"

using eventtest::Codes;
using eventtest::kFirstText;
using eventtest::kSecondText;
using eventtest::PageMarks;
using eventtest::UseWatermarks;
using testbed::EventRecord;

namespace {

using Texts = std::vector<std::wstring>;
const Texts kFirst{kFirstText};
const Texts kSecond{kSecondText};
const Texts kNone{};

class PageEventsTest : public eventtest::EventJobTest {};

TEST_F(PageEventsTest, EveryOrderGivesEachPageItsWatermark) {
    struct Case {
        uint32_t order;
        std::vector<Texts> pages;
    };
    const Case cases[] = {
        {1, {kFirst, kFirst, kFirst, kFirst, kFirst}},        // all pages
        {2, {kFirst, kSecond, kFirst, kSecond, kFirst}},      // odd pages, even pages
        {3, {kFirst, kSecond, kSecond, kSecond, kSecond}},    // first page, other pages
        {0, {kSecond, kSecond, kSecond, kSecond, kSecond}},   // anything else: the second
        {17, {kSecond, kSecond, kSecond, kSecond, kSecond}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.order);
        UseWatermarks(job.settings(), c.order);
        std::vector<PageMarks> marks = PrintDocument(L"order", 5);
        ASSERT_EQ(marks.size(), 5u);
        for (size_t page = 0; page < marks.size(); ++page) {
            SCOPED_TRACE(page + 1);
            EXPECT_EQ(marks[page].atStart, c.pages[page]);
            EXPECT_EQ(marks[page].atEnd, kNone);
        }
        // The count starts again with the next document.
        EXPECT_EQ(job.state()->eventPageCount, 0);
    }
}

TEST_F(PageEventsTest, PlacementDecidesWhichEventDraws) {
    struct Case {
        const char *what;
        uint32_t enabled, over, viaEscape;
        Texts atStart, atEnd;
    };
    const Case cases[] = {
        {"under the page", 1, 0, 0, kFirst, kNone},
        {"over the page", 1, 1, 0, kNone, kFirst},
        {"any non-zero flag is over", 1, 7, 0, kNone, kFirst},
        {"on request only", 1, 0, 1, kNone, kNone},
        {"on request only, over", 1, 1, 1, kNone, kNone},
        {"switched off", 0, 0, 0, kNone, kNone},
        {"switched off, over", 0, 1, 0, kNone, kNone},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        UseWatermarks(job.settings(), 1, c.over, c.viaEscape);
        job.settings()->watermarksEnabled = c.enabled;
        for (const PageMarks &m : PrintDocument(L"placement", 2)) {
            EXPECT_EQ(m.atStart, c.atStart);
            EXPECT_EQ(m.atEnd, c.atEnd);
        }
    }
}

TEST_F(PageEventsTest, WatermarkTextGetsThePageAndTheJobsStartTime) {
    UseWatermarks(job.settings(), 1);
    WatermarkRecord &wm = job.settings()->watermarks[0];
    wcsncpy(wm.text, L"Page %pagenumber% of %dateddmmyyyy% %timemil%", 127);
    wm.dynamicText = 1;
    output = OutputPath(L"dynamic");
    ASSERT_GT(job.StartDocument(L"dynamic", output), 0);
    job.state()->jobStartTime = SYSTEMTIME{2021, 9, 5, 3, 15, 14, 5, 0};
    for (int page = 1; page <= 3; ++page) {
        size_t from = job.events.size();
        ASSERT_GT(job.StartPage(), 0);
        EXPECT_EQ(TextsOfOutermost(from, DOCUMENTEVENT_STARTPAGE),
                  Texts{L"Page " + std::to_wstring(page) + L" of 03/09/2021 15:14:05"});
        ASSERT_GT(job.EndPage(), 0);
    }
    ASSERT_GT(job.EndDoc(), 0);
}

TEST_F(PageEventsTest, ManualDuplexPassIsNeitherCountedNorMarked) {
    UseWatermarks(job.settings(), 2, /*overPage=*/0);
    output = OutputPath(L"duplex");
    ASSERT_GT(job.StartDocument(L"duplex", output), 0);

    // Page 1 as usual.
    ASSERT_GT(job.StartPage(), 0);
    ASSERT_GT(job.EndPage(), 0);
    ASSERT_EQ(job.state()->eventPageCount, 1);

    // The component that runs the manual duplex marks the next page.
    ASSERT_EQ(job.Escape(static_cast<int>(ESC_BEGIN_MANUAL_DUPLEX), 0, nullptr, 0, nullptr), 1);
    size_t from = job.events.size();
    ASSERT_GT(job.StartPage(), 0);
    const EventRecord *start = Outermost(from, DOCUMENTEVENT_STARTPAGE);
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->result, DOCUMENTEVENT_SUCCESS);
    EXPECT_EQ(Codes(start->escapes), std::vector<ULONG>{ESC_IS_MANUAL_DUPLEX});
    EXPECT_TRUE(start->texts.empty());
    EXPECT_EQ(job.state()->eventPageCount, 1) << "the page was counted";

    job.settings()->watermarkOverPage = 1;  // ENDPAGE would draw, were it not for the pass
    from = job.events.size();
    ASSERT_GT(job.EndPage(), 0);
    const EventRecord *end = Outermost(from, DOCUMENTEVENT_ENDPAGE);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(end->result, DOCUMENTEVENT_SUCCESS);
    EXPECT_EQ(Codes(end->escapes), (std::vector<ULONG>{ESC_IS_MANUAL_DUPLEX, ESC_END_MANUAL_DUPLEX}));
    EXPECT_TRUE(end->texts.empty());
    EXPECT_EQ(job.state()->manualDuplexActive, 0u) << "the flag is cleared at the end of the page";

    // The page after it is page 2 again, and even.
    job.settings()->watermarkOverPage = 0;
    from = job.events.size();
    ASSERT_GT(job.StartPage(), 0);
    EXPECT_EQ(TextsOfOutermost(from, DOCUMENTEVENT_STARTPAGE), kSecond);
    EXPECT_EQ(job.state()->eventPageCount, 2);
    ASSERT_GT(job.EndPage(), 0);
    ASSERT_GT(job.EndDoc(), 0);
}

TEST_F(PageEventsTest, EachEventSendsItsEscapesInTheListedOrderAndNoMoreThanEight) {
    const std::vector<ULONG> startPage{ESC_IS_MANUAL_DUPLEX,    ESC_NEXT_PAGE,          ESC_GET_PRIVATE_DEVMODE,
                                       ESC_GET_PUBLIC_DEVMODE,  ESC_GET_PRIVATE_DEVMODE, ESC_GET_PUBLIC_DEVMODE,
                                       ESC_GET_PAGE,            ESC_GET_JOB_TIME};
    const std::vector<ULONG> endPageOver{ESC_IS_MANUAL_DUPLEX,   ESC_GET_PRIVATE_DEVMODE, ESC_GET_PUBLIC_DEVMODE,
                                         ESC_GET_PRIVATE_DEVMODE, ESC_GET_PUBLIC_DEVMODE, ESC_GET_PAGE,
                                         ESC_GET_JOB_TIME};
    const std::vector<ULONG> endDoc{ESC_GET_PRIVATE_DEVMODE, ESC_GET_PUBLIC_DEVMODE, ESC_GET_SHEETS,
                                    ESC_GET_PRIVATE_DEVMODE, ESC_GET_PUBLIC_DEVMODE, ESC_RESET_PAGES};
    for (uint32_t over : {0u, 1u}) {
        SCOPED_TRACE(over);
        UseWatermarks(job.settings(), 1, over);
        size_t from = job.events.size();
        PrintDocument(L"escapes", 2);
        for (size_t i = from; i < job.events.size(); ++i) {
            const EventRecord &e = job.events[i];
            SCOPED_TRACE(e.iEsc);
            EXPECT_LE(e.escapes.size(), 8u);
            if (e.depth != 1) {
                // Raised by uiplug's own escapes: nothing to do there.
                EXPECT_EQ(e.iEsc, DOCUMENTEVENT_ESCAPE);
                EXPECT_TRUE(e.escapes.empty());
                EXPECT_EQ(e.result, DOCUMENTEVENT_SUCCESS);
                continue;
            }
            if (e.iEsc == DOCUMENTEVENT_STARTPAGE) {
                EXPECT_EQ(Codes(e.escapes), startPage);
            }
            if (e.iEsc == DOCUMENTEVENT_ENDPAGE && over) {
                EXPECT_EQ(Codes(e.escapes), endPageOver);
            }
            if (e.iEsc == DOCUMENTEVENT_ENDPAGE && !over) {
                EXPECT_EQ(Codes(e.escapes), std::vector<ULONG>(endPageOver.begin(), endPageOver.begin() + 5));
            }
            if (e.iEsc == DOCUMENTEVENT_ENDDOC) {
                EXPECT_EQ(Codes(e.escapes), endDoc);
                EXPECT_EQ(e.result, DOCUMENTEVENT_SUCCESS);
            }
            // Queries carry no buffer; fetches carry one of exactly the size this side reads.
            for (size_t k = 0; k < e.escapes.size(); ++k) {
                const testbed::SentEscape &s = e.escapes[k];
                EXPECT_EQ(s.cbIn, 0);
                if (s.hadOutput) {
                    const int wanted = s.code == ESC_GET_PRIVATE_DEVMODE ? 7648
                                       : s.code == ESC_GET_PUBLIC_DEVMODE ? 220
                                                                          : 16;
                    EXPECT_EQ(s.cbOut, wanted) << std::hex << s.code;
                } else {
                    const bool counter = s.code == ESC_NEXT_PAGE || s.code == ESC_GET_PAGE ||
                                         s.code == ESC_GET_SHEETS || s.code == ESC_RESET_PAGES;
                    EXPECT_EQ(s.cbOut, counter ? 4 : 0) << std::hex << s.code;
                }
            }
        }
    }
}

// A renderer whose devmode is larger than this side reads: nothing is
// fetched or drawn, pages still succeed, and the end of the document fails
// without resetting the count. (This renderer never reports a private record
// above 7648 bytes, so the devmode stands for both.)
TEST_F(PageEventsTest, RecordsLargerThanThisSideReadsStopTheEvent) {
    for (uint32_t over : {0u, 1u}) {
        SCOPED_TRACE(over);
        UseWatermarks(job.settings(), 1, over);
        job.publicDevmode()->dmSize = sizeof(DEVMODEW) + 2;
        std::vector<PageMarks> marks = PrintDocument(L"toolarge", 2);
        job.publicDevmode()->dmSize = sizeof(DEVMODEW);
        for (const PageMarks &m : marks) {
            EXPECT_EQ(m.atStart, kNone);
            EXPECT_EQ(m.atEnd, kNone);
        }
        for (const EventRecord &e : job.events) {
            if (e.depth != 1) continue;
            for (const testbed::SentEscape &s : e.escapes) {
                EXPECT_FALSE(s.hadOutput) << "fetched " << std::hex << s.code;
            }
            if (e.iEsc == DOCUMENTEVENT_STARTPAGE || e.iEsc == DOCUMENTEVENT_ENDPAGE) {
                EXPECT_EQ(e.result, DOCUMENTEVENT_SUCCESS);
            }
        }
        const EventRecord *end = Outermost(endDocEvent, DOCUMENTEVENT_ENDDOC);
        ASSERT_NE(end, nullptr);
        EXPECT_EQ(end->result, DOCUMENTEVENT_FAILURE);
        EXPECT_EQ(Codes(end->escapes), (std::vector<ULONG>{ESC_GET_PRIVATE_DEVMODE, ESC_GET_PUBLIC_DEVMODE}));
        EXPECT_EQ(job.state()->eventPageCount, 2) << "the count was reset";
        job.state()->eventPageCount = 0;
        job.events.clear();
    }
}

}  // namespace
