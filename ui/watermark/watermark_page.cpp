#include "ui/watermark/watermark_page.h"

#include <commctrl.h>
#include <cwchar>

#include "platform/raii.h"
#include "resources/resource.h"
#include "settings/private_devmode.h"
#include "ui/frame/module.h"
#include "ui/sheets/page_controls.h"
#include "ui/sheets/page_help.h"
#include "ui/watermark/editor.h"
#include "ui/watermark/select_dialogs.h"
#include "ui/watermark/store.h"
#include "ui/watermark/watermark_context.h"

namespace {

// watermarkOrder values.
constexpr uint32_t kOrderNone = 0;
constexpr uint32_t kOrderAll = 1;
constexpr uint32_t kOrderOddEven = 2;
constexpr uint32_t kOrderFirstOther = 3;

constexpr LRESULT kNameChars = 128;

// Controls that keep their state whatever the order: the order buttons with
// their frame, and the three buttons that open the dialogs.
const int kIndependentControls[] = {
    IDC_WMPAGE_ORDER_FIRST_OTHER, IDC_WMPAGE_ORDER_ODD_EVEN, IDC_WMPAGE_ORDER_GROUP, IDC_WMPAGE_ADD,
    IDC_WMPAGE_ORDER_ALL,         IDC_WMPAGE_ORDER_NONE,     IDC_WMPAGE_REMOVE,      IDC_WMPAGE_EDIT,
};

const int kOrderButtons[] = {IDC_WMPAGE_ORDER_NONE, IDC_WMPAGE_ORDER_ALL, IDC_WMPAGE_ORDER_FIRST_OTHER,
                             IDC_WMPAGE_ORDER_ODD_EVEN};

PageContext *ContextOf(HWND page) { return reinterpret_cast<PageContext *>(GetWindowLongPtrW(page, GWLP_USERDATA)); }

HWND FirstList(HWND page) { return GetDlgItem(page, IDC_WMPAGE_FIRST_LIST); }
HWND SecondList(HWND page) { return GetDlgItem(page, IDC_WMPAGE_SECOND_LIST); }

bool IsChecked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

void MarkChanged(HWND page) { SendMessageW(GetParent(page), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0); }

bool IsIndependent(int id) {
    for (int independent : kIndependentControls)
        if (id == independent) return true;
    return false;
}

void EnableDependents(HWND page, bool enable) {
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (!IsIndependent(GetDlgCtrlID(child))) EnableWindow(child, enable);
}

// With all pages alike there is no second choice to make.
void DisableSecondList(HWND page) {
    EnableWindow(GetDlgItem(page, IDC_WMPAGE_SECOND_LABEL), FALSE);
    EnableWindow(SecondList(page), FALSE);
}

void CheckOrderButton(HWND page, int id) {
    for (int button : kOrderButtons) CheckDlgButton(page, button, button == id ? BST_CHECKED : BST_UNCHECKED);
}

void SetLabel(HWND page, int id, UINT stringId) {
    wchar_t text[kUiStringChars];
    LoadUiString(stringId, text, kUiStringChars);
    SetDlgItemTextW(page, id, text);
}

void SetListLabels(HWND page, uint32_t order) {
    UINT first = IDS_WM_LABEL_FIRST_PAGE, second = IDS_WM_LABEL_OTHER_PAGES;
    if (order == kOrderAll) {
        first = IDS_WM_LABEL_ALL_PAGES;
    } else if (order == kOrderOddEven) {
        first = IDS_WM_LABEL_ODD_PAGES;
        second = IDS_WM_LABEL_EVEN_PAGES;
    }
    SetLabel(page, IDC_WMPAGE_FIRST_LABEL, first);
    SetLabel(page, IDC_WMPAGE_SECOND_LABEL, second);
}

// A user may keep hundreds of watermarks: the list is drawn once, after it
// is filled, and its storage taken at once (the stored count is a hint).
void FillList(HWND list, HANDLE printer) {
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    const WPARAM items = static_cast<WPARAM>(ReadWatermarkCount(printer)) + 1;
    SendMessageW(list, LB_INITSTORAGE, items, static_cast<LPARAM>(items * 32 * sizeof(wchar_t)));
    wchar_t none[kUiStringChars];
    LoadUiString(IDS_WM_NONE, none, kUiStringChars);
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(none));
    FillWatermarkList(printer, list);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

// The second list is the first one's copy: the store is read once.
void CopyList(HWND from, HWND to) {
    SendMessageW(to, WM_SETREDRAW, FALSE, 0);
    SendMessageW(to, LB_RESETCONTENT, 0, 0);
    const LRESULT count = SendMessageW(from, LB_GETCOUNT, 0, 0);
    if (count > 0) {
        SendMessageW(to, LB_INITSTORAGE, static_cast<WPARAM>(count), static_cast<LPARAM>(count * 32 * sizeof(wchar_t)));
        wchar_t name[kUiStringChars > kNameChars ? kUiStringChars : kNameChars];
        const LRESULT room = sizeof(name) / sizeof(name[0]);
        for (LRESULT i = 0; i < count; ++i) {
            const LRESULT length = SendMessageW(from, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
            if (length < 0 || length >= room) continue;
            if (SendMessageW(from, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(name)) != length)
                continue;
            SendMessageW(to, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
        }
    }
    SendMessageW(to, LB_SETHORIZONTALEXTENT, SendMessageW(from, LB_GETHORIZONTALEXTENT, 0, 0), 0);
    SendMessageW(to, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(to, nullptr, TRUE);
}

void FillLists(HWND page, HANDLE printer) {
    FillList(FirstList(page), printer);
    CopyList(FirstList(page), SecondList(page));
}

// Selects the item whose text is `name` (whole and without regard to case,
// as the store compares names). A prefix search would pick "(None)" for a
// watermark named "(No", or "Draft Copy" for "Draft" listed after it.
bool SelectExactName(HWND list, const wchar_t *name) {
    LRESULT index = SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
    if (index == LB_ERR) return false;
    return SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0) != LB_ERR;
}

// An empty name is "(None)"; a name not listed leaves the selection alone.
void SelectStoredName(HWND list, const wchar_t *name) {
    if (!name[0])
        SendMessageW(list, LB_SETCURSEL, 0, 0);
    else
        SelectExactName(list, name);
}

// The selected name, or an empty text for no selection, "(None)" or a text
// too long for a name. True when a name was read.
bool SelectedName(HWND list, wchar_t (&name)[kNameChars]) {
    name[0] = L'\0';
    LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR || index == 0) return false;
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 1 || length >= kNameChars) return false;
    if (SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(name)) != length) {
        name[0] = L'\0';
        return false;
    }
    return true;
}

