#include "ui/about/about_page.h"

#include <commctrl.h>
#include <winspool.h>
#include <strsafe.h>
#include <cwchar>

#include "platform/raii.h"
#include "product_version.h"
#include "resources/resource.h"
#include "ui/frame/module.h"
#include "ui/sheets/page_context.h"
#include "ui/sheets/page_help.h"
#include "ui/printer/spooler_info.h"

const wchar_t kPluginVersionText[] = PSPLUGIN_PRODUCT_VERSION_WTEXT;

namespace {

constexpr int kColumnMargin = 25;
constexpr size_t kVersionChars = 256;

struct LanguageCodePage {
    WORD language;
    WORD codePage;
};

PageContext *ContextOf(HWND page) { return reinterpret_cast<PageContext *>(GetWindowLongPtrW(page, GWLP_USERDATA)); }

void InsertColumns(HWND list) {
    RECT rect{};
    GetWindowRect(list, &rect);
    int width = rect.right - rect.left;
    wchar_t text[kUiStringChars];
    LVCOLUMNW column{};
    column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.pszText = text;
    LoadUiString(IDS_COLUMN_FILE, text, kUiStringChars);
    column.cx = (width - kColumnMargin) / 3;
    int first = column.cx;
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    LoadUiString(IDS_COLUMN_VERSION, text, kUiStringChars);
    column.cx = width - kColumnMargin - first;
    SendMessageW(list, LVM_INSERTCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
}

const wchar_t *FileNamePart(const wchar_t *path) {
    const wchar_t *slash = std::wcsrchr(path, L'\\');
    return slash ? slash + 1 : path;
}

// Adds one file at row `rowHint` (the list keeps itself sorted by name).
// False only when the list refused the row.
bool AddFileRow(HWND list, const wchar_t *path, int rowHint) {
    wchar_t version[kVersionChars];
    if (!ReadFileVersionText(path, version, kVersionChars)) return true;
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = rowHint;
    item.pszText = const_cast<wchar_t *>(FileNamePart(path));
    auto row = SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    if (row < 0) return false;
    LVITEMW versionItem{};
    versionItem.iSubItem = 1;
    versionItem.pszText = version;
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&versionItem));
    return true;
}

void FillFileList(HWND page, HANDLE printer) {
    HWND list = GetDlgItem(page, IDC_ABOUT_FILES);
    if (!list || !printer) return;
    InsertColumns(list);
    unique_process_heap_ptr buffer;
    if (!ReadDriverInfo(printer, 3, &buffer)) return;
    auto *info = static_cast<const DRIVER_INFO_3W *>(buffer.get());
    int added = 0;
    if (info->pConfigFile && AddFileRow(list, info->pConfigFile, added)) ++added;
    if (info->pDriverPath && AddFileRow(list, info->pDriverPath, added)) ++added;
    if (!info->pDependentFiles) return;
    for (const wchar_t *name = info->pDependentFiles; *name; name += std::wcslen(name) + 1)
        if (AddFileRow(list, name, added)) ++added;
}

void SetTitle(HWND title, IPrintCoreUI2 *helper, POEMUIOBJ poemuiobj) {
    DWORD type = 0, needed = 0;
    helper->GetGlobalAttribute(poemuiobj, 0, "NickName", &type, nullptr, 0, &needed);
    if (needed == 0) return;
    // Zero-filled and one character longer, so the name ends whatever the driver wrote.
    unique_process_heap_ptr name(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, needed + sizeof(wchar_t)));
    if (!name) return;
    if (helper->GetGlobalAttribute(poemuiobj, 0, "NickName", &type, static_cast<BYTE *>(name.get()), needed,
                                   &needed) != S_OK)
        return;
    wchar_t format[kUiStringChars], text[kUiStringChars];
    LoadUiString(IDS_DRIVER_TITLE, format, kUiStringChars);
    if (SUCCEEDED(StringCchPrintfW(text, kUiStringChars, format, static_cast<const wchar_t *>(name.get()))))
        SetWindowTextW(title, text);
}

void SetTitleAndVersion(HWND page, IPrintCoreUI2 *helper, POEMUIOBJ poemuiobj) {
    HWND title = GetDlgItem(page, IDC_ABOUT_TITLE);
    HWND version = GetDlgItem(page, IDC_ABOUT_VERSION);
    if (!helper || !poemuiobj || !title || !version) return;
    SetTitle(title, helper, poemuiobj);
    wchar_t format[kUiStringChars], text[kUiStringChars];
    LoadUiString(IDS_VERSION_LINE, format, kUiStringChars);
    if (SUCCEEDED(StringCchPrintfW(text, kUiStringChars, format, kPluginVersionText))) SetWindowTextW(version, text);
}

void OnInitDialog(HWND page, const PROPSHEETPAGEW *description) {
    auto *ctx = description ? reinterpret_cast<PageContext *>(description->lParam) : nullptr;
    if (!ctx) return;
    SetWindowLongPtrW(page, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ctx));
    FillFileList(page, ctx->params ? ctx->params->hPrinter : nullptr);
    SetTitleAndVersion(page, ctx->coreHelper, ctx->params ? ctx->params->poemuiobj : nullptr);
}

void OnNotify(HWND page, const NMHDR *header) {
    if (!header) return;
    switch (header->code) {
    case PSN_SETACTIVE:
        // The page has no context help of its own.
        ShowFrameContextHelp(page, false);
        break;
    case PSN_KILLACTIVE:
        ShowFrameContextHelp(page, true);
        break;
    case PSN_HELP: {
        PageContext *ctx = ContextOf(page);
        ShowPageHelp(page, ctx ? ctx->helpFilePath : nullptr);
        break;
    }
    default:
        break;
    }
}

}  // namespace

bool ReadFileVersionText(const wchar_t *path, wchar_t *version, size_t chars) {
    if (!path || !version || chars == 0) return false;
    version[0] = L'\0';
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) {
        LoadUiString(IDS_NOT_AVAILABLE, version, static_cast<int>(chars));
        return true;
    }
    unique_process_heap_ptr block(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size));
    if (!block || !GetFileVersionInfoW(path, 0, size, block.get())) return false;
    LanguageCodePage *translation = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.get(), L"\\VarFileInfo\\Translation", reinterpret_cast<void **>(&translation),
                        &length) ||
        !translation || length < sizeof(LanguageCodePage))
        return false;
    wchar_t query[64];
    DWORD key = static_cast<DWORD>(translation->language) * 65536 + translation->codePage;
    if (FAILED(StringCchPrintfW(query, 64, L"\\StringFileInfo\\%08lx\\FileVersion", key))) return false;
    wchar_t *text = nullptr;
    if (!VerQueryValueW(block.get(), query, reinterpret_cast<void **>(&text), &length) || !text || length == 0 ||
        !text[0])
        return false;
    StringCchCopyW(version, chars, text);  // a longer version string is shown cut short
    return true;
}

INT_PTR CALLBACK AboutPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(page, reinterpret_cast<const PROPSHEETPAGEW *>(lParam));
        return TRUE;
    case WM_NOTIFY:
        OnNotify(page, reinterpret_cast<const NMHDR *>(lParam));
        return FALSE;
    default:
        return FALSE;
    }
}
