// The driver's calls around devices: the hooks registered at EnableDriver,
// the per-device state from EnablePDEV to DisablePDEV, the helper interface
// and the injection command's answers.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/host/render_host.h"

using namespace testbed;

namespace {

class RenderDriver : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(host.Start(&error)) << Narrow(error); }
    RenderHost host;
    std::wstring error;
};

HMODULE ModuleOf(PFN fn) {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(reinterpret_cast<void *>(fn)), &module);
    return module;
}

ULONGLONG FileTimeOf(const SYSTEMTIME &t) {
    FILETIME ft{};
    SystemTimeToFileTime(&t, &ft);
    return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

}  // namespace

TEST_F(RenderDriver, EnableDriverRegistersStartDocThenEscapeHooks) {
    const DRVENABLEDATA &block = host.hookBlock();
    ASSERT_EQ(block.c, 2u);
    ASSERT_NE(block.pdrvfn, nullptr);
    EXPECT_EQ(block.pdrvfn[0].iFunc, 35u);
    EXPECT_EQ(block.pdrvfn[1].iFunc, 24u);
    EXPECT_EQ(block.iDriverVersion, 0x30100u);
    // The entries are the plug-in's own functions, not the driver's.
    EXPECT_EQ(ModuleOf(block.pdrvfn[0].pfn), host.module());
    EXPECT_EQ(ModuleOf(block.pdrvfn[1].pfn), host.module());
}

TEST_F(RenderDriver, EnableDriverToleratesNoBlockAndFillsARepeatedCall) {
    EXPECT_EQ(host.plugin()->EnableDriver(DDI_DRIVER_VERSION_NT5_01, 0, nullptr), S_OK);
    DRVENABLEDATA again{};
    again.c = 7;
    EXPECT_EQ(host.plugin()->EnableDriver(DDI_DRIVER_VERSION_NT5_01, sizeof(again), &again), S_OK);
    ASSERT_EQ(again.c, 2u);
    EXPECT_EQ(again.pdrvfn[0].iFunc, 35u);
    EXPECT_EQ(again.pdrvfn[1].iFunc, 24u);
}

TEST_F(RenderDriver, EnablePdevFillsTheDeviceState) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const DeviceState *state = host.device().state();
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->size, sizeof(DeviceState));
    EXPECT_EQ(state->driverVersion, host.driverBlock().iDriverVersion);
    EXPECT_EQ(state->driverFunctionCount, host.driverBlock().c);
    EXPECT_EQ(state->driverFunctions, host.driverBlock().pdrvfn);
    EXPECT_EQ(state->coreHelper, static_cast<IPrintCorePS2 *>(&host.core()));
    wchar_t user[1024];
    DWORD chars = 1024;
    ASSERT_TRUE(GetUserNameW(user, &chars));
    EXPECT_STREQ(state->userName, user);
    EXPECT_EQ(state->documentName[0], L'\0');
    EXPECT_EQ(state->jobId, 0u);
    EXPECT_EQ(state->coverPageMode, 0u);
    EXPECT_EQ(state->eventPageCount, 0);
    EXPECT_EQ(state->psPageCount, 0);
    EXPECT_EQ(state->duplexSideRequests, 0);
    EXPECT_EQ(state->manualDuplexActive | state->showPageMark | state->eraseArmed | state->erasePending, 0u);
    // Taken at EnablePDEV, a moment ago (local time, 100 ns units).
    ULONGLONG taken = FileTimeOf(state->jobStartTime), later = FileTimeOf(now);
    EXPECT_LE(taken, later + 10000000ull);
    EXPECT_GE(taken + 60 * 10000000ull, later);
}

