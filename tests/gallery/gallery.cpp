// Opens every page and dialog of uiplug.dll with sample settings, as a user
// would reach them, and writes a picture of each: the document sheet's pages
// on a printer with a fax card, print-and-hold and manual colour, the
// printer sheet, every dialog the pages open, and the manual-duplex prompt.
//
//   gallery.exe --out <folder> [--suffix <text>]
//
// Each picture is <folder>\<name><suffix>.png; <folder>\pictures<suffix>.txt
// lists them as "<file>\t<title>" lines for the index page.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/raii.h"
#include "resources/resource.h"
#include "settings/private_devmode.h"
#include "tests/host/dialog_driver.h"
#include "tests/host/screenshot.h"
#include "tests/host/ui_host.h"
#include "tests/host/ui_sheet_host.h"
#include "tests/host/wine_printer.h"

namespace {

using testbed::Click;
using testbed::RunModal;

// Control ids the walk presses, as the templates define them.
constexpr int kWatermarkAdd = 1153, kWatermarkEdit = 1167, kWatermarkRemove = 1163;
constexpr int kEditorDynamicBox = 1229, kEditorConfigureDynamic = 1003, kEditorPosition = 1218;
constexpr int kSendCoverPage = 1141, kSetupCoverPage = 1140;
constexpr int kCorrectionMode = 1172, kConfigureCorrection = 1228, kBalanceMode = 1179, kConfigureBalance = 1231;
constexpr int kProfileSave = 1054;

struct Picture {
    std::wstring file;
    std::wstring title;
};

class Gallery {
public:
    Gallery(std::wstring folder, std::wstring suffix) : folder_(std::move(folder)), suffix_(std::move(suffix)) {}

    void Take(HWND window, const std::wstring &name, const std::wstring &title) {
        testbed::PumpMessages(150);
        std::wstring file = name + suffix_ + L".png";
        if (testbed::SaveWindowPictureAs(window, folder_ + L"\\" + file).empty()) {
            std::fwprintf(stderr, L"gallery: no picture of %ls\n", title.c_str());
            ++failures;
            return;
        }
        pictures_.push_back({file, title});
        std::wprintf(L"%ls\n", file.c_str());
    }

    // A dialog that `open` brings up, pictured and then cancelled.
    void TakeModal(const std::function<void()> &open, const std::wstring &name, const std::wstring &title,
                   int closeId = IDCANCEL, const std::function<void(HWND)> &inside = nullptr) {
        bool shown = RunModal(open, [&](HWND dialog) {
            Take(dialog, name, title);
            if (inside) inside(dialog);
            Click(dialog, closeId);
        });
        if (!shown) {
            std::fwprintf(stderr, L"gallery: %ls did not open or close\n", title.c_str());
            ++failures;
        }
    }

    bool WriteList() const {
        std::wstring path = folder_ + L"\\pictures" + suffix_ + L".txt";
        FILE *list = _wfopen(path.c_str(), L"w");
        if (!list) return false;
        for (const Picture &p : pictures_) {
            std::string line;
            for (wchar_t c : p.file + L"\t" + p.title) line += static_cast<char>(c < 128 ? c : '?');
            std::fprintf(list, "%s\n", line.c_str());
        }
        return std::fclose(list) == 0;
    }

    int failures = 0;

private:
    std::wstring folder_, suffix_;
    std::vector<Picture> pictures_;
};

// Clicks a button of `page` as the user does, from inside the sheet's loop.
std::function<void()> Clicking(HWND dialog, int id) {
    return [dialog, id]() { Click(dialog, id); };
}

// Picks the combo box entry whose item data is `value`.
void ChooseValue(HWND dialog, int id, LRESULT value) {
    HWND combo = GetDlgItem(dialog, id);
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) != value) continue;
        testbed::SelectComboItem(dialog, id, static_cast<int>(i));
        return;
    }
}

