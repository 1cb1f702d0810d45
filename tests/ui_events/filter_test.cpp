// What uiplug asks GDI for: the event filter, and the answers to calls it
// does not take part in.
#include <gtest/gtest.h>

#include <windows.h>
#include <winddiui.h>

#include <vector>

#include "tests/host/render_host.h"
#include "tests/host/ui_host.h"

namespace {

class FilterTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::wstring error;
        ASSERT_TRUE(host.Create(&error)) << testbed::Narrow(error);
        ASSERT_HRESULT_SUCCEEDED(host.Publish());
    }

    // A filter block with room for `room` events, every slot and count
    // pre-set to a marker so that untouched fields show.
    static std::vector<BYTE> Block(UINT room) {
        std::vector<BYTE> block(offsetof(DOCEVENT_FILTER, aDocEventCall) + (room + 2) * sizeof(DWORD), 0xCD);
        auto *f = reinterpret_cast<DOCEVENT_FILTER *>(block.data());
        f->cbSize = static_cast<UINT>(offsetof(DOCEVENT_FILTER, aDocEventCall) + room * sizeof(DWORD));
        f->cElementsAllocated = room;
        return block;
    }
    static std::vector<DWORD> Slots(const std::vector<BYTE> &block, UINT count) {
        const auto *list = reinterpret_cast<const DWORD *>(block.data() + offsetof(DOCEVENT_FILTER, aDocEventCall));
        return std::vector<DWORD>(list, list + count);
    }

    // Asks with room for `room` events; the filter as the plug-in left it.
    const DOCEVENT_FILTER &AskWithRoom(UINT room) {
        block = Block(room);
        int result = 0;
        EXPECT_HRESULT_SUCCEEDED(host.plugin->DocumentEvent(nullptr, nullptr, DOCUMENTEVENT_QUERYFILTER, 0, nullptr,
                                                            static_cast<ULONG>(block.size()), block.data(), &result));
        EXPECT_EQ(result, DOCUMENTEVENT_SUCCESS);
        return *reinterpret_cast<const DOCEVENT_FILTER *>(block.data());
    }

    testbed::UiPluginHost host;
    std::vector<BYTE> block;
};

TEST_F(FilterTest, ShortListGetsOnlyTheCountNeeded) {
    for (UINT room : {0u, 1u, 3u}) {
        SCOPED_TRACE(room);
        const DOCEVENT_FILTER &f = AskWithRoom(room);
        EXPECT_EQ(f.cElementsNeeded, 4u);
        EXPECT_EQ(f.cElementsReturned, 0u);
        EXPECT_EQ(Slots(block, room + 2), std::vector<DWORD>(room + 2, 0xCDCDCDCD)) << "no list written";
    }
}

TEST_F(FilterTest, RoomyListGetsExactlyTheFourEventsInOrder) {
    const std::vector<DWORD> expected{DOCUMENTEVENT_STARTPAGE, DOCUMENTEVENT_ENDDOC, DOCUMENTEVENT_ENDPAGE,
                                      DOCUMENTEVENT_ESCAPE};
    for (UINT room : {4u, 5u, 15u}) {
        SCOPED_TRACE(room);
        const DOCEVENT_FILTER &f = AskWithRoom(room);
        EXPECT_EQ(f.cElementsReturned, 4u);
        std::vector<DWORD> slots = Slots(block, room + 2);
        EXPECT_EQ(std::vector<DWORD>(slots.begin(), slots.begin() + 4), expected);
        EXPECT_EQ(std::vector<DWORD>(slots.begin() + 4, slots.end()), std::vector<DWORD>(room - 2, 0xCDCDCDCD))
            << "nothing written past the four events";
    }
}

TEST_F(FilterTest, MissingBlocksAndResultsAreRefused) {
    int result = 0;
    EXPECT_HRESULT_SUCCEEDED(
        host.plugin->DocumentEvent(nullptr, nullptr, DOCUMENTEVENT_QUERYFILTER, 0, nullptr, 0, nullptr, &result));
    EXPECT_EQ(result, DOCUMENTEVENT_FAILURE);

    block = Block(4);
    EXPECT_EQ(host.plugin->DocumentEvent(nullptr, nullptr, DOCUMENTEVENT_QUERYFILTER, 0, nullptr,
                                         static_cast<ULONG>(block.size()), block.data(), nullptr),
              E_FAIL);
    EXPECT_EQ(Slots(block, 4), std::vector<DWORD>(4, 0xCDCDCDCD));

    // An escape event without its block, and events the plug-in has no part in.
    result = 0;
    EXPECT_HRESULT_SUCCEEDED(
        host.plugin->DocumentEvent(nullptr, nullptr, DOCUMENTEVENT_ESCAPE, 0, nullptr, 0, nullptr, &result));
    EXPECT_EQ(result, DOCUMENTEVENT_FAILURE);
    for (int other : {DOCUMENTEVENT_CREATEDCPRE, DOCUMENTEVENT_STARTDOC, DOCUMENTEVENT_ABORTDOC,
                      DOCUMENTEVENT_DELETEDC, DOCUMENTEVENT_ENDDOCPOST, 99}) {
        result = 0;
        EXPECT_HRESULT_SUCCEEDED(host.plugin->DocumentEvent(nullptr, nullptr, other, 0, nullptr, 0, nullptr, &result));
        EXPECT_EQ(result, DOCUMENTEVENT_SUCCESS) << other;
    }
}

}  // namespace
