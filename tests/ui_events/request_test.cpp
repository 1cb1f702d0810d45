// The escapes another component sends to the device context: the per-page
// watermark request, whose record is read only as far as the sender gave it,
// and escapes the handler lets pass.
#include "tests/ui_events/events_fixture.h"

#include <cstdint>

#include "tests/host/guarded_buffer.h"

using eventtest::Codes;
using eventtest::kFirstText;
using eventtest::kSecondText;
using eventtest::UseWatermarks;
using testbed::EventRecord;
using testbed::GuardedBuffer;

namespace {

constexpr int kRecordBytes = 92;

// The request record as its sender lays it out (a 32-bit layout).
void PutRequest(uint8_t *record, size_t size, int32_t page, uint32_t devmodeField, const RECT &rect, float scale) {
    uint8_t full[kRecordBytes];
    memset(full, 0x77, sizeof(full));
    memcpy(full + 20, &page, 4);
    memcpy(full + 36, &devmodeField, 4);
    memcpy(full + 40, &rect, 16);
    memcpy(full + 88, &scale, 4);
    memcpy(record, full, size < sizeof(full) ? size : sizeof(full));
}

class RequestTest : public eventtest::EventJobTest {
protected:
    void SetUp() override {
        EventJobTest::SetUp();
        UseWatermarks(job.settings(), 1, 0, /*viaEscape=*/1);
        output = OutputPath(L"request");
        ASSERT_GT(job.StartDocument(L"request", output), 0);
        ASSERT_GT(job.StartPage(), 0);
    }
    void TearDown() override {
        if (job.dc()) {
            job.EndPage();
            job.EndDoc();
        }
    }

    // The devmode field only has to be non-zero: it is never followed, in a
    // 32-bit process either, where 1 would be an address that faults.
    static uint32_t DevmodeField() { return 1; }

    // Sends the request with `size` bytes of record placed right against an
    // inaccessible page; returns the event it raised.
    const EventRecord *Request(int size, int32_t page, uint32_t devmodeField, const RECT &rect, float scale = 0.5f) {
        GuardedBuffer record(static_cast<size_t>(size));
        EXPECT_TRUE(record.ok());
        PutRequest(record.data(), record.size(), page, devmodeField, rect, scale);
        const size_t from = job.events.size();
        job.Escape(static_cast<int>(ESC_WATERMARK_REQUEST), size, record.data(), 0, nullptr);
        return Outermost(from, DOCUMENTEVENT_ESCAPE);
    }

    RECT LeftHalf() const {
        return RECT{0, 0, GetDeviceCaps(job.dc(), HORZRES) / 2, GetDeviceCaps(job.dc(), VERTRES)};
    }
};

TEST_F(RequestTest, ShortRecordsAreRefusedWithoutReadingPastThem) {
    // Each size ends before a field the handler reads; a read past the end
    // faults on the guard page.
    for (int size : {1, 4, 20, 24, 36, 40, 56, 88, kRecordBytes - 1}) {
        SCOPED_TRACE(size);
        const EventRecord *e = Request(size, 1, DevmodeField(), LeftHalf());
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->result, DOCUMENTEVENT_FAILURE);
        EXPECT_TRUE(e->texts.empty());
        EXPECT_EQ(Codes(e->escapes), std::vector<ULONG>{ESC_IS_MANUAL_DUPLEX});
    }
    // The whole record, and nothing after it, is enough.
    const EventRecord *e = Request(kRecordBytes, 1, DevmodeField(), LeftHalf());
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->result, DOCUMENTEVENT_SUCCESS);
    EXPECT_EQ(e->texts, std::vector<std::wstring>{kFirstText});
}