TEST_F(RenderDriver, EnablePdevRefusesIncompleteCalls) {
    HostDevice &device = host.device();
    PDEVOEM out = reinterpret_cast<PDEVOEM>(1);
    DRVENABLEDATA driver = host.driverBlock();
    IPrintOemPS2 *p = host.plugin();
    EXPECT_EQ(p->EnablePDEV(nullptr, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, &driver, &out), E_FAIL);
    EXPECT_EQ(p->EnablePDEV(device.dev(), nullptr, 0, nullptr, 0, nullptr, 0, nullptr, &driver, nullptr), E_FAIL);
    DEVOBJ noSettings = *device.dev();
    noSettings.pOEMDM = nullptr;
    EXPECT_EQ(p->EnablePDEV(&noSettings, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, &driver, &out), E_FAIL);
    EXPECT_EQ(out, reinterpret_cast<PDEVOEM>(1)) << "a refused call hands out no state";
}

TEST_F(RenderDriver, ResetPdevCarriesTheJobIntoTheNewDevice) {
    HostDevice &old = host.device();
    DeviceState *from = old.state();
    for (size_t i = 0; i < 256; ++i) from->documentName[i] = L'd';  // unterminated, as an escape may leave it
    wcscpy(from->userName, L"someone else");
    from->jobId = 42;
    from->jobStartTime.wYear = 1999;
    from->duplexSideRequests = 2;
    from->manualDuplexActive = 1;
    from->eraseArmed = 1;
    from->erasePending = 1;
    from->showPageMark = 9;
    from->eventPageCount = 5;
    from->psPageCount = 6;
    from->coverPageMode = 1;

    HostDevice *next = host.NewDevice(&error);
    ASSERT_NE(next, nullptr) << Narrow(error);
    ASSERT_EQ(host.EnablePdev(*next), S_OK);
    ASSERT_EQ(host.ResetPdev(old, *next), S_OK);
    const DeviceState *to = next->state();
    EXPECT_EQ(wcslen(to->documentName), 255u);
    EXPECT_EQ(to->documentName[254], L'd');
    EXPECT_STREQ(to->userName, L"someone else");
    EXPECT_EQ(to->jobId, 42u);
    EXPECT_EQ(to->jobStartTime.wYear, 1999);
    EXPECT_EQ(to->duplexSideRequests, 2);
    EXPECT_EQ(to->manualDuplexActive, 1u);
    EXPECT_EQ(to->eraseArmed, 1u);
    EXPECT_EQ(to->erasePending, 1u);
    EXPECT_EQ(to->showPageMark, 9u);
    EXPECT_EQ(to->eventPageCount, 5);
    EXPECT_EQ(to->psPageCount, 6);
    // The new device keeps what belongs to it.
    EXPECT_EQ(to->coverPageMode, 0u);
    EXPECT_EQ(to->size, sizeof(DeviceState));
    EXPECT_EQ(to->driverFunctions, host.driverBlock().pdrvfn);
    EXPECT_EQ(to->coreHelper, static_cast<IPrintCorePS2 *>(&host.core()));
    EXPECT_EQ(host.DisablePdev(old), S_OK);

    EXPECT_EQ(host.plugin()->ResetPDEV(nullptr, next->dev()), E_FAIL);
    EXPECT_EQ(host.plugin()->ResetPDEV(next->dev(), nullptr), E_FAIL);
}

TEST_F(RenderDriver, HelperIsHeldUntilDisableDriverOrTheLastRelease) {
    FakeCorePs &core = host.core();
    EXPECT_EQ(core.RefCount(), 2);  // the host's and the plug-in's
    // A second publication keeps the helper it has.
    EXPECT_EQ(host.Publish(&core), S_OK);
    EXPECT_EQ(core.coreQueries, 1);
    EXPECT_EQ(core.RefCount(), 2);
    EXPECT_EQ(host.DisableDriver(), S_OK);
    EXPECT_EQ(core.RefCount(), 1);
    // After DisableDriver a new helper may be published, and the last Release lets go of it.
    EXPECT_EQ(host.Publish(&core), S_OK);
    EXPECT_EQ(core.RefCount(), 2);
    EXPECT_EQ(host.DisablePdev(host.device()), S_OK);
    EXPECT_EQ(host.ReleasePlugin(), 0u);
    EXPECT_EQ(core.RefCount(), 1);
}

