// The common property-sheet UI's side of the plug-in's pages: the sheet
// function that collects pages as compstui does, the PROPSHEETUI_INFO blocks
// of each reason, and a real modeless property sheet that shows the collected
// pages (after one page of the driver's own) so they can be driven and seen.
#pragma once

#include <windows.h>
#include <prsht.h>

#include <string>
#include <vector>

#include "platform/oem_abi.h"

namespace testbed {

class SheetHost {
public:
    SheetHost() = default;
    ~SheetHost();
    SheetHost(const SheetHost &) = delete;
    SheetHost &operator=(const SheetHost &) = delete;

    // The PROPSHEETUI_INFO compstui passes for `reason`; UserData and Result
    // carry over from the previous call, as compstui keeps them.
    PROPSHEETUI_INFO &Info(WORD reason, LPARAM lParamInit = 0);

    // What the plug-in registered, as copies of its page descriptions.
    std::vector<PROPSHEETPAGEW> pages;
    std::vector<LONG_PTR> pageHandles;
    int setResultCalls = 0;
    LPARAM lastSetResult = 0;
    LONG_PTR setResultReturn = 1;

    // Shows the registered pages in a modeless property sheet; with
    // `driverPageFirst` a page of the driver's own comes before them.
    HWND Show(bool driverPageFirst = true);
    // Makes sheet page `index` (counting the driver's page) current.
    bool Activate(int index);
    HWND CurrentPage() const;
    // The user's Apply: the current page is left (PSN_KILLACTIVE) and, when
    // it lets go, every page applies. False when a page refused.
    bool Apply();
    // Whether a page has marked the sheet changed (its Apply button enabled).
    bool IsChanged() const;
    void Pump(DWORD milliseconds = 50);
    void Close();
    HWND sheet() const { return sheet_; }

private:
    static LONG_PTR CALLBACK SheetFunction(HANDLE hComPropSheet, UINT function, LPARAM lParam1, LPARAM lParam2);

    PROPSHEETUI_INFO info_{};
    HWND sheet_ = nullptr;
};

}  // namespace testbed
