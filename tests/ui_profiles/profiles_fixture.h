// What the profile tests share: a printer of their own driver, its profile
// keys wiped before each test, the driver's option tree, and a context set up
// as the document sheet sets it up.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "settings/private_devmode.h"
#include "tests/host/fake_driver_tree.h"
#include "tests/host/ui_host.h"
#include "tests/ui/ui_fixtures.h"
#include "ui/sheets/page_context.h"

namespace profiletest {

using testbed::FakeDriverTree;

inline testbed::PrinterSetup ProfilesPrinter() { return {L"UIP Profiles Printer", L"UIP Profiles Driver", {}}; }
inline std::wstring ProfilesKey() { return uitest::DriverKey(L"UIP Profiles Driver") + L"\\Profiles"; }
inline std::wstring ProfileKey(const std::wstring &name) { return ProfilesKey() + L"\\" + name; }

struct RawValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

inline bool ReadRaw(const std::wstring &path, const wchar_t *name, RawValue *out) {
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &out->type, nullptr, &size) !=
        ERROR_SUCCESS)
        return false;
    out->data.resize(size);
    return RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &out->type,
                        out->data.data(), &size) == ERROR_SUCCESS;
}

inline DWORD CountValues(const std::wstring &path) {
    unique_hkey key;
    DWORD values = 0;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS)
        RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr);
    return values;
}

inline DWORD CountSubKeys(const std::wstring &path) {
    unique_hkey key;
    DWORD keys = 0;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS)
        RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &keys, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr);
    return keys;
}

inline bool WriteRaw(const std::wstring &path, const std::wstring &name, DWORD type, const void *data, DWORD size) {
    return uitest::WriteValue(HKEY_CURRENT_USER, path, name.c_str(), type, data, size);
}
inline bool WriteDword(const std::wstring &path, const std::wstring &name, DWORD value) {
    return WriteRaw(path, name, REG_DWORD, &value, sizeof(value));
}

class ProfileStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        printer_ = uitest::OpenTestPrinter(ProfilesPrinter());
        ASSERT_TRUE(printer_);
        uitest::DeleteTree(HKEY_CURRENT_USER, ProfilesKey());
        param_ = host_.SheetParam(printer_.get());
        param_.pOEMDM = &driverDm_;
        MakeDefaultPrivateDevmode(&driverDm_);
        ctx_ = std::make_unique<PageContext>();
        ctx_->params = &param_;
        ctx_->driverItems = tree_.items;
        ctx_->driverItemCount = FakeDriverTree::kItemCount;
        MakeDefaultPrivateDevmode(&ctx_->work);
    }
    HANDLE printer() const { return printer_.get(); }
    size_t UpdatesFor(const OPTITEM &item) const {
        size_t n = 0;
        for (const auto &call : host_.core.updateCalls) n += call.item == &item;
        return n;
    }

    unique_hprinter printer_;
    testbed::UiPluginHost host_;
    FakeDriverTree tree_;
    OEMUIPSPARAM param_{};
    PrivateDevmode driverDm_{};
    std::unique_ptr<PageContext> ctx_;
};

}  // namespace profiletest
