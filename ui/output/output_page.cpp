#include "ui/output/output_page.h"

#include <prsht.h>
#include <strsafe.h>

#include <cstring>
#include <cwchar>
#include <iterator>

#include "resources/resource.h"
#include "settings/private_devmode.h"
#include "ui/frame/activation_context.h"
#include "ui/sheets/feature_queries.h"
#include "ui/frame/module.h"
#include "ui/output/cover_page_dialog.h"
#include "ui/output/hold_rules.h"
#include "ui/output/output_store.h"
#include "ui/sheets/page_context.h"
#include "ui/sheets/page_controls.h"
#include "ui/sheets/page_help.h"

namespace {

// What the edits take; the fields behind them hold more.
constexpr int kRecipientNameLimit = 45;
constexpr int kFaxNumberLimit = 60;
constexpr int kStationLimit = 24;
constexpr int kPinLimit = 4;
constexpr int kUserNameLimit = static_cast<int>(kHoldUserNameChars);

constexpr DWORD kLogonNameChars = 26;
// Room for more than a PIN, so that a longer text is refused rather than cut.
constexpr int kPinReadChars = 16;
constexpr int kFaxTextChars = 128;
constexpr int kFineResolution = 0;

struct DestinationEntry {
    UINT text;
    uint32_t destination;
};

const DestinationEntry kHoldEntries[] = {
    {IDS_DEST_CONFIDENTIAL, DEST_CONFIDENTIAL},
    {IDS_DEST_RESERVE, DEST_RESERVE},
    {IDS_DEST_REPEAT, DEST_REPEAT},
    {IDS_DEST_VERIFY, DEST_VERIFY},
};

// The list entry of a stored destination is found by its text. File and EPS
// are never listed, so a job bound for either shows no destination.
const UINT kDestinationTexts[] = {IDS_DEST_PRINTER,      IDS_DEST_FILE,    IDS_DEST_EPS,    IDS_DEST_FAX,
                                  IDS_DEST_CONFIDENTIAL, IDS_DEST_RESERVE, IDS_DEST_REPEAT, IDS_DEST_VERIFY};
static_assert(std::size(kDestinationTexts) == DEST_VERIFY + 1, "one text per destination");

// Shown, hidden and enabled together; the cover page button comes last
// because it also waits for "Send cover page".
const int kFaxControls[] = {IDC_OUT_FAX_GROUP,        IDC_OUT_RECIPIENT_LABEL, IDC_OUT_RECIPIENT,
                            IDC_OUT_FAX_NUMBER_LABEL, IDC_OUT_FAX_NUMBER,      IDC_OUT_STATION_LABEL,
                            IDC_OUT_STATION,          IDC_OUT_RESOLUTION_LABEL, IDC_OUT_RESOLUTION,
                            IDC_OUT_SEND_COVER,       IDC_OUT_SETUP_COVER};

struct PrinterFeatures {
    bool faxCard;
    bool printAndHold;
    bool keepPrevious;
};

// What the controls hold when the page is left or applied.
struct PageValues {
    uint32_t destination;
    HoldAllowed allowed;
    wchar_t userName[kHoldUserNameChars + 1];
    wchar_t pin[kPinReadChars];
    bool keep;
    wchar_t recipientName[kFaxTextChars];
    wchar_t faxNumber[kFaxTextChars];
    wchar_t station[kFaxTextChars];
    bool sendCoverPage;
    bool fineSelected;
};

struct Refusal {
    UINT message;  // 0: accepted
    int control;
};

PageContext *ContextOf(HWND page) { return reinterpret_cast<PageContext *>(GetWindowLongPtrW(page, GWLP_USERDATA)); }

// The page shows and takes the job's settings only with everything it asks.
bool IsLive(const PageContext *ctx) {
    return ctx && ctx->params && ctx->params->hPrinter && ctx->params->poemuiobj && ctx->coreHelper;
}

PrinterFeatures AskFeatures(const PageContext *ctx) {
    POEMUIOBJ object = ctx->params->poemuiobj;
    return {FeatureSettingIsTrue(ctx->coreHelper, object, "FaxCard"),
            FeatureExists(ctx->coreHelper, object, "HasPrintandHold"),
            FeatureExists(ctx->coreHelper, object, "HasKeepPreviousPHJobs")};
}

// The page's own texts raise EN_CHANGE too; while it fills itself that is
// not the user changing the job.
class FillingScope {
public:
    explicit FillingScope(HWND page) : page_(page) { SetWindowLongPtrW(page_, DWLP_USER, 1); }
    ~FillingScope() { SetWindowLongPtrW(page_, DWLP_USER, 0); }
    FillingScope(const FillingScope &) = delete;
    FillingScope &operator=(const FillingScope &) = delete;

private:
    HWND page_;
};

bool IsFilling(HWND page) { return GetWindowLongPtrW(page, DWLP_USER) != 0; }

bool Checked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

void Enable(HWND page, int id, bool on) { EnableWindow(GetDlgItem(page, id), on ? TRUE : FALSE); }

void Show(HWND page, int id, bool on) { ShowWindow(GetDlgItem(page, id), on ? SW_SHOWNA : SW_HIDE); }

void Limit(HWND page, int id, int chars) { SendDlgItemMessageW(page, id, EM_LIMITTEXT, chars, 0); }

// Shows a record's text, which need not be terminated.
template <size_t N>
void ShowField(HWND page, int id, const wchar_t (&field)[N]) {
    wchar_t text[N];
    const size_t length = wcsnlen(field, N - 1);
    wmemcpy(text, field, length);
    text[length] = L'\0';
    SetDlgItemTextW(page, id, text);
}

void NotifyChanged(HWND page) { PropSheet_Changed(GetParent(page), page); }

void AddDestination(HWND list, UINT text, uint32_t destination) {
    wchar_t name[kUiStringChars];
    LoadUiString(text, name, kUiStringChars);
    const LRESULT index = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    if (index >= 0) SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(index), destination);
}

