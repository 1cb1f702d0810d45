#include "tests/host/ui_sheet_host.h"

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace testbed {
namespace {

// compstui hands out page handles; a value of this form is what a
// plug-in gets back for each page it adds.
constexpr LONG_PTR kFirstPageHandle = 0x4000;

// A blank dialog template for the driver's own page.
struct BlankPageTemplate {
    DLGTEMPLATE header;
    WORD menu;
    WORD windowClass;
    WORD title;
};

INT_PTR CALLBACK DriverPageProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

static_assert(offsetof(BlankPageTemplate, menu) == 18, "a dialog template's arrays follow its header directly");

alignas(4) BlankPageTemplate g_blankPage = {{WS_CHILD | WS_DISABLED | WS_CAPTION, 0, 0, 0, 0, 282, 250}, 0, 0, 0};

}  // namespace

SheetHost::~SheetHost() { Close(); }

PROPSHEETUI_INFO &SheetHost::Info(WORD reason, LPARAM lParamInit) {
    info_.cbSize = sizeof(info_);
    info_.Version = PROPSHEETUI_INFO_VERSION;
    info_.Flags = PSUIINFO_UNICODE;
    info_.Reason = reason;
    info_.hComPropSheet = reinterpret_cast<HANDLE>(this);
    info_.pfnComPropSheet = SheetFunction;
    info_.lParamInit = lParamInit;
    return info_;
}

LONG_PTR CALLBACK SheetHost::SheetFunction(HANDLE hComPropSheet, UINT function, LPARAM lParam1, LPARAM lParam2) {
    auto *self = reinterpret_cast<SheetHost *>(hComPropSheet);
    if (!self) return ERR_CPSUI_GETLASTERROR;
    switch (function) {
    case CPSFUNC_ADD_PROPSHEETPAGEW: {
        auto *source = reinterpret_cast<const PROPSHEETPAGEW *>(lParam1);
        if (!source || source->dwSize < PROPSHEETPAGEW_V1_SIZE) return 0;
        PROPSHEETPAGEW copy{};
        std::memcpy(&copy, source, std::min<size_t>(source->dwSize, sizeof(copy)));
        self->pages.push_back(copy);
        LONG_PTR handle = kFirstPageHandle + static_cast<LONG_PTR>(self->pages.size());
        self->pageHandles.push_back(handle);
        return handle;
    }
    case CPSFUNC_SET_RESULT:
        ++self->setResultCalls;
        self->lastSetResult = lParam2;
        return self->setResultReturn;
    default:
        return 0;
    }
}

HWND SheetHost::Show(bool driverPageFirst) {
    Close();
    std::vector<HPROPSHEETPAGE> handles;
    if (driverPageFirst) {
        PROPSHEETPAGEW driverPage{};
        driverPage.dwSize = sizeof(driverPage);
        driverPage.dwFlags = PSP_DLGINDIRECT | PSP_USETITLE;
        driverPage.hInstance = GetModuleHandleW(nullptr);
        driverPage.pResource = &g_blankPage.header;
        driverPage.pszTitle = L"Layout";
        driverPage.pfnDlgProc = DriverPageProc;
        handles.push_back(CreatePropertySheetPageW(&driverPage));
    }
    for (const PROPSHEETPAGEW &page : pages) handles.push_back(CreatePropertySheetPageW(&page));
    for (HPROPSHEETPAGE h : handles)
        if (!h) return nullptr;
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_MODELESS;
    header.hInstance = GetModuleHandleW(nullptr);
    header.pszCaption = L"Printing Preferences";
    header.nPages = static_cast<UINT>(handles.size());
    header.phpage = handles.data();
    sheet_ = reinterpret_cast<HWND>(PropertySheetW(&header));
    if (sheet_) {
        SetWindowPos(sheet_, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        Pump(200);
    }
    return sheet_;
}

bool SheetHost::Activate(int index) {
    if (!sheet_) return false;
    BOOL ok = static_cast<BOOL>(SendMessageW(sheet_, PSM_SETCURSEL, static_cast<WPARAM>(index), 0));
    Pump(150);
    return ok != FALSE;
}

HWND SheetHost::CurrentPage() const {
    return sheet_ ? reinterpret_cast<HWND>(SendMessageW(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0)) : nullptr;
}

bool SheetHost::Apply() {
    if (!sheet_) return false;
    BOOL ok = static_cast<BOOL>(SendMessageW(sheet_, PSM_APPLY, 0, 0));
    Pump(100);
    return ok != FALSE;
}

bool SheetHost::IsChanged() const {
    // The sheet's Apply button; compstui's sheets have one as well.
    constexpr int kApplyButton = 0x3021;
    return sheet_ && IsWindowEnabled(GetDlgItem(sheet_, kApplyButton));
}

void SheetHost::Pump(DWORD milliseconds) {
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (sheet_ && PropSheet_IsDialogMessage(sheet_, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

void SheetHost::Close() {
    if (!sheet_) return;
    DestroyWindow(sheet_);
    sheet_ = nullptr;
    Pump(20);
}

}  // namespace testbed