const wchar_t *PageName(const PROPSHEETPAGEW &page, const wchar_t **title) {
    switch (reinterpret_cast<ULONG_PTR>(page.pszTemplate)) {
    case IDD_OUTPUT_OPTIONS_PAGE: *title = L"Document sheet: Output Options"; return L"document-output-options";
    case IDD_WATERMARK_PAGE: *title = L"Document sheet: Watermark"; return L"document-watermark";
    case IDD_COLOR_PAGE: *title = L"Document sheet: Manual Color"; return L"document-manual-color";
    case IDD_PROFILES_PAGE: *title = L"Document sheet: Profiles"; return L"document-profiles";
    case IDD_ABOUT_DOCUMENT: *title = L"Document sheet: About"; return L"document-about";
    default: *title = L"Document sheet: another page"; return L"document-page";
    }
}

void SampleSettings(PrivateDevmode *dm) {
    dm->watermarksEnabled = 1;
    dm->watermarkOrder = 3;
    lstrcpynW(dm->watermarks[0].name, L"Confidential", 128);
    lstrcpynW(dm->watermarks[1].name, L"Draft", 128);
    dm->outputDestination = DEST_FAX;
    lstrcpynW(dm->fax.recipientName, L"Accounts Department", 128);
    lstrcpynW(dm->fax.recipientFaxNumber, L"+44 20 7946 0000", 128);
    lstrcpynW(dm->fax.stationId, L"Reception", 128);
    dm->fax.sendCoverPage = 1;
    lstrcpynW(dm->fax.senderName, L"Sample Sender", 128);
    dm->fax.coverPageParts = kCoverRecipient | kCoverSender;
    lstrcpynW(dm->holdUserName, L"sample", 25);
    dm->color.correction = 3;
    dm->color.balanceEnabled = 1;
    dm->color.balanceCyan = 2;
    dm->color.balanceBlack = -3;
}

void WalkDocumentSheet(Gallery *gallery, testbed::SheetHost *sheet) {
    for (size_t i = 0; i < sheet->pages.size(); ++i) {
        sheet->Activate(static_cast<int>(i) + 1);
        HWND page = sheet->CurrentPage();
        const wchar_t *title = nullptr;
        const wchar_t *name = PageName(sheet->pages[i], &title);
        gallery->Take(sheet->sheet(), name, title);
        switch (reinterpret_cast<ULONG_PTR>(sheet->pages[i].pszTemplate)) {
        case IDD_WATERMARK_PAGE:
            gallery->TakeModal(Clicking(page, kWatermarkAdd), L"watermark-editor", L"Watermark editor", IDCANCEL,
                               [gallery](HWND editor) {
                                   Click(editor, kEditorDynamicBox);
                                   gallery->TakeModal(Clicking(editor, kEditorConfigureDynamic),
                                                      L"watermark-variables", L"Dynamic watermark variables");
                                   gallery->TakeModal(Clicking(editor, kEditorPosition), L"watermark-position",
                                                      L"Watermark position");
                               });
            gallery->TakeModal(Clicking(page, kWatermarkEdit), L"watermark-edit-selection",
                               L"Watermark to edit");
            gallery->TakeModal(Clicking(page, kWatermarkRemove), L"watermark-remove", L"Watermarks to remove");
            break;
        case IDD_OUTPUT_OPTIONS_PAGE:
            if (!IsDlgButtonChecked(page, kSendCoverPage)) Click(page, kSendCoverPage);
            gallery->TakeModal(Clicking(page, kSetupCoverPage), L"fax-cover-page", L"Fax cover page");
            break;
        case IDD_COLOR_PAGE:
            ChooseValue(page, kCorrectionMode, 3);
            gallery->TakeModal(Clicking(page, kConfigureCorrection), L"color-correction",
                               L"Manual colour correction");
            ChooseValue(page, kBalanceMode, 1);
            gallery->TakeModal(Clicking(page, kConfigureBalance), L"color-balance", L"Colour balance");
            break;
        case IDD_PROFILES_PAGE:
            gallery->TakeModal(Clicking(page, kProfileSave), L"profile-name", L"Profile name");
            break;
        default:
            break;
        }
    }
}

