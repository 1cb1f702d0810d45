// From the page to the printer: a confidential job set on the page and
// applied is printed through both plug-ins, and the job stream carries the
// hold lines with the user name and PIN the user entered.
#include "tests/ui_output/output_fixture.h"

#include <winddiui.h>

#include <cstring>

#include "platform/escape_codes.h"
#include "tests/host/fake_core_ps.h"
#include "tests/host/gdi_events.h"
#include "tests/host/render_host.h"

using namespace outputtest;

namespace {

// The renderer's device behind the job's device context, which the job
// keeps to itself: the renderer hands its DEVOBJ to the driver's helper with
// every query, and a host DEVOBJ leads to its device.
testbed::HostDevice *RenderDevice(testbed::GdiJob &job) {
    DeviceState *state = job.state();
    if (!state || !state->coreHelper) return nullptr;
    auto *core = static_cast<testbed::FakeCorePs *>(state->coreHelper);
    core->lastDevobj = nullptr;
    job.Escape(static_cast<int>(ESC_HAS_MANUAL_DUPLEX), 0, nullptr, 0, nullptr);
    if (!core->lastDevobj) return nullptr;
    return reinterpret_cast<const testbed::DeviceLink *>(core->lastDevobj)->owner;
}

// What the renderer writes at the driver's points at the start of the job.
std::string StartOfStream(testbed::HostDevice &device) {
    testbed::FakeCorePs &core = device.host->core();
    core.ClearSpooled();
    for (DWORD index : {PSINJECT_BEGINSTREAM, PSINJECT_PSADOBE}) {
        DWORD result = 0;
        device.host->plugin()->Command(device.dev(), index, nullptr, 0, &result);
    }
    return core.Spooled();
}

class OutputJob : public OutputPageTest {};

TEST_F(OutputJob, ConfidentialJobSetOnThePageCarriesItsHoldLines) {
    ASSERT_NE(Open(), nullptr);
    EnterConfidentialJob(L"jdoe", L"4321");
    if (!Checked(IDC_OUT_KEEP)) Click(IDC_OUT_KEEP);
    ASSERT_TRUE(Apply());
    Close();
    ASSERT_EQ(Job().outputDestination, DEST_CONFIDENTIAL);

    testbed::GdiJobOptions options;
    options.printer = OutputPrinter();
    testbed::GdiJob job(options);
    std::wstring error;
    ASSERT_TRUE(job.Start(&error)) << uitest::Narrow(error);
    testbed::HostDevice *device = RenderDevice(job);
    ASSERT_NE(device, nullptr);
    device->host->core().SetFeature("HasKeepPreviousPHJobs", {"True", "False"}, "True");
    // The driver's devmode of the job is the one the sheet applied to.
    std::memcpy(job.settings(), &Job(), sizeof(PrivateDevmode));

    const std::wstring output = testbed::ScratchDir(L"uio-confidential") + L"\\job.ps";
    ASSERT_GT(job.StartDocument(L"Held document", output), 0);
    const std::string stream = StartOfStream(*device);
    ASSERT_GT(job.StartPage(), 0);
    ASSERT_GT(job.EndPage(), 0);
    ASSERT_GT(job.EndDoc(), 0);

    const char *lines[] = {
        "@PJL SET USERNAME = \"jdoe\"\n", "@PJL SET HOLD = ON\n", "@PJL SET HOLDTYPE = PRIVATE\n",
        "@PJL SET HOLDKEY = \"4321\"\n", "@PJL SET XDUPLICATEHELDJOBS = SAVE\n",
    };
    size_t at = 0;
    for (const char *line : lines) {
        const size_t found = stream.find(line, at);
        ASSERT_NE(found, std::string::npos) << line << "in:\n" << stream;
        at = found;
    }
}

}  // namespace
