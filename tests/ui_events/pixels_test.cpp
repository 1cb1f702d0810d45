// Watermarks printed through the document events on the PostScript test
// printer and rendered by Ghostscript: on the right pages, under or over the
// page's content, and inside the logical page a request names.
#include "tests/ui_events/events_fixture.h"

#include "platform/raii.h"
#include "tests/host/wine_printer.h"

using eventtest::Mark;
using eventtest::UseWatermarks;
using testbed::Picture;

namespace {

constexpr int kDpi = 100;

std::wstring ArtifactPrefix(const wchar_t *name) {
    std::wstring dir = testbed::ProgramDirFile(L"..\\artifacts");
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir + L"\\" + name;
}

bool IsInk(const uint8_t *px) { return px[0] + px[1] + px[2] < 3 * 160; }
bool IsRed(const uint8_t *px) { return px[0] > 200 && px[1] < 90 && px[2] < 90; }

// Pixels of `page` inside the fraction [x0,x1) x [y0,y1) of the page that pass `test`.
long Count(const Picture &page, double x0, double y0, double x1, double y1, bool (*test)(const uint8_t *)) {
    long n = 0;
    for (int y = static_cast<int>(y0 * page.height); y < static_cast<int>(y1 * page.height); ++y)
        for (int x = static_cast<int>(x0 * page.width); x < static_cast<int>(x1 * page.width); ++x)
            if (test(page.At(x, y))) ++n;
    return n;
}

// The part [x0,x1) x [y0,y1) of the page, as fractions of its size.
Picture Crop(const Picture &page, double x0, double y0, double x1, double y1) {
    Picture part;
    const int left = static_cast<int>(x0 * page.width), top = static_cast<int>(y0 * page.height);
    part.width = static_cast<int>(x1 * page.width) - left;
    part.height = static_cast<int>(y1 * page.height) - top;
    for (int y = 0; y < part.height; ++y)
        part.rgb.insert(part.rgb.end(), page.At(left, top + y), page.At(left, top + y) + part.width * 3);
    return part;
}

class PixelsTest : public eventtest::EventJobTest {
protected:
    // A watermark request for logical page `page` at `half` of the sheet,
    // at half size. Its devmode field is 1: never an address to read.
    void SendRequest(int32_t page, const RECT &half) {
        const uint32_t devmodeField = 1;
        const float scale = 0.5f;
        uint8_t record[92];
        memset(record, 0, sizeof(record));
        memcpy(record + 20, &page, 4);
        memcpy(record + 36, &devmodeField, 4);
        memcpy(record + 40, &half, sizeof(half));
        memcpy(record + 88, &scale, 4);
        job.Escape(static_cast<int>(ESC_WATERMARK_REQUEST), sizeof(record), record, 0, nullptr);
    }

