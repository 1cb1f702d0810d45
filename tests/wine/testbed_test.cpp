// The test bed itself: a real PostScript device context whose output
// Ghostscript turns into pixels where GDI drew them.
#include <gtest/gtest.h>

#include "tests/host/wine_printer.h"

using namespace testbed;

TEST(TestBed, PrinterDcPrintsPixelsWhereGdiDrew) {
    std::wstring error;
    ASSERT_TRUE(EnsurePrinter(&error)) << std::string(error.begin(), error.end());
    HDC dc = CreatePrinterDc();
    ASSERT_NE(dc, nullptr);
    int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    int physX = GetDeviceCaps(dc, PHYSICALOFFSETX), physY = GetDeviceCaps(dc, PHYSICALOFFSETY);
    EXPECT_EQ(dpi, 300);
    std::wstring out = ScratchDir(L"testbed") + L"\\job.ps";
    DOCINFOW di{sizeof(di), L"testbed", out.c_str(), nullptr, 0};
    ASSERT_GT(StartDocW(dc, &di), 0);
    ASSERT_GT(StartPage(dc), 0);
    HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RECT r{600, 900, 900, 1200};
    FillRect(dc, &r, black);
    ASSERT_GT(EndPage(dc), 0);
    ASSERT_GT(EndDoc(dc), 0);
    DeleteDC(dc);

    std::vector<Picture> pages;
    ASSERT_TRUE(RenderPostScript(out, 300, &pages, &error)) << std::string(error.begin(), error.end());
    ASSERT_EQ(pages.size(), 1u);
    RECT ink{};
    ASSERT_TRUE(InkBox(pages[0], &ink));
    // Device coordinates are relative to the printable area's origin.
    EXPECT_NEAR(ink.left, 600 + physX, 3);
    EXPECT_NEAR(ink.top, 900 + physY, 3);
    EXPECT_NEAR(ink.right, 899 + physX, 3);
    EXPECT_NEAR(ink.bottom, 1199 + physY, 3);
}
