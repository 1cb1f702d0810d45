#include "ui/profiles/profiles_page.h"

#include <prsht.h>
#include <strsafe.h>
#include <cwchar>
#include <iterator>

#include "resources/resource.h"
#include "ui/frame/module.h"
#include "ui/sheets/page_context.h"
#include "ui/sheets/page_controls.h"
#include "ui/sheets/page_help.h"
#include "ui/profiles/item_values.h"
#include "ui/profiles/name_dialog.h"
#include "ui/profiles/profile_fields.h"
#include "ui/profiles/store.h"

namespace {

struct PageTexts {
    wchar_t factory[kUiStringChars];
    wchar_t unknown[kUiStringChars];
    PageTexts() {
        LoadUiString(IDS_FACTORY_DEFAULTS, factory, kUiStringChars);
        LoadUiString(IDS_UNKNOWN_PROFILE, unknown, kUiStringChars);
    }
};

PageContext *ContextOf(HWND page) { return reinterpret_cast<PageContext *>(GetWindowLongPtrW(page, GWLP_USERDATA)); }

HANDLE PrinterOf(const PageContext *ctx) { return ctx->params ? ctx->params->hPrinter : nullptr; }

PrivateDevmode *DriverRecord(const PageContext *ctx) {
    return ctx->params ? static_cast<PrivateDevmode *>(ctx->params->pOEMDM) : nullptr;
}

HWND ListOf(HWND page) { return GetDlgItem(page, IDC_PROFILE_LIST); }

void CurrentProfile(HWND page, wchar_t (&name)[kProfileNameChars]) {
    name[0] = L'\0';
    GetDlgItemTextW(page, IDC_PROFILE_CURRENT, name, kProfileNameChars);
}

void SetCurrentProfile(HWND page, const wchar_t *name) { SetDlgItemTextW(page, IDC_PROFILE_CURRENT, name); }

LRESULT FindEntry(HWND list, const wchar_t *name) {
    return SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(name));
}

bool EntryText(HWND list, LRESULT index, wchar_t (&name)[kProfileNameChars]) {
    name[0] = L'\0';
    if (index < 0) return false;
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, index, 0);
    if (length < 0 || length >= static_cast<LRESULT>(kProfileNameChars)) return false;
    return SendMessageW(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(name)) != LB_ERR;
}

// The entry an action works on: the selected one, or else the loaded one
// (which is what the buttons offer when nothing is selected).
bool ActionEntry(HWND page, LRESULT *index, wchar_t (&name)[kProfileNameChars]) {
    HWND list = ListOf(page);
    *index = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (*index == LB_ERR) {
        wchar_t current[kProfileNameChars];
        CurrentProfile(page, current);
        *index = FindEntry(list, current);
    }
    return EntryText(list, *index, name);
}

void Enable(HWND page, int id, bool enabled) { EnableWindow(GetDlgItem(page, id), enabled ? TRUE : FALSE); }

void ApplyEnableRules(HWND page) {
    const PageTexts texts;
    HWND list = ListOf(page);
    wchar_t current[kProfileNameChars];
    CurrentProfile(page, current);
    LRESULT loaded = FindEntry(list, current);
    LRESULT selected = SendMessageW(list, LB_GETCURSEL, 0, 0);
    bool isFactory = std::wcscmp(current, texts.factory) == 0;
    bool loadChange = false, renameDelete = false;
    if (selected == LB_ERR) {
        loadChange = isFactory && loaded != LB_ERR;
    } else {
        loadChange = renameDelete = selected != loaded;
    }
    Enable(page, IDC_PROFILE_LOAD, loadChange);
    Enable(page, IDC_PROFILE_CHANGE, loadChange);
    Enable(page, IDC_PROFILE_RENAME, renameDelete);
    Enable(page, IDC_PROFILE_DELETE, renameDelete);
    Enable(page, IDC_PROFILE_SAVE, true);
    Enable(page, IDC_PROFILE_LOAD_DEFAULTS, !isFactory);
    SetFocus(list);
}

LRESULT AddEntry(HWND list, const wchar_t *name) {
    LRESULT index = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    RaiseListExtent(list, std::wcslen(name));
    return index;
}

void MarkSheetChanged(HWND page) { PropSheet_Changed(GetParent(page), page); }

