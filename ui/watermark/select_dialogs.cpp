#include "ui/watermark/select_dialogs.h"

#include <commctrl.h>

#include "platform/raii.h"
#include "resources/resource.h"
#include "settings/private_devmode.h"
#include "ui/frame/activation_context.h"
#include "ui/frame/module.h"
#include "ui/watermark/store.h"
#include "ui/watermark/watermark_context.h"

namespace {

constexpr UINT_PTR kEditListSubclassId = 1;
constexpr LRESULT kNameChars = 128;

PageContext *ContextOf(HWND dialog) {
    return reinterpret_cast<PageContext *>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
}

// Reads list item `index` when its text fits a watermark name (1 to 127
// characters); `name` holds kNameChars characters.
bool ReadListName(HWND list, LRESULT index, wchar_t *name) {
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 1 || length >= kNameChars) return false;
    return SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(name)) == length;
}

void ShowError(HWND owner, UINT textId, UINT captionId, UINT type) {
    wchar_t text[kUiStringChars], caption[kUiStringChars];
    LoadUiString(textId, text, kUiStringChars);
    if (captionId) LoadUiString(captionId, caption, kUiStringChars);
    MessageBoxW(owner, text, captionId ? caption : nullptr, type);
}

// --- Edit selection ---------------------------------------------------------

void AcceptEditSelection(HWND dialog) {
    PageContext *ctx = ContextOf(dialog);
    if (!HasWatermarkContext(ctx)) return;
    ctx->editIsNew = 0;
    MakeDefaultWatermark(&ctx->editWatermark);
    // A name left from an earlier edit must not stand in for "nothing chosen".
    ctx->editChosenName[0] = L'\0';
    HWND list = GetDlgItem(dialog, IDC_WMSELECT_LIST);
    LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
    wchar_t name[kNameChars];
    if (index != LB_ERR && ReadListName(list, index, name)) lstrcpynW(ctx->editChosenName, name, kNameChars);
    EndDialog(dialog, 1);
}

// A double click on an item accepts it; one on the empty space below the
// last item (which the list reports as outside its items) does not.
LRESULT CALLBACK EditListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    switch (message) {
    case WM_LBUTTONDBLCLK:
        if (HIWORD(SendMessageW(list, LB_ITEMFROMPOINT, 0, lParam)) == 0) AcceptEditSelection(GetParent(list));
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(list, EditListProc, id);
        break;
    default:
        break;
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

void InitEditSelection(HWND dialog, PageContext *ctx) {
    SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ctx));
    if (!HasWatermarkContext(ctx)) return;
    HWND list = GetDlgItem(dialog, IDC_WMSELECT_LIST);
    FillWatermarkList(WatermarkPrinter(ctx), list);
    SendMessageW(list, LB_SETCURSEL, 0, 0);
    SetWindowSubclass(list, EditListProc, kEditListSubclassId, 0);
}

INT_PTR CALLBACK EditSelectionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitEditSelection(dialog, reinterpret_cast<PageContext *>(lParam));
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) return FALSE;
        if (LOWORD(wParam) == IDOK) {
            AcceptEditSelection(dialog);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, 2);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

// --- Remove -----------------------------------------------------------------

void EnableRemove(HWND dialog) {
    LRESULT selected = SendDlgItemMessageW(dialog, IDC_WMREMOVE_LIST, LB_GETSELCOUNT, 0, 0);
    EnableWindow(GetDlgItem(dialog, IDC_WMREMOVE_REMOVE), selected != LB_ERR && selected > 0);
}

void RemoveSelected(HWND dialog) {
    PageContext *ctx = ContextOf(dialog);
    if (!HasWatermarkContext(ctx)) return;
    HWND list = GetDlgItem(dialog, IDC_WMREMOVE_LIST);
    LRESULT count = SendMessageW(list, LB_GETSELCOUNT, 0, 0);
    if (count == LB_ERR || count <= 0) return;
    wchar_t text[kUiStringChars], caption[kUiStringChars];
    LoadUiString(IDS_CONFIRM_WM_REMOVE, text, kUiStringChars);
    LoadUiString(IDS_CAPTION_WARNING, caption, kUiStringChars);
    if (MessageBoxW(dialog, text, caption, MB_ICONWARNING | MB_YESNO) != IDYES) return;

    unique_process_heap_ptr buffer(HeapAlloc(GetProcessHeap(), 0, static_cast<SIZE_T>(count) * sizeof(int)));
    if (!buffer) return;
    auto *indexes = static_cast<int *>(buffer.get());
    LRESULT fetched = SendMessageW(list, LB_GETSELITEMS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(indexes));
    if (fetched == LB_ERR) fetched = 0;
    HANDLE printer = WatermarkPrinter(ctx);
    for (LRESULT i = 0; i < fetched && i < count; ++i) {
        wchar_t name[kNameChars];
        LRESULT length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(indexes[i]), 0);
        if (length == LB_ERR || length >= kNameChars) continue;
        name[0] = L'\0';
        SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(indexes[i]), reinterpret_cast<LPARAM>(name));
        if (!DeleteWatermark(printer, name)) ShowError(dialog, IDS_ERR_REMOVE_REGISTRY, 0, MB_ICONERROR);
    }
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    FillWatermarkList(printer, list);
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDCANCEL)), TRUE);
    EnableWindow(GetDlgItem(dialog, IDC_WMREMOVE_REMOVE), FALSE);
}

void InitRemove(HWND dialog, PageContext *ctx) {
    SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ctx));
    if (!HasWatermarkContext(ctx)) return;
    FillWatermarkList(WatermarkPrinter(ctx), GetDlgItem(dialog, IDC_WMREMOVE_LIST));
    EnableRemove(dialog);
}

INT_PTR CALLBACK RemoveProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitRemove(dialog, reinterpret_cast<PageContext *>(lParam));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_WMREMOVE_LIST:
            if (HIWORD(wParam) == LBN_SELCHANGE && HasWatermarkContext(ContextOf(dialog))) EnableRemove(dialog);
            return TRUE;
        case IDC_WMREMOVE_REMOVE:
            if (HIWORD(wParam) == BN_CLICKED) RemoveSelected(dialog);
            return TRUE;
        case IDCANCEL:
            // Close works even without a context, so the dialog can always be left.
            if (HIWORD(wParam) == BN_CLICKED) EndDialog(dialog, 2);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

INT_PTR RunDialog(HWND owner, WORD templateId, DLGPROC proc, PageContext *ctx) {
    if (!HasWatermarkContext(ctx)) return 2;
    ActivationScope scope;
    return DialogBoxParamW(UiModule(), MAKEINTRESOURCEW(templateId), owner, proc, reinterpret_cast<LPARAM>(ctx));
}

}  // namespace

INT_PTR RunEditSelectionDialog(HWND owner, PageContext *ctx) {
    return RunDialog(owner, IDD_WATERMARK_EDIT_SELECT, EditSelectionProc, ctx);
}

INT_PTR RunRemoveDialog(HWND owner, PageContext *ctx) {
    return RunDialog(owner, IDD_WATERMARK_REMOVE, RemoveProc, ctx);
}
