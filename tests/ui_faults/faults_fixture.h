// What the fault tests share: a printer of their own driver, whose driver key
// starts each test holding watermarks, the output page's values and
// profiles, and the registry faults of a module.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cwchar>
#include <memory>
#include <string>

#include "settings/private_devmode.h"
#include "tests/host/fake_driver_tree.h"
#include "tests/host/ui_host.h"
#include "tests/ui/ui_fixtures.h"
#include "tests/ui_faults/registry_faults.h"
#include "tests/ui_faults/registry_state.h"
#include "ui/output/output_store.h"
#include "ui/sheets/page_context.h"
#include "ui/profiles/store.h"
#include "ui/watermark/store.h"

namespace faults {

constexpr wchar_t kPrinter[] = L"UIFT Faults Printer";
constexpr wchar_t kDriver[] = L"UIFT Faults Driver";
inline std::wstring DriverKey() { return uitest::DriverKey(kDriver); }

inline WatermarkRecord Watermark(const wchar_t *name, const wchar_t *text) {
    WatermarkRecord wm;
    MakeDefaultWatermark(&wm);
    wcsncpy(wm.name, name, 127);
    wcsncpy(wm.text, text, 127);
    return wm;
}

inline FaxInfo Fax(const wchar_t *recipient, const wchar_t *number) {
    FaxInfo fax{};
    wcsncpy(fax.recipientName, recipient, 127);
    wcsncpy(fax.recipientFaxNumber, number, 127);
    wcscpy(fax.comments, L"see attached");
    fax.coverPageParts = 5;
    return fax;
}

class FaultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        printer_ = uitest::OpenTestPrinter({kPrinter, kDriver, {}});
        ASSERT_TRUE(printer_);
        uitest::DeleteTree(HKEY_CURRENT_USER, DriverKey());
        param_ = host_.SheetParam(printer_.get());
        param_.pOEMDM = &driverDm_;
        MakeDefaultPrivateDevmode(&driverDm_);
        ctx_ = std::make_unique<PageContext>();
        ctx_->params = &param_;
        ctx_->driverItems = tree_.items;
        ctx_->driverItemCount = testbed::FakeDriverTree::kItemCount;
        MakeDefaultPrivateDevmode(&ctx_->work);
        ASSERT_NO_FATAL_FAILURE(Populate());
        initial_ = ReadState(HKEY_CURRENT_USER, DriverKey());
    }
    void TearDown() override { uitest::DeleteTree(HKEY_CURRENT_USER, DriverKey()); }

    // Three watermarks and their count, a user name, fax details, the
    // factory defaults and two profiles.
    void Populate() {
        HANDLE printer = printer_.get();
        for (const wchar_t *name : {L"Draft", L"Confidential", L"Copy"}) {
            WatermarkRecord wm = Watermark(name, (std::wstring(L"text of ") + name).c_str());
            ASSERT_TRUE(SaveWatermark(printer, &wm));
        }
        ASSERT_TRUE(WriteLastUserName(printer, L"alice"));
        FaxInfo fax = Fax(L"Ada", L"555-0100");
        ASSERT_TRUE(WriteFaxInfo(printer, &fax));
        ASSERT_TRUE(SaveProfile(tree_.items, L"Factory Defaults", printer, ctx_.get()));
        tree_[testbed::FakeDriverTree::kPaperSize].Sel = 2;
        wcscpy(tree_.bannerText, L"Alpha banner");
        ASSERT_TRUE(SaveProfile(tree_.items, L"Alpha", printer, ctx_.get()));
        tree_[testbed::FakeDriverTree::kCopies].Sel = 7;
        ctx_->work.watermarkOrder = 2;
        ASSERT_TRUE(SaveProfile(tree_.items, L"Beta", printer, ctx_.get()));
    }

    HANDLE printer() const { return printer_.get(); }

    unique_hprinter printer_;
    testbed::UiPluginHost host_;
    testbed::FakeDriverTree tree_;
    OEMUIPSPARAM param_{};
    PrivateDevmode driverDm_{};
    std::unique_ptr<PageContext> ctx_;
    RegistryState initial_;
};

}  // namespace faults