TEST(RenderDriverHelper, PublishFailsForADriverWithoutTheHelperInterface) {
    RenderHost host;
    std::wstring error;
    ASSERT_TRUE(host.Load(&error)) << Narrow(error);
    host.core().refuseCoreInterface = true;
    EXPECT_EQ(host.Publish(&host.core()), E_FAIL);
    EXPECT_EQ(host.Publish(nullptr), E_FAIL);
    // Without a helper no injection can be answered.
    PrivateDevmode settings{};
    DEVOBJ dev{};
    dev.pOEMDM = &settings;
    dev.pdevOEM = &settings;
    DWORD result = 0;
    SetLastError(ERROR_INVALID_HANDLE);
    EXPECT_EQ(host.plugin()->Command(&dev, 1, nullptr, 0, &result), E_FAIL);
    EXPECT_EQ(result, GetLastError());
    host.core().refuseCoreInterface = false;
    EXPECT_EQ(host.Publish(&host.core()), S_OK);
    EXPECT_EQ(host.core().RefCount(), 2);
}

TEST_F(RenderDriver, CommandAnswersUnusedInjectionPointsAsNotSupported) {
    DWORD result = 0xFFFF;
    // 12 is the defaults section, which this plug-in leaves alone.
    EXPECT_EQ(host.plugin()->Command(host.device().dev(), 12, nullptr, 0, &result), S_OK);
    EXPECT_EQ(result, static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    result = 0xFFFF;
    EXPECT_EQ(host.plugin()->Command(host.device().dev(), 12345, nullptr, 0, &result), S_OK);
    EXPECT_EQ(result, static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    // A device the plug-in does not know fails with the thread's error as the result.
    result = 0xFFFF;
    EXPECT_EQ(host.plugin()->Command(nullptr, 12, nullptr, 0, &result), E_FAIL);
    EXPECT_EQ(result, GetLastError());
    EXPECT_EQ(host.core().Spooled(), "");
}

TEST_F(RenderDriver, HooksHandUnknownCallsToTheDriversOwnFunctions) {
    HostDevice &device = host.device();
    wchar_t name[] = L"report.txt";
    host.startDocReply = TRUE;
    EXPECT_EQ(host.CallStartDoc(device, name, 77), TRUE);
    uint32_t payload = 0xA5A5A5A5;
    char reply[8] = {};
    host.escapeReply = 1234;
    // An escape code nothing in this system claims.
    EXPECT_EQ(host.CallEscape(device, 0x7777, sizeof(payload), &payload, sizeof(reply), reply), 1234u);

    ASSERT_EQ(host.driverCalls.size(), 2u);
    const DriverCall &start = host.driverCalls[0];
    EXPECT_EQ(start.index, INDEX_DrvStartDoc);
    EXPECT_EQ(start.surface, &device.surface);
    EXPECT_EQ(start.docName, L"report.txt");
    EXPECT_EQ(start.jobId, 77u);
    const DriverCall &escape = host.driverCalls[1];
    EXPECT_EQ(escape.index, INDEX_DrvEscape);
    EXPECT_EQ(escape.iEsc, 0x7777u);
    EXPECT_EQ(escape.cjIn, sizeof(payload));
    EXPECT_EQ(escape.in, std::vector<uint8_t>(4, 0xA5));
    EXPECT_EQ(escape.cjOut, sizeof(reply));
    EXPECT_EQ(escape.pvOut, reply);

    host.startDocReply = FALSE;
    EXPECT_EQ(host.CallStartDoc(device, name, 78), FALSE) << "the driver's answer is passed back";
}

TEST(RenderDriverHooks, HooksAnswerForADriverWithoutTheFunctions) {
    RenderHostOptions options;
    options.driverHasStartDoc = false;
    options.driverHasEscape = false;
    RenderHost host(options);
    std::wstring error;
    ASSERT_TRUE(host.Start(&error)) << Narrow(error);
    wchar_t name[] = L"doc";
    EXPECT_EQ(host.CallStartDoc(host.device(), name, 1), TRUE);
    EXPECT_EQ(host.CallEscape(host.device(), 0x7777, 0, nullptr, 0, nullptr), 0u);
    EXPECT_TRUE(host.driverCalls.empty()) << "no function of another index may be called instead";
}