TEST_F(RequestTest, MissingInputOrDevmodeIsRefused) {
    const EventRecord *e = Request(kRecordBytes, 1, 0, LeftHalf());
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->result, DOCUMENTEVENT_FAILURE);
    EXPECT_TRUE(e->texts.empty());

    size_t from = job.events.size();
    job.Escape(static_cast<int>(ESC_WATERMARK_REQUEST), kRecordBytes, nullptr, 0, nullptr);
    e = Outermost(from, DOCUMENTEVENT_ESCAPE);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->result, DOCUMENTEVENT_FAILURE);

    // A negative size is no size.
    GuardedBuffer record(kRecordBytes);
    PutRequest(record.data(), kRecordBytes, 1, DevmodeField(), LeftHalf(), 1.0f);
    from = job.events.size();
    job.Escape(static_cast<int>(ESC_WATERMARK_REQUEST), -kRecordBytes, record.data(), 0, nullptr);
    e = Outermost(from, DOCUMENTEVENT_ESCAPE);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->result, DOCUMENTEVENT_FAILURE);
    EXPECT_TRUE(e->texts.empty());
}

TEST_F(RequestTest, RecordPageNumberChoosesTheWatermark) {
    struct Case {
        uint32_t order;
        int32_t page;
        const wchar_t *expected;
    };
    const Case cases[] = {
        {1, 4, kFirstText},   {2, 3, kFirstText},   {2, 4, kSecondText},  {2, -3, kFirstText},
        {2, 0, kSecondText},  {3, 1, kFirstText},   {3, 2, kSecondText},  {3, -1, kSecondText},
        {0, 1, kSecondText},  {5, 1, kSecondText},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "order " << c.order << " page " << c.page);
        job.settings()->watermarkOrder = c.order;
        const EventRecord *e = Request(kRecordBytes, c.page, DevmodeField(), LeftHalf());
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->result, DOCUMENTEVENT_SUCCESS);
        EXPECT_EQ(e->texts, std::vector<std::wstring>{c.expected});
    }
}

TEST_F(RequestTest, RequestsDrawOnlyWhenTheJobAsksForThem) {
    struct Case {
        const char *what;
        uint32_t enabled, viaEscape, duplexPass;
        int result;
        size_t escapes;
    };
    const Case cases[] = {
        {"watermarks off", 0, 1, 0, DOCUMENTEVENT_SUCCESS, 3},
        {"page events draw instead", 1, 0, 0, DOCUMENTEVENT_SUCCESS, 3},
        {"second pass of a manual duplex", 1, 1, 1, DOCUMENTEVENT_SUCCESS, 1},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        job.settings()->watermarksEnabled = c.enabled;
        job.settings()->watermarkViaEscape = c.viaEscape;
        job.state()->manualDuplexActive = c.duplexPass;
        const EventRecord *e = Request(kRecordBytes, 1, DevmodeField(), LeftHalf());
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->result, c.result);
        EXPECT_TRUE(e->texts.empty());
        EXPECT_EQ(e->escapes.size(), c.escapes);
        job.state()->manualDuplexActive = 0;
    }
}

TEST_F(RequestTest, RequestSendsFewEscapes) {
    const EventRecord *e = Request(kRecordBytes, 2, DevmodeField(), LeftHalf());
    ASSERT_NE(e, nullptr);
    // The job's devmode comes from the renderer, in a process of either width.
    const std::vector<ULONG> expected{ESC_IS_MANUAL_DUPLEX,   ESC_GET_PRIVATE_DEVMODE, ESC_GET_PRIVATE_DEVMODE,
                                      ESC_GET_JOB_TIME,       ESC_GET_PUBLIC_DEVMODE,  ESC_GET_PUBLIC_DEVMODE};
    EXPECT_EQ(Codes(e->escapes), expected);
}

TEST_F(RequestTest, OtherEscapesPassUntouched) {
    for (int code : {static_cast<int>(ESC_GET_PAGE), static_cast<int>(QUERYESCSUPPORT), 0x10016, 0x10018}) {
        SCOPED_TRACE(code);
        uint32_t asked = ESC_GET_PAGE;
        size_t from = job.events.size();
        job.Escape(code, sizeof(asked), &asked, 0, nullptr);
        const EventRecord *e = Outermost(from, DOCUMENTEVENT_ESCAPE);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->escapeCode, code);
        EXPECT_EQ(e->result, DOCUMENTEVENT_SUCCESS);
        EXPECT_TRUE(e->escapes.empty());
    }
}

}  // namespace
