// The document sheet of a printer whose description offers manual colour
// correction, shown in a real property sheet with the colour page between the
// driver's own page and the About page, and ways to read its lists back.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/host/dialog_driver.h"
#include "tests/host/ui_host.h"
#include "tests/host/ui_sheet_host.h"
#include "tests/ui/ui_fixtures.h"
#include "ui/sheets/page_context.h"

// Tests name only the fields of ColorSettings they set; the rest are zero.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace colortest {

// Sheet indices: the driver's page, the colour page, the About page.
constexpr int kColorPage = 2;  // after the driver's page and Watermark
constexpr int kAboutPage = 4;

inline std::wstring EntryText(HWND dialog, int id, LRESULT index) {
    wchar_t text[256] = L"";
    if (index >= 0) SendDlgItemMessageW(dialog, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

// A list's entries as "text=value".
inline std::vector<std::wstring> Entries(HWND dialog, int id) {
    std::vector<std::wstring> entries;
    for (LRESULT i = 0; i < SendDlgItemMessageW(dialog, id, CB_GETCOUNT, 0, 0); ++i)
        entries.push_back(EntryText(dialog, id, i) + L"=" +
                          std::to_wstring(SendDlgItemMessageW(dialog, id, CB_GETITEMDATA, i, 0)));
    return entries;
}

// The selected entry's text; empty when nothing is selected.
inline std::wstring Selected(HWND dialog, int id) {
    return EntryText(dialog, id, SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0));
}

// Chooses the entry with `text`, as a user's click in the list does.
inline void Choose(HWND dialog, int id, const wchar_t *text) {
    LRESULT index = SendDlgItemMessageW(dialog, id, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(text));
    ASSERT_GE(index, 0) << uitest::Narrow(text);
    testbed::SelectComboItem(dialog, id, static_cast<int>(index));
}

inline bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

class ColorSheet : public ::testing::Test {
protected:
    void SetUp() override {
        printer_ = uitest::OpenTestPrinter({L"UICOLOR Printer", L"UICOLOR Driver", {}});
        ASSERT_TRUE(printer_);
        std::wstring error;
        ASSERT_TRUE(host_.Create(&error)) << uitest::Narrow(error);
        ASSERT_EQ(host_.Publish(), S_OK);
        ASSERT_TRUE(host_.BuildDevmodes(printer_.get()));
        host_.core.features["HasManualColorCorrection"] = {"True", "False"};
        param_ = host_.SheetParam(printer_.get());
    }
    void TearDown() override { Destroy(); }

    // INIT with the driver's record holding `color`; the sheet is shown and
    // the colour page current. Null when anything failed.
    HWND Open(const ColorSettings &color) {
        if (host_.privateDevmode) host_.privateDevmode->color = color;
        sheet_.pages.clear();
        PROPSHEETUI_INFO &info = sheet_.Info(PROPSHEETUI_REASON_INIT, reinterpret_cast<LPARAM>(&param_));
        if (host_.plugin->DocumentPropertySheets(&info, 0) != S_OK) return nullptr;
        ctx_ = reinterpret_cast<PageContext *>(info.UserData);
        if (!ctx_ || sheet_.pages.size() != 4 || !sheet_.Show()) return nullptr;
        return SwitchTo(kColorPage);
    }
    HWND SwitchTo(int index) {
        sheet_.Activate(index);
        return sheet_.CurrentPage();
    }
    void Destroy() {
        if (!ctx_) return;
        sheet_.Close();
        host_.plugin->DocumentPropertySheets(&sheet_.Info(PROPSHEETUI_REASON_DESTROY), 0);
        ctx_ = nullptr;
    }
    // Opens the dialog behind `button` and runs `act` on it, which closes it.
    bool InDialog(HWND page, int button, const std::function<void(HWND)> &act) {
        return testbed::RunModal([&] { testbed::Click(page, button); }, act);
    }
    const ColorSettings &DriverColor() const { return host_.privateDevmode->color; }
    // The working copy and the driver's record; with colorWork, all three.
    std::vector<const ColorSettings *> BothRecords() const { return {&ctx_->work.color, &DriverColor()}; }
    std::vector<const ColorSettings *> AllCopies() const {
        return {&ctx_->colorWork, &ctx_->work.color, &DriverColor()};
    }

    unique_hprinter printer_;
    testbed::UiPluginHost host_;
    OEMUIPSPARAM param_{};
    testbed::SheetHost sheet_;
    PageContext *ctx_ = nullptr;
};

}  // namespace colortest
