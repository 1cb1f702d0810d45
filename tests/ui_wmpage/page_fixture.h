// The Watermark page in the real property sheet of the test host, on a
// printer of its own whose watermark store each test fills as it needs.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <cwchar>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "tests/host/dialog_driver.h"
#include "tests/host/ui_host.h"
#include "tests/host/ui_sheet_host.h"
#include "tests/ui/ui_fixtures.h"
#include "ui/sheets/page_context.h"
#include "ui/watermark/store.h"

namespace wmpage {

constexpr wchar_t kPrinter[] = L"UIWP Page Printer";
constexpr wchar_t kDriver[] = L"UIWP Page Driver";

inline WatermarkRecord Record(const wchar_t *name, const wchar_t *text) {
    WatermarkRecord wm;
    MakeDefaultWatermark(&wm);
    wcsncpy(wm.name, name, 127);
    wcsncpy(wm.text, text, 127);
    return wm;
}

// Field by field: the record's defaults leave whatever follows a string's
// terminator, and its padding, as they were.
inline bool SameRecord(const WatermarkRecord &a, const WatermarkRecord &b) {
    return wcscmp(a.name, b.name) == 0 && wcscmp(a.text, b.text) == 0 && a.angle == b.angle &&
           std::memcmp(a.color, b.color, sizeof(a.color)) == 0 && wcscmp(a.faceName, b.faceName) == 0 &&
           a.pointSize == b.pointSize && a.fontStyle == b.fontStyle && a.effects == b.effects &&
           a.intensity == b.intensity && a.position == b.position && a.units == b.units &&
           a.verticalOffset == b.verticalOffset && a.horizontalOffset == b.horizontalOffset &&
           a.charSet == b.charSet && a.dynamicText == b.dynamicText;
}

inline std::vector<std::wstring> ListTexts(HWND list) {
    std::vector<std::wstring> texts;
    LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[256] = L"";
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        texts.push_back(text);
    }
    return texts;
}

inline std::wstring SelectedText(HWND list) {
    LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return L"<no selection>";
    wchar_t text[256] = L"";
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

// A user's choice in a list: the item selected and its owner told.
inline void ChooseListItem(HWND dialog, int id, const std::wstring &text) {
    HWND list = GetDlgItem(dialog, id);
    LRESULT index = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(text.c_str()));
    ASSERT_NE(index, LB_ERR) << uitest::Narrow(text);
    if (GetWindowLongPtrW(list, GWL_STYLE) & LBS_MULTIPLESEL)
        SendMessageW(list, LB_SETSEL, TRUE, index);
    else
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

inline bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }
inline bool Enabled(HWND page, int id) { return IsWindowEnabled(GetDlgItem(page, id)) != FALSE; }

class WatermarkPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        printer_ = uitest::OpenTestPrinter({kPrinter, kDriver, {}});
        ASSERT_TRUE(printer_);
        ClearStore();
        std::wstring error;
        ASSERT_TRUE(host_.Create(&error)) << uitest::Narrow(error);
        ASSERT_EQ(host_.Publish(), S_OK);
        ASSERT_TRUE(host_.BuildDevmodes(printer_.get()));
        dm_ = host_.privateDevmode;
    }
    void TearDown() override {
        CloseSheet();
        ClearStore();
    }

    static void ClearStore() { uitest::DeleteTree(HKEY_CURRENT_USER, uitest::DriverKey(kDriver)); }

    void Store(std::initializer_list<const wchar_t *> names) {
        for (const wchar_t *name : names) {
            WatermarkRecord wm = Record(name, (std::wstring(L"text of ") + name).c_str());
            ASSERT_TRUE(SaveWatermark(printer_.get(), &wm)) << uitest::Narrow(name);
        }
    }
    WatermarkRecord Stored(const wchar_t *name) {
        WatermarkRecord wm;
        MakeDefaultWatermark(&wm);
        EXPECT_TRUE(ReadWatermark(printer_.get(), &wm, name)) << uitest::Narrow(name);
        return wm;
    }
    DWORD StoredCount() {
        DWORD count = 0;
        EXPECT_TRUE(uitest::ReadDword(HKEY_CURRENT_USER, uitest::DriverKey(kDriver), L"NumberOfWaterMarks", &count));
        return count;
    }

    // The devmode's watermark choice, as the driver hands it to the sheet.
    void Choose(uint32_t order, const wchar_t *first, const wchar_t *second, uint32_t overPage = 0) {
        dm_->watermarksEnabled = order != 0;
        dm_->watermarkOrder = order;
        dm_->watermarkOverPage = overPage;
        wcsncpy(dm_->watermarks[0].name, first, 127);
        wcsncpy(dm_->watermarks[1].name, second, 127);
    }

    // Opens the document sheet and makes the Watermark page current.
    HWND OpenPage(DWORD flags = 0) {
        CloseSheet();
        // A sheet collects what the plug-in registers: a new one for each opening.
        sheet_ = std::make_unique<testbed::SheetHost>();
        pageIndex_ = -1;
        param_ = host_.SheetParam(printer_.get(), flags);
        PROPSHEETUI_INFO &info = sheet_->Info(PROPSHEETUI_REASON_INIT, reinterpret_cast<LPARAM>(&param_));
        if (host_.plugin->DocumentPropertySheets(&info, 0) != S_OK) return nullptr;
        ctx_ = reinterpret_cast<PageContext *>(info.UserData);
        open_ = true;
        for (size_t i = 0; i < sheet_->pages.size(); ++i)
            if (sheet_->pages[i].pszTemplate == MAKEINTRESOURCEW(IDD_WATERMARK_PAGE)) pageIndex_ = static_cast<int>(i) + 1;
        if (pageIndex_ < 0 || !sheet_->Show() || !sheet_->Activate(pageIndex_)) return nullptr;
        page_ = sheet_->CurrentPage();
        return page_;
    }
    void CloseSheet() {
        if (!open_) return;
        sheet_->Close();
        host_.plugin->DocumentPropertySheets(&sheet_->Info(PROPSHEETUI_REASON_DESTROY), 0);
        open_ = false;
        ctx_ = nullptr;
        page_ = nullptr;
    }
    // Leaves the Watermark page for the next one (About); false when refused.
    bool LeavePage() { return sheet_->Activate(pageIndex_ + 1) && sheet_->CurrentPage() != page_; }

    HWND List(int id) const { return GetDlgItem(page_, id); }
    HWND First() const { return List(IDC_WMPAGE_FIRST_LIST); }
    HWND Second() const { return List(IDC_WMPAGE_SECOND_LIST); }
    void Pick(int listId, const std::wstring &text) { ChooseListItem(page_, listId, text); }

    unique_hprinter printer_;
    testbed::UiPluginHost host_;
    std::unique_ptr<testbed::SheetHost> sheet_;
    OEMUIPSPARAM param_{};
    PrivateDevmode *dm_ = nullptr;
    PageContext *ctx_ = nullptr;
    HWND page_ = nullptr;
    int pageIndex_ = -1;
    bool open_ = false;
};

}  // namespace wmpage