void RecordLoadedName(PageContext *ctx, const wchar_t *name) {
    if (PrivateDevmode *driverDm = DriverRecord(ctx))
        StringCchCopyW(driverDm->loadedProfileName, std::size(driverDm->loadedProfileName), name);
}

void OnSave(HWND page, PageContext *ctx) {
    RunNameDialog(page, ctx, NameDialogForm::Save);
    if (ctx->nameDialogResult != 1) return;
    ctx->nameDialogResult = 2;
    // The list shows what the registry holds: a profile that could not be
    // written is not added.
    if (SaveProfile(ctx->driverItems, ctx->newProfileName, PrinterOf(ctx), ctx)) {
        HWND list = ListOf(page);
        SendMessageW(list, LB_SETCURSEL, AddEntry(list, ctx->newProfileName), 0);
        SetCurrentProfile(page, ctx->newProfileName);
    }
    ApplyEnableRules(page);
}

void OnLoad(HWND page, PageContext *ctx) {
    LRESULT index = 0;
    wchar_t name[kProfileNameChars];
    if (!ActionEntry(page, &index, name)) return;
    RecordLoadedName(ctx, name);
    SetCurrentProfile(page, name);
    LoadProfile(ctx, name, PrinterOf(ctx));
    RecordLoadedName(ctx, name);
    if (PrivateDevmode *driverDm = DriverRecord(ctx)) driverDm->profileLoaded = 1;
    ApplyEnableRules(page);
    MarkSheetChanged(page);
}

void OnChange(HWND page, PageContext *ctx) {
    LRESULT index = 0;
    wchar_t name[kProfileNameChars];
    if (!ActionEntry(page, &index, name)) return;
    if (ShowProfileMessage(page, IDS_CONFIRM_PROFILE_CHANGE, MB_YESNO | MB_ICONQUESTION, name) == IDYES &&
        ReplaceProfile(ctx->driverItems, name, PrinterOf(ctx), ctx))
        SetCurrentProfile(page, name);
    ApplyEnableRules(page);
}

void OnRename(HWND page, PageContext *ctx) {
    LRESULT index = 0;
    wchar_t oldName[kProfileNameChars];
    if (!ActionEntry(page, &index, oldName)) return;
    StringCchCopyW(ctx->selectedProfileName, kProfileNameChars, oldName);
    RunNameDialog(page, ctx, NameDialogForm::Rename);
    if (ctx->nameDialogResult != 1) return;
    ctx->nameDialogResult = 2;
    if (RenameProfile(oldName, ctx->newProfileName, PrinterOf(ctx))) {
        HWND list = ListOf(page);
        SendMessageW(list, LB_DELETESTRING, index, 0);
        SendMessageW(list, LB_SETCURSEL, AddEntry(list, ctx->newProfileName), 0);
        // The settings still come from the same profile, under its new name.
        wchar_t current[kProfileNameChars];
        CurrentProfile(page, current);
        if (lstrcmpiW(current, oldName) == 0) SetCurrentProfile(page, ctx->newProfileName);
    }
    ApplyEnableRules(page);
}

void OnDelete(HWND page, PageContext *ctx) {
    LRESULT index = 0;
    wchar_t name[kProfileNameChars];
    if (!ActionEntry(page, &index, name)) return;
    if (ShowProfileMessage(page, IDS_CONFIRM_PROFILE_DELETE, MB_YESNO | MB_ICONQUESTION, name) == IDYES &&
        DeleteProfile(name, PrinterOf(ctx))) {
        HWND list = ListOf(page);
        SendMessageW(list, LB_DELETESTRING, index, 0);
        SendMessageW(list, LB_SETCURSEL, 0, 0);
        SetCurrentProfile(page, PageTexts().unknown);
    }
    ApplyEnableRules(page);
}

void OnLoadFactoryDefaults(HWND page, PageContext *ctx) {
    const PageTexts texts;
    LoadProfile(ctx, texts.factory, PrinterOf(ctx));
    RecordLoadedName(ctx, texts.factory);
    if (PrivateDevmode *driverDm = DriverRecord(ctx)) driverDm->profileLoaded = 1;
    SetCurrentProfile(page, texts.factory);
    ApplyEnableRules(page);
    MarkSheetChanged(page);
}

