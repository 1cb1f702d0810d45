// Whole jobs: the driver's PostScript with the plug-in's PJL and PostScript
// at every injection point, passed through the plug-in's WritePrinter to the
// spooler, and printed by Ghostscript the way a printer would take them.
#include <gtest/gtest.h>

#include <iostream>
#include <memory>

#include "tests/host/job_driver.h"
#include "tests/render_job/plugin_fixture.h"

using namespace testbed;

namespace {

constexpr int kDpi = 36;

class WholeJob : public PluginFixture {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(PluginFixture::SetUp());
        driver = std::make_unique<JobDriver>(host, host.device());
    }

    // Runs a job of `pages` pages and prints its job file.
    void Print(const JobSetup &setup, int pages, std::vector<Picture> *out) {
        std::wstring error;
        ASSERT_TRUE(job().Run(setup, pages, &error)) << Narrow(error);
        ASSERT_TRUE(RenderPostScript(job().jobFile(), kDpi, out, &error)) << Narrow(error);
    }
    // Dark pixels in a square of the page picture around (x, y) in points
    // from the lower left corner.
    static bool InkAround(const Picture &p, int x, int y) {
        int cx = x * kDpi / 72, cy = p.height - y * kDpi / 72;
        for (int dy = -3; dy <= 3; ++dy)
            for (int dx = -3; dx <= 3; ++dx) {
                int px = cx + dx, py = cy + dy;
                if (px < 0 || py < 0 || px >= p.width || py >= p.height) continue;
                const uint8_t *c = p.At(px, py);
                if (c[0] + c[1] + c[2] < 3 * 100) return true;
            }
        return false;
    }
    size_t PluginBytesPerPage() const {
        size_t total = 0;
        for (int page = 1; page <= job().pagesBegun(); ++page) total += job().PageText(page).size();
        return job().pagesBegun() ? total / job().pagesBegun() : 0;
    }

    JobDriver &job() { return *driver; }
    const JobDriver &job() const { return *driver; }

    std::unique_ptr<JobDriver> driver;  // made once the host has its device
};

