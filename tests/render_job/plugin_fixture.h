// renderplug.dll loaded and enabled by the render host, with one device and
// the helpers the job-stream tests share: asking the plug-in for one
// injection point's text through Command, and the job's settings.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/host/render_host.h"

class PluginFixture : public ::testing::Test {
protected:
    void SetUp() override {
        std::wstring error;
        ASSERT_TRUE(host.Start(&error)) << testbed::Narrow(error);
    }

    testbed::HostDevice &device() { return host.device(); }
    PrivateDevmode &dm() { return *device().settings(); }
    DeviceState &state() { return *device().state(); }
    DEVMODEW &publicDm() { return *device().publicDevmode(); }
    testbed::FakeCorePs &core() { return host.core(); }

    struct Answer {
        HRESULT hr = E_UNEXPECTED;
        DWORD result = 0xFFFFFFFF;
        std::string text;
    };
    // One Command call; the text is what the plug-in wrote during it.
    Answer Command(DWORD index) {
        core().ClearSpooled();
        Answer a;
        a.hr = host.plugin()->Command(device().dev(), index, nullptr, 0, &a.result);
        a.text = core().Spooled();
        return a;
    }
    std::string Text(DWORD index) {
        Answer a = Command(index);
        EXPECT_EQ(a.hr, S_OK) << "index " << index;
        EXPECT_EQ(a.result, 0u) << "index " << index;
        return a.text;
    }

    void SetDocumentName(const std::wstring &name) {
        wcsncpy(state().documentName, name.c_str(), 255);
        state().documentName[255] = L'\0';
    }
    void SetWide(wchar_t *field, size_t capacity, const std::wstring &value) {
        wcsncpy(field, value.c_str(), capacity - 1);
        field[capacity - 1] = L'\0';
    }
    // Features of the printer description as the driver's helper reports them.
    void GiveFeature(const char *keyword) { core().SetFeature(keyword, {"True", "False"}, "True"); }
    void SetPagesPerSheet(int n) {
        core().SetFeature("%PagePerSheet", {"1", "2", "4", "6", "9", "16", "Booklet"}, std::to_string(n));
    }
    // Manual duplex applies: the description has it and the job is duplex.
    void EnableManualDuplex(int pagesPerSheet) {
        GiveFeature("HasManualDuplex");
        publicDm().dmDuplex = DMDUP_VERTICAL;
        SetPagesPerSheet(pagesPerSheet);
    }

    testbed::RenderHost host;
};

// Splits job text into its lines, each with its line feed.
inline std::vector<std::string> Lines(const std::string &text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size() - 1;
        lines.push_back(text.substr(start, end - start + 1));
        start = end + 1;
    }
    return lines;
}

// The system names the header reports, as this process sees them.
inline std::string ComputerNameA() {
    char name[17] = {};
    DWORD size = sizeof(name);
    if (!GetComputerNameA(name, &size)) return {};
    return name;
}
inline std::string UserNameA() {
    char name[2048] = {};
    DWORD size = sizeof(name);
    if (!GetUserNameA(name, &size)) return {};
    return name;
}
