// A job on the test printer with both plug-ins, driven through GDI's document
// events, and ways to read back what uiplug did during each event.
#pragma once

#include <windows.h>
#include <winddiui.h>

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <functional>
#include <string>
#include <vector>

#include "platform/escape_codes.h"
#include "settings/private_devmode.h"
#include "tests/host/gdi_events.h"
#include "tests/host/render_host.h"

namespace eventtest {

constexpr wchar_t kFirstText[] = L"FIRST MARK";
constexpr wchar_t kSecondText[] = L"SECOND MARK";

inline WatermarkRecord Mark(const wchar_t *text, uint32_t position = WM_POS_CENTER) {
    WatermarkRecord wm;
    std::memset(&wm, 0, sizeof(wm));
    MakeDefaultWatermark(&wm);
    wcsncpy(wm.text, text, 127);
    wcsncpy(wm.name, text, 127);
    wm.position = position;
    wm.pointSize = 48;
    return wm;
}

// Watermarks on, the two marks in place; order and placement as given.
inline void UseWatermarks(PrivateDevmode *s, uint32_t order, uint32_t overPage = 0, uint32_t viaEscape = 0) {
    s->watermarksEnabled = 1;
    s->watermarkOrder = order;
    s->watermarkOverPage = overPage;
    s->watermarkViaEscape = viaEscape;
    s->watermarks[0] = Mark(kFirstText);
    s->watermarks[1] = Mark(kSecondText);
}

// What uiplug drew while handling the application's own page events.
struct PageMarks {
    std::vector<std::wstring> atStart;
    std::vector<std::wstring> atEnd;
};

class EventJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::wstring error;
        ASSERT_TRUE(job.Start(&error)) << testbed::Narrow(error);
        ASSERT_NE(job.settings(), nullptr);
    }

    std::wstring OutputPath(const wchar_t *name) { return testbed::ScratchDir(name) + L"\\job.ps"; }

    // Prints a document of `pages` pages; `drawPage` is the application's
    // drawing of page n (1-based). Returns the marks of each page.
    std::vector<PageMarks> PrintDocument(const wchar_t *name, int pages,
                                         const std::function<void(HDC, int)> &drawPage = {}) {
        output = OutputPath(name);
        DeleteFileW(output.c_str());
        std::vector<PageMarks> marks;
        EXPECT_GT(job.StartDocument(name, output), 0);
        for (int page = 1; page <= pages; ++page) {
            PageMarks m;
            size_t first = job.events.size();
            EXPECT_GT(job.StartPage(), 0);
            m.atStart = TextsOfOutermost(first, DOCUMENTEVENT_STARTPAGE);
            if (drawPage) drawPage(job.dc(), page);
            first = job.events.size();
            EXPECT_GT(job.EndPage(), 0);
            m.atEnd = TextsOfOutermost(first, DOCUMENTEVENT_ENDPAGE);
            marks.push_back(m);
        }
        endDocEvent = job.events.size();
        EXPECT_GT(job.EndDoc(), 0);
        return marks;
    }

    std::vector<std::wstring> TextsOfOutermost(size_t from, int iEsc) {
        for (size_t i = from; i < job.events.size(); ++i)
            if (job.events[i].depth == 1 && job.events[i].iEsc == iEsc) return job.events[i].texts;
        ADD_FAILURE() << "no event " << iEsc << " raised";
        return {};
    }

    // The first event of kind `iEsc` raised by the application from index `from` on.
    const testbed::EventRecord *Outermost(size_t from, int iEsc) {
        for (size_t i = from; i < job.events.size(); ++i)
            if (job.events[i].depth == 1 && job.events[i].iEsc == iEsc) return &job.events[i];
        return nullptr;
    }

    testbed::GdiJob job;
    std::wstring output;
    size_t endDocEvent = 0;
};

inline std::vector<ULONG> Codes(const std::vector<testbed::SentEscape> &sent) {
    std::vector<ULONG> codes;
    for (const testbed::SentEscape &e : sent) codes.push_back(e.code);
    return codes;
}

}  // namespace eventtest
