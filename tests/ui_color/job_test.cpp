// From the page to the printer: colour settings chosen on the page and
// applied travel with the job's devmode, and a job printed through both
// plug-ins on the test printer carries them as PJL.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/host/gdi_events.h"
#include "tests/ui_color/color_fixture.h"

using namespace colortest;

namespace {

// What the renderer writes into the job where the driver reaches `index`.
std::string Injected(testbed::HostDevice &device, DWORD index) {
    const size_t before = device.host->core().Spooled().size();
    DWORD result = 0;
    device.host->plugin()->Command(device.dev(), index, nullptr, 0, &result);
    return device.host->core().Spooled().substr(before);
}

TEST_F(ColorSheet, JobCarriesTheColourSettingsAppliedOnThePage) {
    HWND page = Open({});
    ASSERT_NE(page, nullptr);
    Choose(page, IDC_COLOR_CORRECTION_MODE, L"Manual");
    ASSERT_TRUE(InDialog(page, IDC_COLOR_CONFIGURE_CORRECTION, [&](HWND dialog) {
        Choose(dialog, IDC_CORRECTION_RGB_IMAGES, L"sRGB Vivid");
        Choose(dialog, IDC_CORRECTION_RGB_TEXT, L"Vivid");
        Choose(dialog, IDC_CORRECTION_RGB_GRAPHICS, L"Off");
        Choose(dialog, IDC_CORRECTION_CMYK, L"Euro CMYK");
        testbed::Click(dialog, IDOK);
    }));
    Choose(page, IDC_COLOR_BALANCE_MODE, L"Manual");
    ASSERT_TRUE(InDialog(page, IDC_COLOR_CONFIGURE_BALANCE, [&](HWND dialog) {
        const int moves[][2] = {{IDC_BALANCE_CYAN, -5}, {IDC_BALANCE_MAGENTA, 2}, {IDC_BALANCE_BLACK, 4}};
        for (const auto &m : moves) SendDlgItemMessageW(dialog, m[0], TBM_SETPOS, TRUE, m[1]);
        testbed::Click(dialog, IDOK);
    }));
    Choose(page, IDC_COLOR_TONER_SAVING, L"On");
    ASSERT_TRUE(sheet_.Apply());
    Destroy();

    // The application prints with the devmode the sheet left.
    testbed::GdiJob job;
    std::wstring error;
    ASSERT_TRUE(job.Start(&error)) << uitest::Narrow(error);
    std::memcpy(job.settings(), host_.privateDevmode, sizeof(PrivateDevmode));
    testbed::HostDevice *device = job.renderDevice();
    ASSERT_NE(device, nullptr);
    ASSERT_GT(job.StartDocument(L"Colour job", testbed::ScratchDir(L"uicolor-job") + L"\\job.ps"), 0);
    // Inside StartDoc the driver reaches the stream's first two points.
    const std::string pjl = Injected(*device, PSINJECT_BEGINSTREAM) + Injected(*device, PSINJECT_PSADOBE);
    ASSERT_GT(job.StartPage(), 0);
    ASSERT_GT(job.EndPage(), 0);
    ASSERT_GT(job.EndDoc(), 0);
    EXPECT_NE(pjl.find("@PJL SET XCOLORCORRECTION = MANUAL\n"
                       "@PJL SET XMANUALCOLORRGBTEXT = VIVID\n"
                       "@PJL SET XMANUALCOLORRGBGRAPHICS = OFF\n"
                       "@PJL SET XMANUALCOLORRGBIMAGE = SRGBVIVID\n"
                       "@PJL SET XMANUALCOLORCMYKTEXT = EUROCMYK\n"
                       "@PJL SET XMANUALCOLORCMYKGRAPHICS = EUROCMYK\n"
                       "@PJL SET XMANUALCOLORCMYKIMAGE = EUROCMYK\n"
                       "@PJL SET XCOLORBALANCECYAN = -5\n"
                       "@PJL SET XCOLORBALANCEMAGENTA = 2\n"
                       "@PJL SET XCOLORBALANCEYELLOW = 0\n"
                       "@PJL SET XCOLORBALANCEBLACK = 4\n"
                       "@PJL SET XCOLORTHRIFT = ON\n"),
              std::string::npos)
        << pjl;
    EXPECT_EQ(pjl.find("@PJL JOB"), 9u) << "the stream opens with the job, after the universal exit";
}

}  // namespace
