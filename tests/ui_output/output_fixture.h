// The Output Options page in the UI test host's document sheet, on a printer
// of its own (so the driver key is this program's), driven as a user drives it.
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
#include "ui/sheets/page_context.h"

namespace outputtest {

inline testbed::PrinterSetup OutputPrinter() { return {L"UIO Output Printer", L"UIO Output Driver", {}}; }
inline std::wstring DriverKey() { return uitest::DriverKey(L"UIO Output Driver"); }

enum Feature : unsigned { kFaxCard = 1, kPrintAndHold = 2, kKeepPrevious = 4, kEverything = 7 };

template <size_t N>
void Fill(wchar_t (&field)[N], const std::wstring &text) {
    wcsncpy(field, text.c_str(), N - 1);
    field[N - 1] = L'\0';
}

// A value of the driver key as stored; empty bytes when there is none.
inline std::vector<BYTE> ReadStored(const wchar_t *name, DWORD *type = nullptr) {
    DWORD size = 0, kind = 0;
    const std::wstring path = DriverKey();
    if (RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &kind, nullptr, &size))
        return {};
    std::vector<BYTE> bytes(size);
    RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_ANY | RRF_NOEXPAND, &kind, bytes.data(), &size);
    if (type) *type = kind;
    return bytes;
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

    // The sheet's INIT; the registered templates in order.
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

    // Shows the sheet with the page current; null when the printer lacks it.
    HWND Open(DWORD flags = 0) {
        std::vector<UINT> ids = Register(flags);
        if (ids.empty() || ids[0] != IDD_OUTPUT_OPTIONS_PAGE || !sheet_->Show() || !sheet_->Activate(1))
            return nullptr;
        return page_ = sheet_->CurrentPage();
    }
    void Close() {
        if (!sheet_) return;
        sheet_->Close();
        host_.plugin->DocumentPropertySheets(&sheet_->Info(PROPSHEETUI_REASON_DESTROY), 0);
        sheet_.reset();
        ctx_ = nullptr;
        page_ = nullptr;
    }
    // The user's next job: a new sheet.
    HWND Reopen() {
        Close();
        return Open();
    }

    // The user goes to the driver's page and back; false when the page refused.
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

    LRESULT List(UINT message, WPARAM w = 0, LPARAM l = 0) const {
        return SendMessageW(Item(IDC_OUT_DESTINATIONS), message, w, l);
    }
    std::wstring ListText(LRESULT index) const {
        wchar_t text[256] = L"";
        if (index != LB_ERR) List(LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
        return text;
    }
    // Entries as "text=data"; the selected one, "" for none.
    std::vector<std::wstring> Listed() const {
        std::vector<std::wstring> out;
        for (LRESULT i = 0; i < List(LB_GETCOUNT); ++i)
            out.push_back(ListText(i) + L"=" + std::to_wstring(List(LB_GETITEMDATA, i)));
        return out;
    }
    std::wstring Selected() const { return ListText(List(LB_GETCURSEL)); }
    // A click on a destination: selection and notification.
    void Choose(const std::wstring &destination) {
        LRESULT i = List(LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(destination.c_str()));
        ASSERT_NE(i, LB_ERR) << uitest::Narrow(destination);
        List(LB_SETCURSEL, i);
        SendMessageW(page_, WM_COMMAND, MAKEWPARAM(IDC_OUT_DESTINATIONS, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(Item(IDC_OUT_DESTINATIONS)));
    }
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