void OnInitDialog(HWND page, const PROPSHEETPAGEW *description) {
    auto *ctx = description ? reinterpret_cast<PageContext *>(description->lParam) : nullptr;
    if (!ctx) return;
    SetWindowLongPtrW(page, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ctx));
    SetCurrentProfile(page, PageTexts().factory);
    HWND list = ListOf(page);
    ListProfiles(list, PrinterOf(ctx));
    if (const PrivateDevmode *driverDm = DriverRecord(ctx)) {
        wchar_t recorded[kProfileNameChars];
        StringCchCopyW(recorded, kProfileNameChars, driverDm->loadedProfileName);
        LRESULT index = recorded[0] ? FindEntry(list, recorded) : LB_ERR;
        if (index != LB_ERR) SendMessageW(list, LB_SETCURSEL, index, 0);
    }
    wchar_t selected[kProfileNameChars];
    if (EntryText(list, SendMessageW(list, LB_GETCURSEL, 0, 0), selected)) SetCurrentProfile(page, selected);
    ApplyEnableRules(page);
    if (ctx->readOnly == 1) DisableAllControls(page);
}

void OnSetActive(HWND page, PageContext *ctx) {
    ShowFrameContextHelp(page, false);
    if (ctx->readOnly == 1) return;
    const PageTexts texts;
    wchar_t current[kProfileNameChars];
    CurrentProfile(page, current);
    if (std::wcscmp(current, texts.unknown) != 0 && !ProfileMatchesSettings(current, PrinterOf(ctx), ctx)) {
        SetCurrentProfile(page, texts.unknown);
        SendMessageW(ListOf(page), LB_SETCURSEL, 0, 0);
    }
    ApplyEnableRules(page);
}

void OnApply(HWND page, PageContext *ctx) {
    const PageTexts texts;
    wchar_t current[kProfileNameChars];
    CurrentProfile(page, current);
    if (std::wcscmp(current, texts.unknown) == 0)
        StringCchCopyW(ctx->work.loadedProfileName, std::size(ctx->work.loadedProfileName), texts.unknown);
    else if (ProfileMatchesSettings(current, PrinterOf(ctx), ctx))
        StringCchCopyW(ctx->work.loadedProfileName, std::size(ctx->work.loadedProfileName), current);
    CopyProfileFields(ctx, nullptr);
    ctx->changed = 1;
}

void OnCommand(HWND page, WORD id, WORD code) {
    PageContext *ctx = ContextOf(page);
    if (!ctx) return;
    switch (id) {
    case IDC_PROFILE_LIST:
        if (code == LBN_SELCHANGE) ApplyEnableRules(page);
        break;
    case IDC_PROFILE_SAVE:
        OnSave(page, ctx);
        break;
    case IDC_PROFILE_LOAD:
        OnLoad(page, ctx);
        break;
    case IDC_PROFILE_CHANGE:
        OnChange(page, ctx);
        break;
    case IDC_PROFILE_RENAME:
        OnRename(page, ctx);
        break;
    case IDC_PROFILE_DELETE:
        OnDelete(page, ctx);
        break;
    case IDC_PROFILE_LOAD_DEFAULTS:
        OnLoadFactoryDefaults(page, ctx);
        break;
    default:
        break;
    }
}

void OnNotify(HWND page, const NMHDR *header) {
    PageContext *ctx = ContextOf(page);
    if (!header || !ctx) return;
    switch (header->code) {
    case PSN_SETACTIVE:
        OnSetActive(page, ctx);
        break;
    case PSN_APPLY:
        OnApply(page, ctx);
        break;
    case PSN_HELP:
        ShowPageHelp(page, ctx->helpFilePath);
        break;
    default:
        break;
    }
}

}  // namespace

INT_PTR CALLBACK ProfilesPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(page, reinterpret_cast<const PROPSHEETPAGEW *>(lParam));
        return TRUE;
    case WM_COMMAND:
        OnCommand(page, LOWORD(wParam), HIWORD(wParam));
        return FALSE;
    case WM_NOTIFY:
        OnNotify(page, reinterpret_cast<const NMHDR *>(lParam));
        return FALSE;
    default:
        return FALSE;
    }
}
