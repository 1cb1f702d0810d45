// The Output Options page in the document sheet of the UI test host: a
// printer of its own (so the driver key is this program's), the driver's
// feature table, and the page driven as a user drives it.
#pragma once

#include <windows.h>
#include <prsht.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "settings/private_devmode.h"
#include "tests/host/dialog_driver.h"
#include "tests/host/ui_host.h"
#include "tests/host/ui_sheet_host.h"
#include "tests/ui/ui_fixtures.h"
#include "ui/page_context.h"

namespace outputtest {

inline testbed::PrinterSpec OutputPrinter() { return {L"UIO Output Printer", L"UIO Output Driver", {}}; }
inline std::wstring DriverKey() { return uitest::DriverKey(L"UIO Output Driver"); }

// What the printer description offers.
enum Feature : unsigned {
    kFaxCard = 1,
    kPrintAndHold = 2,
    kKeepPrevious = 4,
    kEverything = kFaxCard | kPrintAndHold | kKeepPrevious,
};

template <size_t N>
void Fill(wchar_t (&field)[N], const std::wstring &text) {
    wcsncpy(field, text.c_str(), N - 1);
    field[N - 1] = L'\0';
}

// A registry value as stored: its type and bytes.
struct StoredValue {
    bool exists = false;
    DWORD type = 0;
    std::vector<BYTE> bytes;
};

inline StoredValue ReadStored(const wchar_t *name) {
    StoredValue v;
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, DriverKey().c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &v.type, nullptr,
                     &size) != ERROR_SUCCESS)
        return v;
    v.bytes.resize(size);
    if (size && RegGetValueW(HKEY_CURRENT_USER, DriverKey().c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &v.type,
                             v.bytes.data(), &size) != ERROR_SUCCESS)
        return v;
    v.exists = true;
    return v;
}

inline bool Store(const wchar_t *name, DWORD type, const void *data, DWORD size) {
    return uitest::WriteValue(HKEY_CURRENT_USER, DriverKey(), name, type, data, size);
}

class OutputPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        printer_ = uitest::OpenTestPrinter(OutputPrinter());
        ASSERT_TRUE(printer_);
        uitest::DeleteTree(HKEY_CURRENT_USER, DriverKey());
        std::wstring error;
        ASSERT_TRUE(host_.Create(&error)) << uitest::Narrow(error);
        ASSERT_EQ(host_.Publish(), S_OK);
        ASSERT_TRUE(host_.BuildDevmodes(printer_.get()));
        ASSERT_TRUE(boxes_.ok());
        Describe(kEverything);
    }
    void TearDown() override { Close(); }

    // The driver's feature table; `faxCard` is the installable option's setting.
    void Describe(unsigned features, const char *faxCard = "True") {
        host_.core.settings.clear();
        host_.core.features.clear();
        if (features & kFaxCard) host_.core.settings["FaxCard"] = faxCard;
        if (features & kPrintAndHold) host_.core.features["HasPrintandHold"] = {"True", "False"};
        if (features & kKeepPrevious) host_.core.features["HasKeepPreviousPHJobs"] = {"True", "False"};
    }

    // Runs the sheet's INIT; the registered page templates in order.
    std::vector<UINT> Register(DWORD flags = 0) {
        param_ = host_.SheetParam(printer_.get(), flags);
        sheet_ = std::make_unique<testbed::SheetHost>();
        PROPSHEETUI_INFO &info = sheet_->Info(PROPSHEETUI_REASON_INIT, reinterpret_cast<LPARAM>(&param_));
        EXPECT_EQ(host_.plugin->DocumentPropertySheets(&info, 0), S_OK);
        ctx_ = reinterpret_cast<PageContext *>(info.UserData);
        std::vector<UINT> ids;
        for (const PROPSHEETPAGEW &p : sheet_->pages)
            ids.push_back(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(p.pszTemplate)));
        return ids;
    }

    // Shows the sheet with the Output Options page current; null when the
    // printer does not get the page.
    HWND Open(DWORD flags = 0) {
        std::vector<UINT> ids = Register(flags);
        if (ids.empty() || ids[0] != IDD_OUTPUT_OPTIONS_PAGE) return nullptr;
        if (!sheet_->Show() || !sheet_->Activate(1)) return nullptr;
        page_ = sheet_->CurrentPage();
        return page_;
    }

    void Close() {
        if (!sheet_) return;
        sheet_->Close();
        host_.plugin->DocumentPropertySheets(&sheet_->Info(PROPSHEETUI_REASON_DESTROY), 0);
        sheet_.reset();
        ctx_ = nullptr;
        page_ = nullptr;
    }

    // Closes the sheet and opens the next one, as the user's next job does.
    HWND Reopen(DWORD flags = 0) {
        Close();
        return Open(flags);
    }

    // The user leaves the page for the driver's own; false when it refused.
    bool Leave() { return sheet_->Activate(0); }
    bool Return() { return sheet_->Activate(1) && sheet_->CurrentPage() == page_; }
    bool Apply() { return sheet_->Apply(); }

    HWND Item(int id) const { return GetDlgItem(page_, id); }
    bool Enabled(int id) const { return IsWindowEnabled(Item(id)) != FALSE; }
    bool Visible(int id) const { return IsWindowVisible(Item(id)) != FALSE; }
    bool Checked(int id) const { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    std::wstring Text(int id) const { return testbed::GetText(page_, id); }
    void Type(int id, const std::wstring &text) { testbed::SetText(page_, id, text); }
    void Click(int id) { testbed::Click(page_, id); }

    // The list's entries as shown, with their item data.
    std::vector<std::pair<std::wstring, LRESULT>> Listed() const {
        std::vector<std::pair<std::wstring, LRESULT>> out;
        HWND list = Item(IDC_OUT_DESTINATIONS);
        const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t text[256] = L"";
            SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            out.emplace_back(text, SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0));
        }
        return out;
    }
    // The selected entry's text, empty when none is selected.
    std::wstring SelectedDestination() const {
        HWND list = Item(IDC_OUT_DESTINATIONS);
        const LRESULT i = SendMessageW(list, LB_GETCURSEL, 0, 0);
        if (i == LB_ERR) return L"";
        wchar_t text[256] = L"";
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        return text;
    }
    // The user's choice of a destination: a click selects and notifies.
    void Choose(const std::wstring &destination) {
        HWND list = Item(IDC_OUT_DESTINATIONS);
        const LRESULT i = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(destination.c_str()));
        ASSERT_NE(i, LB_ERR) << uitest::Narrow(destination);
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
        SendMessageW(page_, WM_COMMAND, MAKEWPARAM(IDC_OUT_DESTINATIONS, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
    }

    // A confidential job that passes the page's checks, as the user enters it.
    void EnterConfidentialJob(const std::wstring &user = L"jdoe", const std::wstring &pin = L"1234") {
        Choose(L"Confidential Print");
        Type(IDC_OUT_USER, user);
        Type(IDC_OUT_PIN, pin);
    }
    void EnterFaxJob() {
        Choose(L"Fax");
        Type(IDC_OUT_RECIPIENT, L"Ada Recipient");
        Type(IDC_OUT_FAX_NUMBER, L"+1 555 0100");
        Type(IDC_OUT_STATION, L"Front Desk");
    }

    PrivateDevmode &Job() { return *host_.privateDevmode; }

    unique_hprinter printer_;
    testbed::UiPluginHost host_;
    testbed::MessageBoxCapture boxes_{testbed::UiPlugModule()};
    OEMUIPSPARAM param_{};
    std::unique_ptr<testbed::SheetHost> sheet_;
    PageContext *ctx_ = nullptr;
    HWND page_ = nullptr;
};

}  // namespace outputtest