bool NameIsMissing(HANDLE printer, const wchar_t *name) { return name[0] && !WatermarkExists(printer, name); }

void ShowStoredChoice(HWND page, PageContext *ctx, bool atInit) {
    HANDLE printer = WatermarkPrinter(ctx);
    const PrivateDevmode &work = ctx->work;
    if (atInit) {
        FillLists(page, printer);
    } else {
        ShowFrameContextHelp(page, false);
        ctx->initialWatermarkOrder = work.watermarkOrder;
    }

    bool orderShown = false;
    if (work.watermarksEnabled == 0) {
        CheckOrderButton(page, IDC_WMPAGE_ORDER_NONE);
        SendMessageW(FirstList(page), LB_SETCURSEL, 0, 0);
        SendMessageW(SecondList(page), LB_SETCURSEL, 0, 0);
        EnableDependents(page, false);
        orderShown = !atInit;
    } else {
        uint32_t order = ctx->initialWatermarkOrder;
        bool twoLists = order == kOrderOddEven || order == kOrderFirstOther;
        // Another user may have removed what this devmode names.
        if (NameIsMissing(printer, work.watermarks[0].name) ||
            (twoLists && NameIsMissing(printer, work.watermarks[1].name))) {
            ctx->initialWatermarkOrder = kOrderNone;
            order = kOrderNone;
        }
        if (order == kOrderAll) {
            CheckOrderButton(page, IDC_WMPAGE_ORDER_ALL);
            SelectStoredName(FirstList(page), work.watermarks[0].name);
            SendMessageW(SecondList(page), LB_SETCURSEL, 0, 0);
            EnableDependents(page, true);
            DisableSecondList(page);
        } else if (order == kOrderOddEven || order == kOrderFirstOther) {
            CheckOrderButton(page, order == kOrderOddEven ? IDC_WMPAGE_ORDER_ODD_EVEN : IDC_WMPAGE_ORDER_FIRST_OTHER);
            SelectStoredName(FirstList(page), work.watermarks[0].name);
            SelectStoredName(SecondList(page), work.watermarks[1].name);
            EnableDependents(page, true);
        } else {
            CheckOrderButton(page, IDC_WMPAGE_ORDER_NONE);
            SendMessageW(FirstList(page), LB_SETCURSEL, 0, 0);
            SendMessageW(SecondList(page), LB_SETCURSEL, 0, 0);
            EnableDependents(page, false);
            ctx->initialWatermarkOrder = kOrderNone;
        }
    }
    if (!orderShown) {
        SetListLabels(page, ctx->initialWatermarkOrder);
        if (CountWatermarks(printer) < 1) {
            EnableWindow(GetDlgItem(page, IDC_WMPAGE_EDIT), FALSE);
            EnableWindow(GetDlgItem(page, IDC_WMPAGE_REMOVE), FALSE);
        }
    }
    CheckDlgButton(page, IDC_WMPAGE_OVER, work.watermarkOverPage ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(page, IDC_WMPAGE_UNDER, work.watermarkOverPage ? BST_UNCHECKED : BST_CHECKED);
    if (ctx->readOnly) DisableAllControls(page);
}

// One list's choice into `record` (already at its defaults). False only when
// a listed watermark could not be read from the store.
bool ReadListChoice(HWND list, HANDLE printer, WatermarkRecord *record) {
    LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR || index == 0) return true;
    wchar_t name[kNameChars];
    if (!SelectedName(list, name)) return true;
    if (!ReadWatermark(printer, record, name)) return false;
    // The store hands back the bytes as written; the record travels on in
    // the devmode, so its texts must end inside their arrays.
    TerminateString(record->name);
    TerminateString(record->text);
    TerminateString(record->faceName);
    return true;
}

