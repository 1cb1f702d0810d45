// From the page to the printer: a confidential job set on the page and
// applied, printed through both plug-ins, carries the hold lines with what
// the user entered.
#include "tests/ui_output/output_fixture.h"

#include <winddiui.h>

#include <cstring>

#include "tests/host/gdi_events.h"

using namespace outputtest;

namespace {

class OutputJob : public OutputPageTest {};

TEST_F(OutputJob, ConfidentialJobSetOnThePageCarriesItsHoldLines) {
    ASSERT_NE(Open(), nullptr);
    EnterConfidentialJob(L"jdoe", L"4321");
    if (!Checked(IDC_OUT_KEEP)) Click(IDC_OUT_KEEP);
    ASSERT_TRUE(Apply());
    Close();

    testbed::GdiJobOptions options;
    options.printer = OutputPrinter();
    testbed::GdiJob job(options);
    std::wstring error;
    ASSERT_TRUE(job.Start(&error)) << uitest::Narrow(error);
    testbed::HostDevice *device = job.renderDevice();
    ASSERT_NE(device, nullptr);
    device->host->core().SetFeature("HasKeepPreviousPHJobs", {"True", "False"}, "True");
    std::memcpy(job.settings(), &Job(), sizeof(PrivateDevmode));  // the devmode the sheet applied to

    ASSERT_GT(job.StartDocument(L"Held", testbed::ScratchDir(L"uio-held") + L"\\job.ps"), 0);
    // The driver's points at the start of the stream, as it reaches them.
    device->host->core().ClearSpooled();
    for (DWORD index : {PSINJECT_BEGINSTREAM, PSINJECT_PSADOBE}) {
        DWORD result = 0;
        device->host->plugin()->Command(device->dev(), index, nullptr, 0, &result);
    }
    const std::string stream = device->host->core().Spooled();
    ASSERT_GT(job.StartPage(), 0);
    ASSERT_GT(job.EndPage(), 0);
    ASSERT_GT(job.EndDoc(), 0);

    size_t at = 0;
    for (const char *line : {"@PJL SET USERNAME = \"jdoe\"\n", "@PJL SET HOLD = ON\n", "@PJL SET HOLDTYPE = PRIVATE\n",
                             "@PJL SET HOLDKEY = \"4321\"\n", "@PJL SET XDUPLICATEHELDJOBS = SAVE\n"}) {
        at = stream.find(line, at);
        ASSERT_NE(at, std::string::npos) << line << "in:\n" << stream;
    }
}

}  // namespace