size_t Count(const std::string &text, const std::string &what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST_F(WholeJob, PlainJobPrintsEveryPageAndReachesTheSpoolerUnchanged) {
    std::vector<Picture> pages;
    ASSERT_NO_FATAL_FAILURE(Print(JobSetup{}, 3, &pages));
    ASSERT_EQ(pages.size(), 3u);
    for (const Picture &p : pages) EXPECT_TRUE(InkAround(p, 72, 72));

    const std::string &stream = job().stream();
    EXPECT_EQ(ReadFileBytes(job().jobFile()), stream);
    EXPECT_EQ(job().probeAnswer, S_OK);
    for (HRESULT hr : job().writeAnswers) EXPECT_EQ(hr, S_OK);
    EXPECT_EQ(job().bytesWritten(), stream.size());

    // PJL first, the language switch right before the PostScript header, and
    // the plug-in's page comments in place of the driver's.
    EXPECT_EQ(stream.compare(0, 17, "\x1b%-12345X@PJL JOB"), 0);
    EXPECT_NE(stream.find("@PJL ENTER LANGUAGE = Postscript \n%!PS-Adobe-3.0\n"), std::string::npos);
    EXPECT_NE(stream.find("%%Corvane PS System Driver Version:  3.0\n%%EndComments\n"), std::string::npos);
    for (int n = 1; n <= 3; ++n) {
        std::string comment = "%%Page: " + std::to_string(n) + " " + std::to_string(n) + "\n";
        EXPECT_EQ(Count(stream, comment), 1u) << comment;
    }
    const std::string end = "%%EOF\n\x1b%-12345X@PJL RDYMSG DISPLAY = \"\"\n\x1b%-12345X@PJL EOJ\n\x1b%-12345X";
    ASSERT_GE(stream.size(), end.size());
    EXPECT_EQ(stream.substr(stream.size() - end.size()), end);
    size_t perJob = 0;
    for (const InjectionCall &call : job().calls())
        if (call.page == 0) perJob += call.text.size();
    std::cout << "[ measured ] plain job: the plug-in adds " << PluginBytesPerPage() << " bytes per page and "
              << perJob << " per job\n";
}

TEST_F(WholeJob, ConfidentialJobPrints) {
    dm().outputDestination = DEST_CONFIDENTIAL;
    SetWide(dm().holdUserName, 25, L"alice");
    SetWide(dm().holdPin, 5, L"2468");
    dm().color.correction = 2;
    std::vector<Picture> pages;
    ASSERT_NO_FATAL_FAILURE(Print(JobSetup{}, 2, &pages));
    EXPECT_EQ(pages.size(), 2u);
    EXPECT_NE(job().stream().find("@PJL SET HOLDKEY = \"2468\"\n"), std::string::npos);
}

TEST_F(WholeJob, RotatedPagesTurnTheirMarkToTheOppositeCorner) {
    dm().rotate180 = 1;
    std::vector<Picture> pages;
    ASSERT_NO_FATAL_FAILURE(Print(JobSetup{}, 2, &pages));
    ASSERT_EQ(pages.size(), 2u);
    for (const Picture &p : pages) {
        EXPECT_FALSE(InkAround(p, 72, 72));
        EXPECT_TRUE(InkAround(p, 612 - 72, 792 - 72));
    }
}

TEST_F(WholeJob, FaxWithCoverPagePrintsTheCoverPageByItself) {
    dm().outputDestination = DEST_FAX;
    dm().fax.sendCoverPage = 1;
    SetWide(dm().fax.recipientFaxNumber, 128, L"030 1234");
    std::wstring error;
    ASSERT_TRUE(job().StartDoc(JobSetup{}, &error)) << Narrow(error);
    job().Page();
    job().Page();
    // The document's end: the cover page is drawn in cover-page mode.
    state().coverPageMode = 1;
    job().Page();
    state().coverPageMode = 0;
    ASSERT_TRUE(job().EndDoc(&error)) << Narrow(error);
    EXPECT_EQ(Count(job().PageText(3), "/definenup {pop pop pop pop pop pop} def\n"), 2u);
    std::vector<Picture> pages;
    ASSERT_TRUE(RenderPostScript(job().jobFile(), kDpi, &pages, &error)) << Narrow(error);
    EXPECT_EQ(pages.size(), 3u);
}

TEST_F(WholeJob, ManualDuplexNupJobsPrint) {
    for (int perSheet : {2, 4}) {
        SCOPED_TRACE(perSheet);
        EnableManualDuplex(perSheet);
        state().psPageCount = 0;
        JobDriver nup(host, host.device());
        JobSetup setup;
        setup.pagesPerSheet = perSheet;
        std::wstring error;
        ASSERT_TRUE(nup.Run(setup, 2 * perSheet + 1, &error)) << Narrow(error);
        std::vector<Picture> pages;
        ASSERT_TRUE(RenderPostScript(nup.jobFile(), kDpi, &pages, &error)) << Narrow(error);
        EXPECT_GE(pages.size(), 3u);
        EXPECT_EQ(Count(nup.stream(), "/finalpage {; realshowpage/LH/realshowpage ld} def\n"), 3u);
        std::cout << "[ measured ] manual duplex, " << perSheet << " pages per sheet, bytes the plug-in adds per page:";
        for (int page = 1; page <= nup.pagesBegun(); ++page) std::cout << " " << nup.PageText(page).size();
        std::cout << "\n";
    }
}

TEST_F(WholeJob, CoverPageOnTheFirstSlotOfASheetUnderManualDuplexNupPrints) {
    EnableManualDuplex(2);
    dm().outputDestination = DEST_FAX;
    dm().fax.sendCoverPage = 1;
    JobSetup setup;
    setup.pagesPerSheet = 2;
    std::wstring error;
    ASSERT_TRUE(job().StartDoc(setup, &error)) << Narrow(error);
    job().Page();
    job().Page();
    state().coverPageMode = 1;
    job().Page();  // page 3: the first slot of a new sheet
    ASSERT_TRUE(job().EndDoc(&error)) << Narrow(error);
    std::vector<Picture> pages;
    ASSERT_TRUE(RenderPostScript(job().jobFile(), kDpi, &pages, &error)) << Narrow(error);
}

TEST_F(WholeJob, FileDestinationTakesTheWholeJobAndTheSpoolerNothing) {
    std::wstring file = ScratchDir(L"filedest") + L"\\out.prn";
    dm().outputDestination = DEST_FILE;
    SetWide(dm().outputFilePath, 512, file);
    std::wstring error;
    ASSERT_TRUE(job().Run(JobSetup{}, 2, &error)) << Narrow(error);
    EXPECT_EQ(ReadFileBytes(file), job().stream());
    EXPECT_EQ(ReadFileBytes(job().jobFile()), "");
    std::vector<Picture> pages;
    ASSERT_TRUE(RenderPostScript(file, kDpi, &pages, &error)) << Narrow(error);
    EXPECT_EQ(pages.size(), 2u);
}
