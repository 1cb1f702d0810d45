// A printer device context as the driver holds it for renderplug: the DLL
// loaded, its hooks registered, one device enabled, and the driver's own
// DrvEscape/DrvStartDoc recording what the hooks pass on.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/escape_codes.h"
#include "tests/host/escape_host.h"
#include "tests/host/render_host.h"

class EscapeTest : public ::testing::Test {
protected:
    explicit EscapeTest(testbed::RenderHostOptions options = {}) : host(std::move(options)) {}

    void SetUp() override {
        std::wstring error;
        ASSERT_TRUE(host.Start(&error)) << testbed::Narrow(error);
        esc = std::make_unique<testbed::EscapeHost>(host);
        ASSERT_TRUE(esc->ok());
        SetPagesPerSheet("1");
        host.core().SetFeature("HasManualDuplex", {"True", "False"}, "True");
        host.driverCalls.clear();
    }

    void SetPagesPerSheet(const std::string &option) {
        host.core().SetFeature("%PagePerSheet", {"1", "2", "4", "6", "Booklet"}, option);
    }

    DeviceState *state() { return esc->state(); }
    PrivateDevmode *settings() { return esc->settings(); }
    DEVMODEW *publicDevmode() { return esc->publicDevmode(); }

    testbed::RenderHost host;
    std::unique_ptr<testbed::EscapeHost> esc;
};

// The escape reached the driver exactly as the caller made it.
inline void ExpectPassedOn(const testbed::DriverCall &call, SURFOBJ *surface, ULONG code, const void *in,
                           ULONG cjIn, ULONG cjOut, void *pvOut) {
    EXPECT_EQ(call.surface, surface);
    EXPECT_EQ(call.iEsc, code);
    EXPECT_EQ(call.cjIn, cjIn);
    ASSERT_EQ(call.in.size(), in ? cjIn : 0u);
    if (in && cjIn) {
        EXPECT_EQ(memcmp(call.in.data(), in, cjIn), 0);
    }
    EXPECT_EQ(call.cjOut, cjOut);
    EXPECT_EQ(call.pvOut, pvOut);
}
