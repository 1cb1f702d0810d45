#include "ui/frame/plugin.h"

#include <new>

#include "settings/devmode_calls.h"
#include "ui/frame/class_factory.h"
#include "ui/sheets/common_ui.h"
#include "ui/printing/document_events.h"
#include "ui/printer/printer_events.h"
#include "ui/sheets/property_sheets.h"
#include "ui/watermark/store.h"

UiPlugin::UiPlugin() noexcept { NoteObjectCreated(); }

UiPlugin::~UiPlugin() { NoteObjectDestroyed(); }

HRESULT UiPlugin::QueryInterface(REFIID riid, void **ppv) {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPrintOemUI2)) {
        *ppv = static_cast<IPrintOemUI2 *>(this);
        AddRef();
        return S_OK;
    }
    if (IsEqualIID(riid, IID_IPrintOemPrintTicketProvider)) {
        *ppv = static_cast<IPrintOemPrintTicketProvider *>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG UiPlugin::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refCount)); }

ULONG UiPlugin::Release() {
    LONG n = InterlockedDecrement(&refCount);
    if (n != 0) return static_cast<ULONG>(n);
    if (coreHelper) coreHelper->Release();
    ReleaseTicketHelper(&ticketState);
    delete this;
    return 0;
}

HRESULT UiPlugin::GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize, PDWORD pcbNeeded) {
    return AnswerGetInfo(dwMode, pBuffer, cbSize, pcbNeeded, PublisherInfoAnswer::NotSupported);
}

HRESULT UiPlugin::DevMode(DWORD dwMode, OEMDMPARAM *pOemDMParam) {
    // A user's first devmode brings the default user's watermarks along.
    if (pOemDMParam && pOemDMParam->hPrinter) CopyDefaultUserSettings(pOemDMParam->hPrinter);
    return AnswerDevMode(dwMode, pOemDMParam);
}

HRESULT UiPlugin::PublishDriverInterface(IUnknown *pIUnknown) {
    if (coreHelper) return S_OK;
    if (!pIUnknown) return E_FAIL;
    void *helper = nullptr;
    if (FAILED(pIUnknown->QueryInterface(IID_IPrintCoreUI2, &helper)) || !helper) return E_FAIL;
    coreHelper = static_cast<IPrintCoreUI2 *>(helper);
    return S_OK;
}

HRESULT UiPlugin::CommonUIProp(DWORD dwMode, OEMCUIPPARAM *pOemCUIPParam) {
    return HandleCommonUIProp(this, dwMode, pOemCUIPParam);
}

HRESULT UiPlugin::DocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam) {
    return HandleDocumentSheet(this, pPSUIInfo, lParam);
}

HRESULT UiPlugin::DevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam) {
    return HandlePrinterSheet(this, pPSUIInfo, lParam);
}

HRESULT UiPlugin::DevQueryPrintEx(POEMUIOBJ, PVOID, PDEVMODEW, PVOID) { return E_NOTIMPL; }

HRESULT UiPlugin::DeviceCapabilities(POEMUIOBJ, HANDLE, PWSTR, WORD, PVOID, PDEVMODEW, PVOID, DWORD, DWORD *) {
    return E_NOTIMPL;
}

HRESULT UiPlugin::UpgradePrinter(DWORD, PBYTE) { return E_NOTIMPL; }

HRESULT UiPlugin::PrinterEvent(PWSTR pPrinterName, INT iDriverEvent, DWORD dwFlags, LPARAM lParam) {
    return HandlePrinterEvent(pPrinterName, iDriverEvent, dwFlags, lParam);
}

HRESULT UiPlugin::DriverEvent(DWORD dwDriverEvent, DWORD dwLevel, LPBYTE pDriverInfo, LPARAM lParam) {
    return HandleDriverEvent(dwDriverEvent, dwLevel, pDriverInfo, lParam);
}