    std::vector<Picture> Render(const wchar_t *name) {
        std::vector<Picture> pages;
        std::wstring error;
        EXPECT_TRUE(testbed::RenderPostScript(output, kDpi, &pages, &error, ArtifactPrefix(name)))
            << testbed::Narrow(error);
        return pages;
    }
};

// A small mark in the middle of the page stands for the application's content.
void DrawCentreMark(HDC dc, int) {
    const int w = GetDeviceCaps(dc, HORZRES), h = GetDeviceCaps(dc, VERTRES);
    unique_hbrush brush(CreateSolidBrush(RGB(0, 0, 0)));
    RECT r{w / 2 - w / 40, h / 2 - h / 40, w / 2 + w / 40, h / 2 + h / 40};
    FillRect(dc, &r, brush.get());
}

TEST_F(PixelsTest, FirstPageAndOtherPagesGetTheirOwnWatermark) {
    UseWatermarks(job.settings(), 3);
    job.settings()->watermarks[0] = Mark(L"ALPHA", WM_POS_TOP_LEFT);
    job.settings()->watermarks[1] = Mark(L"OMEGA", WM_POS_BOTTOM_RIGHT);
    PrintDocument(L"pixels-order", 3, DrawCentreMark);
    std::vector<Picture> pages = Render(L"events-order");
    ASSERT_EQ(pages.size(), 3u);
    for (size_t i = 0; i < pages.size(); ++i) {
        SCOPED_TRACE(i + 1);
        const long topLeft = Count(pages[i], 0, 0, 1.0 / 3, 1.0 / 3, IsInk);
        const long bottomRight = Count(pages[i], 2.0 / 3, 2.0 / 3, 1, 1, IsInk);
        EXPECT_GT(Count(pages[i], 0.45, 0.45, 0.55, 0.55, IsInk), 0) << "the page's own content is missing";
        if (i == 0) {
            EXPECT_GT(topLeft, 200);
            EXPECT_EQ(bottomRight, 0);
        } else {
            EXPECT_EQ(topLeft, 0);
            EXPECT_GT(bottomRight, 200);
        }
    }
}

// The page is painted black where the watermark goes: drawn before the
// content it disappears; drawn after it, its red shows on the black.
TEST_F(PixelsTest, UnderTheContentIsHiddenOverItIsSeen) {
    auto blackPage = [](HDC dc, int) {
        unique_hbrush brush(CreateSolidBrush(RGB(0, 0, 0)));
        RECT r{0, 0, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
        FillRect(dc, &r, brush.get());
    };
    for (uint32_t over : {0u, 1u}) {
        SCOPED_TRACE(over);
        UseWatermarks(job.settings(), 1, over);
        WatermarkRecord &wm = job.settings()->watermarks[0];
        wm.color[0] = 255;
        wm.color[1] = 0;
        wm.color[2] = 0;
        PrintDocument(over ? L"pixels-over" : L"pixels-under", 1, blackPage);
        std::vector<Picture> pages = Render(over ? L"events-over" : L"events-under");
        ASSERT_EQ(pages.size(), 1u);
        EXPECT_GT(Count(pages[0], 0.3, 0.3, 0.7, 0.7, IsInk), 0);
        const long red = Count(pages[0], 0, 0, 1, 1, IsRed);
        if (over) {
            EXPECT_GT(red, 200);
        } else {
            EXPECT_EQ(red, 0);
        }
    }
}

// Two logical pages side by side on one sheet. The sender maps the device
// context onto each logical page before its request; the watermark is
// centred in the page the record's rectangle measures, at the record's scale.
TEST_F(PixelsTest, RequestsDrawEachLogicalPagesWatermark) {
    UseWatermarks(job.settings(), 2, 0, /*viaEscape=*/1);
    output = OutputPath(L"pixels-request");
    ASSERT_GT(job.StartDocument(L"pixels-request", output), 0);
    ASSERT_GT(job.StartPage(), 0);
    const int w = GetDeviceCaps(job.dc(), HORZRES), h = GetDeviceCaps(job.dc(), VERTRES);
    for (int32_t page = 1; page <= 2; ++page) {
        const RECT half{page == 1 ? 0 : w / 2, 0, page == 1 ? w / 2 : w, h};
        SetViewportOrgEx(job.dc(), half.left, 0, nullptr);
        SendRequest(page, half);
    }
    SetViewportOrgEx(job.dc(), 0, 0, nullptr);
    ASSERT_GT(job.EndPage(), 0);
    ASSERT_GT(job.EndDoc(), 0);

    std::vector<Picture> pages = Render(L"events-request");
    ASSERT_EQ(pages.size(), 1u);
    const Picture &p = pages[0];
    for (int half = 0; half < 2; ++half) {
        SCOPED_TRACE(half);
        const Picture part = Crop(p, half * 0.5, 0, half * 0.5 + 0.5, 1);
        RECT box{};
        ASSERT_TRUE(testbed::InkBox(part, &box, 160));
        EXPECT_NEAR((box.left + box.right) / 2.0, part.width * 0.5, p.width * 0.05);
        EXPECT_NEAR((box.top + box.bottom) / 2.0, p.height * 0.5, p.height * 0.05);
        // Half of the watermark's 48 points, at the rendering's resolution.
        EXPECT_LT(box.bottom - box.top, 48 * kDpi / 72 * 3 / 4);
        EXPECT_GT(box.bottom - box.top, 24 * kDpi / 72 / 2);
    }
}

// The request's devmode is the renderer's copy of the job's: the job's scale
// there sizes each request's watermark.
TEST_F(PixelsTest, RequestsDrawWithTheRenderersDevmode) {
    UseWatermarks(job.settings(), 1, 0, /*viaEscape=*/1);
    output = OutputPath(L"pixels-request-devmode");
    ASSERT_GT(job.StartDocument(L"pixels-request-devmode", output), 0);
    ASSERT_GT(job.StartPage(), 0);
    const int w = GetDeviceCaps(job.dc(), HORZRES), h = GetDeviceCaps(job.dc(), VERTRES);
    const short scales[] = {100, 50};
    for (int half = 0; half < 2; ++half) {
        job.publicDevmode()->dmScale = scales[half];
        const RECT part{half * w / 2, 0, (half + 1) * w / 2, h};
        SetViewportOrgEx(job.dc(), part.left, 0, nullptr);
        SendRequest(1, part);
    }
    job.publicDevmode()->dmScale = 100;
    SetViewportOrgEx(job.dc(), 0, 0, nullptr);
    ASSERT_GT(job.EndPage(), 0);
    ASSERT_GT(job.EndDoc(), 0);

    std::vector<Picture> pages = Render(L"events-request-devmode");
    ASSERT_EQ(pages.size(), 1u);
    RECT full{}, halved{};
    ASSERT_TRUE(testbed::InkBox(Crop(pages[0], 0, 0, 0.5, 1), &full, 160));
    ASSERT_TRUE(testbed::InkBox(Crop(pages[0], 0.5, 0, 1, 1), &halved, 160));
    const double ratio = static_cast<double>(halved.bottom - halved.top) / (full.bottom - full.top);
    EXPECT_NEAR(ratio, 0.5, 0.15);
}

}  // namespace
