#include "tests/host/fake_driver_tree.h"

namespace testbed {

const wchar_t FakeDriverTree::kBannerName[] = L"Banner Text";
const wchar_t FakeDriverTree::kResolutionName[] = L"Resolution";

namespace {

template <size_t N>
void InitType(OPTTYPE *type, BYTE kind, OPTPARAM (&params)[N]) {
    for (OPTPARAM &p : params) p.cbSize = sizeof(OPTPARAM);
    type->cbSize = sizeof(OPTTYPE);
    type->Type = kind;
    type->Count = static_cast<WORD>(N);
    type->pOptParam = params;
}

}  // namespace

FakeDriverTree::FakeDriverTree() {
    static const wchar_t *const paperNames[kPaperSizes] = {L"Letter", L"Legal", L"A4", L"A5", L"Executive"};
    InitType(&types_[0], TVOT_2STATES, twoStates_);
    InitType(&types_[1], TVOT_LISTBOX, paper_);
    for (DWORD i = 0; i < kPaperSizes; ++i) paper_[i].pData = const_cast<wchar_t *>(paperNames[i]);
    InitType(&types_[2], TVOT_UDARROW, copies_);
    copies_[1].IconID = 1;
    copies_[1].lParam = 999;
    InitType(&types_[3], TVOT_EDITBOX, banner_);
    banner_[1].IconID = kBannerChars * sizeof(wchar_t);  // the documented unit: bytes
    InitType(&types_[4], TVOT_COMBOBOX, resolution_);
    InitType(&types_[5], TVOT_3STATES, tray_);
    InitType(&types_[6], TVOT_PUSHBUTTON, halftone_);

    for (OPTITEM &item : items) item.cbSize = sizeof(OPTITEM);
    items[kOrientation].DMPubID = DMPUB_ORIENTATION;
    items[kOrientation].pName = const_cast<wchar_t *>(L"Orientation");
    items[kOrientation].pOptType = &types_[0];
    items[kPaperSize].DMPubID = DMPUB_FORMNAME;
    items[kPaperSize].pName = const_cast<wchar_t *>(L"Paper Size");
    items[kPaperSize].pOptType = &types_[1];
    items[kCopies].DMPubID = DMPUB_COPIES_COLLATE;
    items[kCopies].pName = const_cast<wchar_t *>(L"Copies");
    items[kCopies].pOptType = &types_[2];
    items[kCopies].Sel = 1;
    items[kBannerText].pName = const_cast<wchar_t *>(kBannerName);
    items[kBannerText].pOptType = &types_[3];
    items[kBannerText].pSel = bannerText;
    items[kResolution].pName = const_cast<wchar_t *>(kResolutionName);
    items[kResolution].pOptType = &types_[4];
    items[kTrayMode].pName = MAKEINTRESOURCEW(kTrayModeNameId);
    items[kTrayMode].pOptType = &types_[5];
    items[kHalftone].pName = const_cast<wchar_t *>(L"Halftone");
    items[kHalftone].pOptType = &types_[6];
    items[kGroup].pName = const_cast<wchar_t *>(L"Document Options");
}

void FakeDriverTree::ClearChangedFlags() {
    for (OPTITEM &item : items) item.Flags &= ~static_cast<DWORD>(OPTIF_CHANGED);
}

DriverTreeSession::DriverTreeSession(UiPluginHost *host, HANDLE printer, FakeDriverTree *tree) : host_(host) {
    param = host->TreeParam(printer, tree->items, FakeDriverTree::kItemCount);
}

bool DriverTreeSession::Attach() {
    param.pOEMOptItems = nullptr;
    if (host_->plugin->CommonUIProp(OEMCUIP_DOCPROP, &param) != S_OK) return false;
    param.pOEMOptItems = pluginItems_;  // the count asked for: none
    return host_->plugin->CommonUIProp(OEMCUIP_DOCPROP, &param) == S_OK && param.OEMCUIPCallback;
}

LONG DriverTreeSession::Activate(HWND page) {
    if (!param.OEMCUIPCallback) return -1;
    CPSUICBPARAM callback{};
    callback.cbSize = sizeof(callback);
    callback.Reason = CPSUICB_REASON_SETACTIVE;
    callback.hDlg = page;
    return param.OEMCUIPCallback(&callback, &param);
}

}  // namespace testbed