HRESULT UiPlugin::QueryColorProfile(HANDLE, POEMUIOBJ, PDEVMODEW, PVOID, ULONG, VOID *, ULONG *, FLONG *) {
    return E_NOTIMPL;
}

HRESULT UiPlugin::FontInstallerDlgProc(HWND, UINT, WPARAM, LPARAM) { return E_NOTIMPL; }

HRESULT UiPlugin::UpdateExternalFonts(HANDLE, HANDLE, PWSTR) { return E_NOTIMPL; }

HRESULT UiPlugin::QueryJobAttributes(HANDLE, PDEVMODEW, DWORD, LPBYTE) { return E_NOTIMPL; }

// The driver's standard pages stay.
HRESULT UiPlugin::HideStandardUI(DWORD) { return E_NOTIMPL; }

HRESULT UiPlugin::DocumentEvent(HANDLE hPrinter, HDC hdc, INT iEsc, ULONG cbIn, PVOID pvIn, ULONG cbOut,
                                PVOID pvOut, PINT piResult) {
    return HandleDocumentEvent(hPrinter, hdc, iEsc, cbIn, pvIn, cbOut, pvOut, piResult);
}

HRESULT UiPlugin::GetSupportedVersions(HANDLE, INT *ppVersions[], INT *cVersions) {
    return ProvideSupportedVersions(ppVersions, cVersions);
}

HRESULT UiPlugin::BindPrinter(HANDLE hPrinter, INT version, POEMPTOPTS pOptions, INT *cNamespaces,
                              BSTR **ppNamespaces) {
    return ProvideBinding(&ticketState, hPrinter, version, pOptions, cNamespaces, ppNamespaces);
}

// The print-ticket path's helper arrives here, not through
// PublishDriverInterface: the driver holds only the provider's interface then.
HRESULT UiPlugin::PublishPrintTicketHelperInterface(IUnknown *pHelper) {
    if (!pHelper) return E_POINTER;
    return TakeTicketHelper(&ticketState, pHelper) ? S_OK : E_NOINTERFACE;
}

HRESULT UiPlugin::QueryDeviceDefaultNamespace(BSTR *pbstrNamespaceUri) {
    return ProvideDefaultNamespace(pbstrNamespaceUri);
}

HRESULT UiPlugin::ConvertPrintTicketToDevMode(IXMLDOMDocument2 *pPrintTicket, ULONG cbDevmode, PDEVMODEW pDevmode,
                                              ULONG cbDrvPrivateSize, PVOID pPrivateDevmode) {
    return ProvideTicketToDevmode(ticketState, pPrintTicket, cbDevmode, pDevmode, cbDrvPrivateSize,
                                  pPrivateDevmode);
}

HRESULT UiPlugin::ConvertDevModeToPrintTicket(ULONG cbDevmode, PDEVMODEW pDevmode, ULONG cbDrvPrivateSize,
                                              PVOID pPrivateDevmode, IXMLDOMDocument2 *pPrintTicket) {
    return ProvideDevmodeToTicket(ticketState, cbDevmode, pDevmode, cbDrvPrivateSize, pPrivateDevmode,
                                  pPrintTicket);
}

HRESULT UiPlugin::CompletePrintCapabilities(IXMLDOMDocument2 *, IXMLDOMDocument2 *pCapabilities) {
    return ProvideCapabilities(ticketState, pCapabilities);
}

// No option of this plug-in stands for a group of others.
HRESULT UiPlugin::ExpandIntentOptions(IXMLDOMDocument2 *) { return S_OK; }

HRESULT UiPlugin::ValidatePrintTicket(IXMLDOMDocument2 *pPrintTicket) {
    return ProvideValidation(ticketState, pPrintTicket);
}

HRESULT CreateUiPlugin(REFIID riid, void **ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    auto *plugin = new (std::nothrow) UiPlugin;
    if (!plugin) return E_OUTOFMEMORY;
    HRESULT hr = plugin->QueryInterface(riid, ppv);
    plugin->Release();
    return hr;
}