bool Argument(int argc, wchar_t **argv, const wchar_t *name, std::wstring *value) {
    for (int i = 1; i + 1 < argc; ++i)
        if (lstrcmpW(argv[i], name) == 0) {
            *value = argv[i + 1];
            return true;
        }
    return false;
}

}  // namespace

int wmain(int argc, wchar_t **argv) {
    std::wstring folder, suffix;
    if (!Argument(argc, argv, L"--out", &folder)) {
        std::fwprintf(stderr, L"usage: gallery --out <folder> [--suffix <text>]\n");
        return 2;
    }
    Argument(argc, argv, L"--suffix", &suffix);
    CreateDirectoryW(folder.c_str(), nullptr);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    testbed::PrinterSetup printerSetup{L"Gallery Printer", L"Gallery Driver", {}};
    std::wstring error;
    if (!testbed::EnsurePrinter(printerSetup, &error)) {
        std::fwprintf(stderr, L"gallery: %ls\n", error.c_str());
        return 1;
    }
    unique_hprinter printer;
    if (!OpenPrinterW(const_cast<wchar_t *>(printerSetup.printerName.c_str()), printer.put(), nullptr)) return 1;

    testbed::UiPluginHost host;
    if (!host.Create(&error) || FAILED(host.Publish()) || !host.BuildDevmodes(printer.get())) {
        std::fwprintf(stderr, L"gallery: the plug-in did not start: %ls\n", error.c_str());
        return 1;
    }
    host.core.settings["FaxCard"] = "True";
    host.core.features["HasPrintandHold"] = {"True", "False"};
    host.core.features["HasManualColorCorrection"] = {"True", "False"};
    host.core.hasNickName = true;
    host.core.nickName = L"Gallery Colour Laser";
    SampleSettings(host.privateDevmode);
    // Nothing the walk does should ask the user anything; were it to, the
    // question is answered and the walk goes on.
    testbed::MessageBoxCapture boxes(testbed::UiPlugModule());

    Gallery gallery(folder, suffix);
    {
        testbed::SheetHost sheet;
        OEMUIPSPARAM param = host.SheetParam(printer.get());
        host.plugin->DocumentPropertySheets(&sheet.Info(PROPSHEETUI_REASON_INIT, reinterpret_cast<LPARAM>(&param)),
                                            0);
        if (sheet.Show()) WalkDocumentSheet(&gallery, &sheet);
        else ++gallery.failures;
        sheet.Close();
        host.plugin->DocumentPropertySheets(&sheet.Info(PROPSHEETUI_REASON_DESTROY), 0);
    }
    {
        testbed::SheetHost sheet;
        OEMUIPSPARAM param = host.SheetParam(printer.get());
        host.plugin->DevicePropertySheets(&sheet.Info(PROPSHEETUI_REASON_INIT, reinterpret_cast<LPARAM>(&param)), 0);
        if (sheet.Show()) {
            sheet.Activate(static_cast<int>(sheet.pages.size()));
            gallery.Take(sheet.sheet(), L"printer-about", L"Printer sheet: About");
        } else {
            ++gallery.failures;
        }
        sheet.Close();
        host.plugin->DevicePropertySheets(&sheet.Info(PROPSHEETUI_REASON_DESTROY), 0);
    }
    using PromptFn = int(CALLBACK *)(HWND, HINSTANCE, LPSTR, int);
    auto prompt = reinterpret_cast<PromptFn>(
        reinterpret_cast<void *>(GetProcAddress(testbed::UiPlugModule(), "CreateManualDuplexDlg")));
    if (prompt) {
        char noArguments[] = "";
        gallery.TakeModal([&]() { prompt(nullptr, testbed::UiPlugModule(), noArguments, SW_SHOW); },
                          L"manual-duplex-prompt", L"Manual duplex prompt", IDOK);
    } else {
        ++gallery.failures;
    }
    if (!gallery.WriteList()) ++gallery.failures;
    if (!boxes.shown.empty()) {
        std::fwprintf(stderr, L"gallery: %zu message box(es) came up, the first: %ls\n", boxes.shown.size(),
                      boxes.shown.front().text.c_str());
        ++gallery.failures;
    }
    return gallery.failures ? 1 : 0;
}