void WriteChoice(HWND page, PageContext *ctx, PrivateDevmode *dm) {
    HANDLE printer = WatermarkPrinter(ctx);
    MakeDefaultWatermark(&dm->watermarks[0]);
    MakeDefaultWatermark(&dm->watermarks[1]);
    if (IsChecked(page, IDC_WMPAGE_ORDER_NONE)) {
        dm->watermarksEnabled = 0;
        dm->watermarkOrder = kOrderNone;
        return;
    }
    uint32_t order = kOrderAll;
    if (IsChecked(page, IDC_WMPAGE_ORDER_ODD_EVEN))
        order = kOrderOddEven;
    else if (IsChecked(page, IDC_WMPAGE_ORDER_FIRST_OTHER))
        order = kOrderFirstOther;
    dm->watermarksEnabled = 1;
    dm->watermarkOrder = order;
    bool readAll = ReadListChoice(FirstList(page), printer, &dm->watermarks[0]);
    // The chosen order decides, not one a failed read fell back to: with all
    // pages alike the second block stays at its defaults.
    if (order != kOrderAll) readAll = ReadListChoice(SecondList(page), printer, &dm->watermarks[1]) && readAll;
    if (!readAll) {
        dm->watermarksEnabled = 0;
        dm->watermarkOrder = kOrderNone;
    }
    dm->watermarkOverPage = IsChecked(page, IDC_WMPAGE_OVER) ? 1 : 0;
}

// True when the page may be left.
bool LeavePage(HWND page, PageContext *ctx) {
    // Nothing on a read-only page can be changed, so nothing is checked or
    // taken: refusing would keep the user on a page they cannot correct.
    if (ctx->readOnly) return true;
    if (IsChecked(page, IDC_WMPAGE_ORDER_NONE)) return true;
    bool allPages = IsChecked(page, IDC_WMPAGE_ORDER_ALL);
    HWND first = FirstList(page), second = SecondList(page);
    LRESULT firstIndex = SendMessageW(first, LB_GETCURSEL, 0, 0);
    LRESULT secondIndex = allPages ? 0 : SendMessageW(second, LB_GETCURSEL, 0, 0);
    HWND offending = nullptr;
    if (firstIndex == LB_ERR)
        offending = first;
    else if (secondIndex == LB_ERR)
        offending = second;
    else if (firstIndex == 0 && secondIndex == 0)
        offending = allPages ? first : second;
    if (offending) {
        wchar_t text[kUiStringChars];
        LoadUiString(IDS_ERR_SELECT_WATERMARK, text, kUiStringChars);
        MessageBoxW(page, text, nullptr, MB_ICONERROR);
        SetFocus(offending);
        return false;
    }
    WriteChoice(page, ctx, &ctx->work);
    return true;
}