void FillDestinationList(HWND page, const PrinterFeatures &features) {
    HWND list = GetDlgItem(page, IDC_OUT_DESTINATIONS);
    AddDestination(list, IDS_DEST_PRINTER, DEST_PRINTER);
    if (features.faxCard) AddDestination(list, IDS_DEST_FAX, DEST_FAX);
    if (features.printAndHold)
        for (const DestinationEntry &entry : kHoldEntries) AddDestination(list, entry.text, entry.destination);
}

// A destination this version does not know goes to the printer.
void SelectStoredDestination(HWND page, PrivateDevmode *work) {
    if (work->outputDestination > DEST_VERIFY) work->outputDestination = DEST_PRINTER;
    HWND list = GetDlgItem(page, IDC_OUT_DESTINATIONS);
    wchar_t name[kUiStringChars];
    LoadUiString(kDestinationTexts[work->outputDestination], name, kUiStringChars);
    if (SendMessageW(list, LB_SELECTSTRING, 0, reinterpret_cast<LPARAM>(name)) == LB_ERR)
        SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

uint32_t SelectedDestination(HWND page) {
    HWND list = GetDlgItem(page, IDC_OUT_DESTINATIONS);
    const LRESULT index = SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR) return DEST_PRINTER;
    const LRESULT data = SendMessageW(list, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    return data == LB_ERR ? DEST_PRINTER : static_cast<uint32_t>(data);
}

// The fax details last sent win over the job's own, unless they name nobody.
const FaxInfo &ChooseFaxSource(PageContext *ctx) {
    const FaxInfo &saved = ctx->savedFaxInfo;
    const bool useSaved = ReadFaxInfo(ctx->params->hPrinter, &ctx->savedFaxInfo) &&
                          !(saved.recipientFaxNumber[0] == L'\0' && saved.recipientName[0] == L'\0');
    return useSaved ? saved : ctx->work.fax;
}

void FillFaxFields(HWND page, PageContext *ctx, const FaxInfo &source, bool selectResolution) {
    Limit(page, IDC_OUT_RECIPIENT, kRecipientNameLimit);
    ShowField(page, IDC_OUT_RECIPIENT, source.recipientName);
    Limit(page, IDC_OUT_FAX_NUMBER, kFaxNumberLimit);
    ShowField(page, IDC_OUT_FAX_NUMBER, source.recipientFaxNumber);
    Limit(page, IDC_OUT_STATION, kStationLimit);
    ShowField(page, IDC_OUT_STATION, source.stationId);
    if (selectResolution && source.resolution == 0)
        SendDlgItemMessageW(page, IDC_OUT_RESOLUTION, CB_SETCURSEL, kFineResolution, 0);
    CheckDlgButton(page, IDC_OUT_SEND_COVER, source.sendCoverPage ? BST_CHECKED : BST_UNCHECKED);
    Enable(page, IDC_OUT_SETUP_COVER, source.sendCoverPage != 0);
    memcpy(&ctx->coverPageWork, reinterpret_cast<const BYTE *>(&source) + kCoverPageBlockOffset,
           kCoverPageBlockSize);
}

void AddResolutions(HWND page) {
    wchar_t fine[kUiStringChars];
    LoadUiString(IDS_FAX_RESOLUTION_FINE, fine, kUiStringChars);
    SendDlgItemMessageW(page, IDC_OUT_RESOLUTION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(fine));
}

void ShowFaxControls(HWND page, bool show) {
    for (int id : kFaxControls) Show(page, id, show);
}

void EnableFaxControls(HWND page, bool enable, bool cover) {
    for (int id : kFaxControls) Enable(page, id, id == IDC_OUT_SETUP_COVER ? enable && cover : enable);
}

void EnableHoldControls(HWND page, const HoldAllowed &allowed) {
    Enable(page, IDC_OUT_KEEP, allowed.keep);
    Enable(page, IDC_OUT_PIN, allowed.pin);
    Enable(page, IDC_OUT_PIN_LABEL, allowed.pin);
    Enable(page, IDC_OUT_USER, allowed.user);
    Enable(page, IDC_OUT_USER_LABEL, allowed.user);
}

// The name last used for a held job, else the job's, else the logged-on user's.
void ShowUserName(HWND page, const PageContext *ctx) {
    wchar_t name[kLogonNameChars] = {};
    if (!ReadLastUserName(ctx->params->hPrinter, name, kLogonNameChars)) {
        if (ctx->work.holdUserName[0] != L'\0') {
            StringCchCopyNW(name, kLogonNameChars, ctx->work.holdUserName, kHoldUserNameChars);
        } else {
            DWORD chars = kLogonNameChars;
            if (!GetUserNameW(name, &chars)) name[0] = L'\0';
        }
    }
    SetDlgItemTextW(page, IDC_OUT_USER, name);
}

void ShowHoldControls(HWND page, const PageContext *ctx, const PrinterFeatures &features) {
    const HoldAllowed allowed = HoldPermissions(ctx->work.outputDestination);
    for (int id : {IDC_OUT_PIN, IDC_OUT_PIN_LABEL, IDC_OUT_USER, IDC_OUT_USER_LABEL})
        Show(page, id, features.printAndHold);
    Show(page, IDC_OUT_KEEP, features.keepPrevious);
    EnableHoldControls(page, allowed);
    CheckDlgButton(page, IDC_OUT_KEEP, ctx->work.keepDuplicateHeldJobs ? BST_CHECKED : BST_UNCHECKED);
    if (!features.printAndHold) return;
    Limit(page, IDC_OUT_PIN, kPinLimit);
    if (allowed.pin)
        ShowField(page, IDC_OUT_PIN, ctx->work.holdPin);
    else
        SetDlgItemTextW(page, IDC_OUT_PIN, L"");
    Limit(page, IDC_OUT_USER, kUserNameLimit);
    ShowUserName(page, ctx);
}

// Shows the job as `work` and the stored values have it. The first time the
// lists are filled and the resolution chosen; later showings keep both.
void ShowJob(HWND page, PageContext *ctx, bool firstTime) {
    FillingScope filling(page);
    const PrinterFeatures features = AskFeatures(ctx);
    if (firstTime) FillDestinationList(page, features);
    SelectStoredDestination(page, &ctx->work);
    if (features.faxCard) {
        const FaxInfo &source = ChooseFaxSource(ctx);
        if (firstTime) AddResolutions(page);
        FillFaxFields(page, ctx, source, firstTime);
        ShowFaxControls(page, true);
        EnableFaxControls(page, ctx->work.outputDestination == DEST_FAX, source.sendCoverPage != 0);
    } else {
        ShowFaxControls(page, false);
    }
    ShowHoldControls(page, ctx, features);
    if (ctx->readOnly) DisableAllControls(page);
}

void ReadValues(HWND page, PageValues *v) {
    *v = PageValues{};
    v->destination = SelectedDestination(page);
    v->allowed = HoldPermissions(v->destination);
    GetDlgItemTextW(page, IDC_OUT_USER, v->userName, static_cast<int>(std::size(v->userName)));
    GetDlgItemTextW(page, IDC_OUT_PIN, v->pin, kPinReadChars);
    v->keep = Checked(page, IDC_OUT_KEEP);
    GetDlgItemTextW(page, IDC_OUT_RECIPIENT, v->recipientName, kFaxTextChars);
    GetDlgItemTextW(page, IDC_OUT_FAX_NUMBER, v->faxNumber, kFaxTextChars);
    GetDlgItemTextW(page, IDC_OUT_STATION, v->station, kFaxTextChars);
    v->sendCoverPage = Checked(page, IDC_OUT_SEND_COVER);
    v->fineSelected = SendDlgItemMessageW(page, IDC_OUT_RESOLUTION, CB_GETCURSEL, 0, 0) == kFineResolution;
}

// The first thing wrong, in the order the user reads the page.
Refusal Check(const PageValues &v, const PageContext *ctx, const PrinterFeatures &features) {
    if (v.allowed.user)
        if (UINT message = CheckHoldUserName(v.userName)) return {message, IDC_OUT_USER};
    if (v.allowed.pin)
        if (UINT message = CheckHoldPin(v.pin)) return {message, IDC_OUT_PIN};
    if (!features.faxCard || v.destination != DEST_FAX) return {0, 0};
    if (IsBlankText(v.recipientName)) return {IDS_ERR_FAX_RECIPIENT_NAME, IDC_OUT_RECIPIENT};
    if (IsBlankText(v.faxNumber)) return {IDS_ERR_FAX_NUMBER, IDC_OUT_FAX_NUMBER};
    if (IsBlankText(v.station)) return {IDS_ERR_FAX_STATION, IDC_OUT_STATION};
    if (v.sendCoverPage && !(ctx->coverPageWork.coverPageParts & (kCoverRecipient | kCoverSender | kCoverComments)))
        return {IDS_ERR_COVER_PAGE_PARTS, IDC_OUT_SETUP_COVER};
    return {0, 0};
}

void Refuse(HWND page, const Refusal &refusal) {
    wchar_t text[kUiStringChars];
    LoadUiString(refusal.message, text, kUiStringChars);
    {
        ActivationScope scope;
        MessageBoxW(page, text, nullptr, MB_ICONERROR);
    }
    SetFocus(GetDlgItem(page, refusal.control));
    SetWindowLongPtrW(page, DWLP_MSGRESULT, TRUE);
}

// Takes the page's values into `target` and remembers the user name and fax
// details for the next job. A failed registry write loses nothing: the job
// has its values either way.
void Store(const PageValues &v, PageContext *ctx, PrivateDevmode *target) {
    HANDLE printer = ctx->params->hPrinter;
    target->outputDestination = v.destination;
    if (v.allowed.pin) StringCchCopyW(target->holdPin, std::size(target->holdPin), v.pin);
    if (v.allowed.user) {
        StringCchCopyW(target->holdUserName, std::size(target->holdUserName), v.userName);
        WriteLastUserName(printer, target->holdUserName);
    }
    if (v.allowed.keep) target->keepDuplicateHeldJobs = v.keep ? 1 : 0;
    if (v.destination != DEST_FAX) return;
    FaxInfo &fax = target->fax;
    StringCchCopyW(fax.recipientName, std::size(fax.recipientName), v.recipientName);
    StringCchCopyW(fax.recipientFaxNumber, std::size(fax.recipientFaxNumber), v.faxNumber);
    fax.sendCoverPage = v.sendCoverPage ? 1 : 0;
    if (v.sendCoverPage)
        memcpy(reinterpret_cast<BYTE *>(&fax) + kCoverPageBlockOffset, &ctx->coverPageWork, kCoverPageBlockSize);
    StringCchCopyW(fax.stationId, std::size(fax.stationId), v.station);
    if (v.fineSelected) fax.resolution = 0;
    WriteFaxInfo(printer, &fax);
}

INT_PTR OnKillActive(HWND page, PageContext *ctx) {
    // A read-only page took nothing from the user and must not hold the user
    // on it: nothing on it could be corrected.
    if (!IsLive(ctx) || ctx->readOnly) return FALSE;
    PageValues values;
    ReadValues(page, &values);
    const Refusal refusal = Check(values, ctx, AskFeatures(ctx));
    if (refusal.message) {
        Refuse(page, refusal);
        return TRUE;
    }
    Store(values, ctx, &ctx->work);
    return FALSE;
}

INT_PTR OnApply(HWND page, PageContext *ctx) {
    if (IsLive(ctx) && !ctx->readOnly && ctx->params->pOEMDM) {
        PageValues values;
        ReadValues(page, &values);
        Store(values, ctx, static_cast<PrivateDevmode *>(ctx->params->pOEMDM));
    }
    SetWindowLongPtrW(page, DWLP_MSGRESULT, PSNRET_NOERROR);
    return TRUE;
}

INT_PTR OnNotify(HWND page, const NMHDR *header) {
    PageContext *ctx = ContextOf(page);
    if (!header || !ctx) return FALSE;
    switch (header->code) {
    case PSN_SETACTIVE:
        ShowFrameContextHelp(page, false);
        // Another page may have changed the job (a loaded profile, say).
        if (IsLive(ctx)) ShowJob(page, ctx, false);
        return FALSE;
    case PSN_KILLACTIVE:
        return OnKillActive(page, ctx);
    case PSN_APPLY:
        return OnApply(page, ctx);
    case PSN_HELP:
        ShowPageHelp(page, ctx->helpFilePath);
        return TRUE;
    default:
        return FALSE;
    }
}

void OnDestinationChanged(HWND page) {
    const uint32_t destination = SelectedDestination(page);
    // Leaving the fax keeps what was typed for it, in case the user comes back.
    if (destination == DEST_FAX)
        EnableFaxControls(page, true, Checked(page, IDC_OUT_SEND_COVER));
    else
        EnableFaxControls(page, false, false);
    EnableHoldControls(page, HoldPermissions(destination));
}

INT_PTR OnCommand(HWND page, WPARAM wParam) {
    PageContext *ctx = ContextOf(page);
    if (!ctx || !ctx->params) return FALSE;
    const int id = LOWORD(wParam);
    switch (HIWORD(wParam)) {
    case BN_CLICKED:
        if (id == IDC_OUT_SETUP_COVER) RunCoverPageDialog(page, ctx);
        if (id == IDC_OUT_SEND_COVER) Enable(page, IDC_OUT_SETUP_COVER, Checked(page, IDC_OUT_SEND_COVER));
        NotifyChanged(page);
        return TRUE;
    case LBN_SELCHANGE:
        if (id != IDC_OUT_DESTINATIONS) return FALSE;
        NotifyChanged(page);
        OnDestinationChanged(page);
        return TRUE;
    case EN_CHANGE:
        if (!IsFilling(page)) NotifyChanged(page);
        return TRUE;
    default:
        return FALSE;
    }
}

void OnInitDialog(HWND page, const PROPSHEETPAGEW *description) {
    auto *ctx = description ? reinterpret_cast<PageContext *>(description->lParam) : nullptr;
    SetWindowLongPtrW(page, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(ctx));
    if (IsLive(ctx)) ShowJob(page, ctx, true);
}

}  // namespace

INT_PTR CALLBACK OutputOptionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(page, reinterpret_cast<const PROPSHEETPAGEW *>(lParam));
        return TRUE;
    case WM_COMMAND:
        return OnCommand(page, wParam);
    case WM_NOTIFY:
        return OnNotify(page, reinterpret_cast<const NMHDR *>(lParam));
    default:
        return FALSE;
    }
}
