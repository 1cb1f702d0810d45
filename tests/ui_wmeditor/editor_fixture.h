// The watermark editor opened directly, as the Watermark page opens it: a
// sheet context over the UI test host's parameter block, a printer of its
// own and the real registry store under that printer's driver.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/raii.h"
#include "resources/resource.h"
#include "tests/host/dialog_driver.h"
#include "tests/host/ui_host.h"
#include "tests/host/wine_printer.h"
#include "ui/sheets/page_context.h"
#include "ui/watermark/editor.h"
#include "ui/watermark/store.h"

namespace wmeditor {

inline std::string Narrow(const std::wstring &w) { return std::string(w.begin(), w.end()); }

inline testbed::PrinterSetup EditorPrinter() { return {L"UIWE Editor Printer", L"UIWE Editor Driver", {}}; }

inline WatermarkRecord MakeRecord(const wchar_t *name, const wchar_t *text) {
    WatermarkRecord wm;
    MakeDefaultWatermark(&wm);
    wcsncpy(wm.name, name, 127);
    wcsncpy(wm.text, text, 127);
    return wm;
}

// Replaces the text of a combo box's edit field as a paste over all of it
// does.
inline void TypeIntoCombo(HWND dialog, int id, const std::wstring &text) {
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    GetComboBoxInfo(GetDlgItem(dialog, id), &info);
    SendMessageW(info.hwndItem, EM_SETSEL, 0, -1);
    SendMessageW(info.hwndItem, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

inline int SelectComboText(HWND dialog, int id, const wchar_t *text) {
    HWND combo = GetDlgItem(dialog, id);
    auto index = static_cast<int>(
        SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text)));
    if (index >= 0) testbed::SelectComboItem(dialog, id, index);
    return index;
}

inline bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::wstring error;
        ASSERT_TRUE(testbed::EnsurePrinter(EditorPrinter(), &error)) << Narrow(error);
        ASSERT_TRUE(OpenPrinterW(const_cast<wchar_t *>(EditorPrinter().printerName.c_str()), printer_.put(),
                                 nullptr));
        ASSERT_TRUE(host_.Create(&error)) << Narrow(error);
        ASSERT_EQ(host_.Publish(), S_OK);
        ASSERT_TRUE(host_.BuildDevmodes(printer_.get()));
        param_ = host_.SheetParam(printer_.get());
        ctx_ = AllocatePageContext(host_.heap);
        ASSERT_NE(ctx_, nullptr);
        ctx_->heap = host_.heap;
        ctx_->params = &param_;
        CopyDriverDevmodeToWork(host_.privateDevmode, &ctx_->work);
        ClearStore();
        ASSERT_TRUE(capture_.ok());
    }
    void TearDown() override { FreePageContext(ctx_); }

    void ClearStore() {
        SHDeleteKeyW(HKEY_CURRENT_USER, (L"Software\\Corvane\\PSPlugIn\\" + EditorPrinter().driverName).c_str());
    }
    void Store(const WatermarkRecord &wm) { ASSERT_TRUE(SaveWatermark(printer_.get(), &wm)); }
    bool Stored(const wchar_t *name, WatermarkRecord *out = nullptr) {
        WatermarkRecord scratch;
        return ReadWatermark(printer_.get(), out ? out : &scratch, name);
    }
    HANDLE printer() const { return printer_.get(); }

    // Opens the editor in add mode, or in edit mode over the stored `name`,
    // and hands it to `act`, which must close it. Returns the editor's result.
    INT_PTR OpenAdd(const std::function<void(HWND)> &act) {
        ctx_->editIsNew = 1;
        MakeDefaultWatermark(&ctx_->editWatermark);
        return Run(act);
    }
    INT_PTR OpenEdit(const wchar_t *name, const std::function<void(HWND)> &act) {
        ctx_->editIsNew = 0;
        wcsncpy(ctx_->editChosenName, name, 127);
        EXPECT_TRUE(ReadWatermark(printer_.get(), &ctx_->editWatermark, name));
        return Run(act);
    }
    INT_PTR Run(const std::function<void(HWND)> &act) {
        INT_PTR result = 0;
        EXPECT_TRUE(testbed::RunModal([&] { result = RunWatermarkEditor(nullptr, ctx_); }, act))
            << "the editor did not show or was left open";
        return result;
    }

    // The message boxes shown so far must be exactly one: string `id`, no
    // caption, an error icon; the focus must then be on `focusId`.
    void ExpectRefusal(HWND dialog, UINT id, int focusId) {
        ASSERT_EQ(capture_.shown.size(), 1u);
        wchar_t text[2048];
        LoadStringW(GetModuleHandleW(nullptr), id, text, 2048);
        EXPECT_EQ(capture_.shown[0].text, text);
        EXPECT_TRUE(capture_.shown[0].nullCaption);
        EXPECT_EQ(capture_.shown[0].type, static_cast<UINT>(MB_ICONERROR));
        // A drop-down combo box gives the focus to its edit field.
        HWND control = GetDlgItem(dialog, focusId);
        EXPECT_TRUE(GetFocus() == control || GetParent(GetFocus()) == control) << "focus not on " << focusId;
        EXPECT_TRUE(IsWindow(dialog)) << "the editor stays open";
        capture_.Clear();
    }

    unique_hprinter printer_;
    testbed::UiPluginHost host_;
    OEMUIPSPARAM param_{};
    PageContext *ctx_ = nullptr;
    // The editor's code is linked into this program, so its message boxes
    // go through the program's own import of MessageBoxW.
    testbed::MessageBoxCapture capture_{GetModuleHandleW(nullptr)};
};

}  // namespace wmeditor