void OnOrderChosen(HWND page, PageContext *ctx, uint32_t order) {
    if (order == kOrderNone) {
        SetListLabels(page, order);
        EnableDependents(page, false);
    } else if (order == kOrderAll) {
        EnableDependents(page, true);
        DisableSecondList(page);
        SetListLabels(page, order);
    } else {
        SetListLabels(page, order);
        EnableDependents(page, true);
    }
    ctx->initialWatermarkOrder = order;
    MarkChanged(page);
}

// Widens both lists' scrolling range for a name that is longer than any so far.
void WidenListsFor(HWND page, const wchar_t *name) {
    HWND first = FirstList(page);
    const int charWidth = MaxCharWidthOf(first);
    if (charWidth <= 0) return;
    LRESULT wanted = static_cast<LRESULT>(charWidth) * static_cast<LRESULT>(wcsnlen(name, kNameChars));
    if (SendMessageW(first, LB_GETHORIZONTALEXTENT, 0, 0) >= wanted) return;
    SendMessageW(first, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(wanted), 0);
    SendMessageW(SecondList(page), LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(wanted), 0);
}

void EnableEditAndRemove(HWND page, bool enable) {
    EnableWindow(GetDlgItem(page, IDC_WMPAGE_EDIT), enable);
    EnableWindow(GetDlgItem(page, IDC_WMPAGE_REMOVE), enable);
}

void OnAdd(HWND page, PageContext *ctx) {
    MakeDefaultWatermark(&ctx->editWatermark);
    ctx->editIsNew = 1;
    if (RunWatermarkEditor(page, ctx) != 1) return;
    TerminateString(ctx->editWatermark.name);
    WidenListsFor(page, ctx->editWatermark.name);
    SendMessageW(FirstList(page), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ctx->editWatermark.name));
    SendMessageW(SecondList(page), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ctx->editWatermark.name));
    EnableEditAndRemove(page, true);
}

// After a rename: a list that showed the old name shows the new one, one
// that showed another watermark keeps it, and "(None)" stays "(None)".
void ReselectAfterRename(HWND list, const wchar_t *noted, const wchar_t *oldName, const wchar_t *newName) {
    if (!noted[0]) {
        SendMessageW(list, LB_SETCURSEL, 0, 0);
        return;
    }
    const wchar_t *wanted = wcscmp(noted, oldName) == 0 ? newName : noted;
    if (!SelectExactName(list, wanted)) SendMessageW(list, LB_SETCURSEL, 0, 0);
}

void OnEdit(HWND page, PageContext *ctx) {
    HANDLE printer = WatermarkPrinter(ctx);
    ctx->editIsNew = 0;
    MakeDefaultWatermark(&ctx->editWatermark);
    if (RunEditSelectionDialog(page, ctx) != 1) return;
    TerminateString(ctx->editChosenName);
    ReadWatermark(printer, &ctx->editWatermark, ctx->editChosenName);
    if (RunWatermarkEditor(page, ctx) != 1) return;

    wchar_t firstNoted[kNameChars], secondNoted[kNameChars];
    SelectedName(FirstList(page), firstNoted);
    SelectedName(SecondList(page), secondNoted);
    const wchar_t *chosen = ctx->editChosenName;
    if (!IsChecked(page, IDC_WMPAGE_ORDER_NONE) &&
        ((firstNoted[0] && wcscmp(firstNoted, chosen) == 0) ||
         (!IsChecked(page, IDC_WMPAGE_ORDER_ALL) && secondNoted[0] && wcscmp(secondNoted, chosen) == 0)))
        MarkChanged(page);

    TerminateString(ctx->editWatermark.name);
    const wchar_t *saved = ctx->editWatermark.name;
    if (wcscmp(saved, chosen) == 0) return;
    FillLists(page, printer);
    ReselectAfterRename(FirstList(page), firstNoted, chosen, saved);
    ReselectAfterRename(SecondList(page), secondNoted, chosen, saved);
}

