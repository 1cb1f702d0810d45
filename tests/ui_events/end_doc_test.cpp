// The end of the document: the fax cover page of a faxed job, drawn as one
// more page whose own events pass through the handler, and the reset of the
// page count either way.
#include "tests/ui_events/events_fixture.h"

#include <cstdio>

#include "tests/host/wine_printer.h"

using eventtest::Codes;
using eventtest::UseWatermarks;
using testbed::EventRecord;

namespace {

int CountOf(const std::string &haystack, const std::string &needle) {
    int n = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++n;
    return n;
}

class EndDocTest : public eventtest::EventJobTest {
protected:
    void Fax(uint32_t sendCoverPage) {
        PrivateDevmode *s = job.settings();
        s->outputDestination = DEST_FAX;
        s->fax.sendCoverPage = sendCoverPage;
        s->fax.coverPageParts = kCoverRecipient | kCoverSender | kCoverComments;
        wcsncpy(s->fax.recipientName, L"Ada Recipient", 127);
        wcsncpy(s->fax.senderName, L"Sam Sender", 127);
        wcsncpy(s->fax.comments, L"Three pages follow.", 1023);
    }

    bool SawText(const std::vector<std::wstring> &texts, const std::wstring &part) {
        for (const std::wstring &t : texts)
            if (t.find(part) != std::wstring::npos) return true;
        return false;
    }

    std::vector<const EventRecord *> NestedIn(size_t from, int iEsc) {
        std::vector<const EventRecord *> out;
        for (size_t i = from; i < job.events.size(); ++i)
            if (job.events[i].depth == 2 && job.events[i].iEsc == iEsc) out.push_back(&job.events[i]);
        return out;
    }
};

TEST_F(EndDocTest, FaxWithoutCoverPageEndsWithTheResetOnly) {
    Fax(0);
    PrintDocument(L"fax-nocover", 3);
    const EventRecord *end = Outermost(endDocEvent, DOCUMENTEVENT_ENDDOC);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(end->result, DOCUMENTEVENT_SUCCESS);
    ASSERT_FALSE(end->escapes.empty());
    EXPECT_EQ(end->escapes.back().code, ESC_RESET_PAGES);
    EXPECT_TRUE(NestedIn(endDocEvent, DOCUMENTEVENT_STARTPAGE).empty()) << "a page was started";
    EXPECT_TRUE(end->texts.empty());
    EXPECT_EQ(job.state()->eventPageCount, 0);
    EXPECT_EQ(job.state()->coverPageMode, 0u);
    EXPECT_EQ(CountOf(testbed::ReadFileBytes(output), "%%Page:"), 3);
}

TEST_F(EndDocTest, FaxWithCoverPageDrawsOneMorePageThroughItsOwnEvents) {
    Fax(1);
    UseWatermarks(job.settings(), 1);
    PrintDocument(L"fax-cover", 3);
    const EventRecord *end = Outermost(endDocEvent, DOCUMENTEVENT_ENDDOC);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(end->result, DOCUMENTEVENT_SUCCESS);
    EXPECT_EQ(Codes(end->escapes), (std::vector<ULONG>{ESC_GET_PRIVATE_DEVMODE, ESC_GET_PUBLIC_DEVMODE,
                                                       ESC_GET_SHEETS, ESC_GET_PRIVATE_DEVMODE,
                                                       ESC_GET_PUBLIC_DEVMODE, ESC_SET_COVER_PAGE_MODE, PASSTHROUGH,
                                                       PASSTHROUGH, ESC_RESET_PAGES}));
    EXPECT_TRUE(SawText(end->texts, L"Ada Recipient"));
    EXPECT_TRUE(SawText(end->texts, L"Sam Sender"));

    // The cover page's StartPage and EndPage raised their events; its start
    // counted it and drew the watermark under it like on any page.
    std::vector<const EventRecord *> starts = NestedIn(endDocEvent, DOCUMENTEVENT_STARTPAGE);
    std::vector<const EventRecord *> ends = NestedIn(endDocEvent, DOCUMENTEVENT_ENDPAGE);
    ASSERT_EQ(starts.size(), 1u);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(starts[0]->texts, std::vector<std::wstring>{eventtest::kFirstText});
    EXPECT_EQ(starts[0]->escapes[1].code, ESC_NEXT_PAGE);
    EXPECT_EQ(starts[0]->escapes[1].reply, 4);

    EXPECT_EQ(job.state()->coverPageMode, 1u);
    EXPECT_EQ(job.state()->eventPageCount, 0);
    const std::string bytes = testbed::ReadFileBytes(output);
    EXPECT_EQ(CountOf(bytes, "%%Page:"), 4);
    EXPECT_EQ(CountOf(bytes, "statusdict begin true setcoverpage end"), 1);
    // The sheet count asked before the cover page began.
    EXPECT_EQ(CountOf(bytes, "{3 strPP cvs show} ifelse"), 1);
}

TEST_F(EndDocTest, OtherDestinationsGetNoCoverPage) {
    Fax(1);
    for (uint32_t destination : {DEST_PRINTER, DEST_FILE, DEST_CONFIDENTIAL}) {
        SCOPED_TRACE(destination);
        job.settings()->outputDestination = destination;
        PrintDocument(L"nofax", 1);
        EXPECT_TRUE(NestedIn(endDocEvent, DOCUMENTEVENT_STARTPAGE).empty());
        EXPECT_EQ(CountOf(testbed::ReadFileBytes(output), "%%Page:"), 1);
    }
}

}  // namespace