// A list whose watermark is gone falls back to "(None)", which changes the
// choice; `noted` is the name it showed before (empty for "(None)").
bool ReselectAfterRemove(HWND list, HANDLE printer, const wchar_t *noted) {
    if (noted[0] && WatermarkExists(printer, noted) && SelectExactName(list, noted)) return false;
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    return noted[0] != L'\0';
}

void OnRemove(HWND page, PageContext *ctx) {
    HANDLE printer = WatermarkPrinter(ctx);
    RunRemoveDialog(page, ctx);
    wchar_t firstNoted[kNameChars], secondNoted[kNameChars];
    SelectedName(FirstList(page), firstNoted);
    SelectedName(SecondList(page), secondNoted);
    FillLists(page, printer);
    bool firstLost = ReselectAfterRemove(FirstList(page), printer, firstNoted);
    bool secondLost = ReselectAfterRemove(SecondList(page), printer, secondNoted);
    if (firstLost || secondLost) MarkChanged(page);
    if (CountWatermarks(printer) < 1) {
        EnableEditAndRemove(page, false);
        SendMessageW(page, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(page, IDC_WMPAGE_ADD)), TRUE);
    }
}

void OnCommand(HWND page, WPARAM wParam) {
    PageContext *ctx = ContextOf(page);
    if (!HasWatermarkContext(ctx)) return;
    WORD code = HIWORD(wParam);
    if (code == LBN_SELCHANGE) {
        MarkChanged(page);
        return;
    }
    if (code != BN_CLICKED) return;
    switch (LOWORD(wParam)) {
    case IDC_WMPAGE_ORDER_NONE:
        OnOrderChosen(page, ctx, kOrderNone);
        break;
    case IDC_WMPAGE_ORDER_ALL:
        OnOrderChosen(page, ctx, kOrderAll);
        break;
    case IDC_WMPAGE_ORDER_FIRST_OTHER:
        OnOrderChosen(page, ctx, kOrderFirstOther);
        break;
    case IDC_WMPAGE_ORDER_ODD_EVEN:
        OnOrderChosen(page, ctx, kOrderOddEven);
        break;
    case IDC_WMPAGE_ADD:
        OnAdd(page, ctx);
        break;
    case IDC_WMPAGE_EDIT:
        OnEdit(page, ctx);
        break;
    case IDC_WMPAGE_REMOVE:
        OnRemove(page, ctx);
        break;
    default:
        MarkChanged(page);
        break;
    }
}

INT_PTR OnNotify(HWND page, const NMHDR *header) {
    PageContext *ctx = ContextOf(page);
    if (!header || !HasWatermarkContext(ctx)) return FALSE;
    switch (header->code) {
    case PSN_SETACTIVE:
        ShowStoredChoice(page, ctx, false);
        return FALSE;
    case PSN_KILLACTIVE:
        SetWindowLongPtrW(page, DWLP_MSGRESULT, LeavePage(page, ctx) ? FALSE : TRUE);
        return TRUE;
    case PSN_APPLY:
        if (!ctx->readOnly) WriteChoice(page, ctx, static_cast<PrivateDevmode *>(ctx->params->pOEMDM));
        SetWindowLongPtrW(page, DWLP_MSGRESULT, PSNRET_NOERROR);
        return TRUE;
    case PSN_HELP:
        ShowPageHelp(page, ctx->helpFilePath);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR CALLBACK WatermarkPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        auto *description = reinterpret_cast<const PROPSHEETPAGEW *>(lParam);
        auto *ctx = description ? reinterpret_cast<PageContext *>(description->lParam) : nullptr;
        SetWindowLongPtrW(page, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ctx));
        if (HasWatermarkContext(ctx)) ShowStoredChoice(page, ctx, true);
        return TRUE;
    }
    case WM_COMMAND:
        OnCommand(page, wParam);
        return TRUE;
    case WM_NOTIFY:
        return OnNotify(page, reinterpret_cast<const NMHDR *>(lParam));
    default:
        return FALSE;
    }
}
