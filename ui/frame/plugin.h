// The UI plug-in object the driver creates through the class factory.
#pragma once

#include "platform/oem_abi.h"
#include "ui/print_ticket/provider.h"

struct PageContext;

// One object behind both interfaces: the print-ticket provider is found by
// QueryInterface on the plug-in and shares its IUnknown.
class UiPlugin final : public IPrintOemUI2, public IPrintOemPrintTicketProvider {
public:
    UiPlugin() noexcept;
    ~UiPlugin();
    UiPlugin(const UiPlugin &) = delete;
    UiPlugin &operator=(const UiPlugin &) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IPrintOemCommon
    HRESULT STDMETHODCALLTYPE GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize, PDWORD pcbNeeded) override;
    HRESULT STDMETHODCALLTYPE DevMode(DWORD dwMode, OEMDMPARAM *pOemDMParam) override;

    // IPrintOemUI
    HRESULT STDMETHODCALLTYPE PublishDriverInterface(IUnknown *pIUnknown) override;
    HRESULT STDMETHODCALLTYPE CommonUIProp(DWORD dwMode, OEMCUIPPARAM *pOemCUIPParam) override;
    HRESULT STDMETHODCALLTYPE DocumentPropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE DevicePropertySheets(PPROPSHEETUI_INFO pPSUIInfo, LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE DevQueryPrintEx(POEMUIOBJ poemuiobj, PVOID pDQPInfo, PDEVMODEW pPublicDM,
                                              PVOID pOEMDM) override;
    HRESULT STDMETHODCALLTYPE DeviceCapabilities(POEMUIOBJ poemuiobj, HANDLE hPrinter, PWSTR pDeviceName,
                                                 WORD wCapability, PVOID pOutput, PDEVMODEW pPublicDM,
                                                 PVOID pOEMDM, DWORD dwOld, DWORD *dwResult) override;
    HRESULT STDMETHODCALLTYPE UpgradePrinter(DWORD dwLevel, PBYTE pDriverUpgradeInfo) override;
    HRESULT STDMETHODCALLTYPE PrinterEvent(PWSTR pPrinterName, INT iDriverEvent, DWORD dwFlags,
                                           LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE DriverEvent(DWORD dwDriverEvent, DWORD dwLevel, LPBYTE pDriverInfo,
                                          LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE QueryColorProfile(HANDLE hPrinter, POEMUIOBJ poemuiobj, PDEVMODEW pPublicDM,
                                                PVOID pOEMDM, ULONG ulQueryMode, VOID *pvProfileData,
                                                ULONG *pcbProfileData, FLONG *pflProfileData) override;
    HRESULT STDMETHODCALLTYPE FontInstallerDlgProc(HWND hWnd, UINT usMsg, WPARAM wParam, LPARAM lParam) override;
    HRESULT STDMETHODCALLTYPE UpdateExternalFonts(HANDLE hPrinter, HANDLE hHeap, PWSTR pwstrCartridges) override;

    // IPrintOemUI2
    HRESULT STDMETHODCALLTYPE QueryJobAttributes(HANDLE hPrinter, PDEVMODEW pDevmode, DWORD dwLevel,
                                                 LPBYTE lpAttributeInfo) override;
    HRESULT STDMETHODCALLTYPE HideStandardUI(DWORD dwMode) override;
    HRESULT STDMETHODCALLTYPE DocumentEvent(HANDLE hPrinter, HDC hdc, INT iEsc, ULONG cbIn, PVOID pvIn,
                                            ULONG cbOut, PVOID pvOut, PINT piResult) override;

    // IPrintOemPrintTicketProvider
    HRESULT STDMETHODCALLTYPE GetSupportedVersions(HANDLE hPrinter, INT *ppVersions[], INT *cVersions) override;
    HRESULT STDMETHODCALLTYPE BindPrinter(HANDLE hPrinter, INT version, POEMPTOPTS pOptions, INT *cNamespaces,
                                          BSTR **ppNamespaces) override;
    HRESULT STDMETHODCALLTYPE PublishPrintTicketHelperInterface(IUnknown *pHelper) override;
    HRESULT STDMETHODCALLTYPE QueryDeviceDefaultNamespace(BSTR *pbstrNamespaceUri) override;
    HRESULT STDMETHODCALLTYPE ConvertPrintTicketToDevMode(IXMLDOMDocument2 *pPrintTicket, ULONG cbDevmode,
                                                          PDEVMODEW pDevmode, ULONG cbDrvPrivateSize,
                                                          PVOID pPrivateDevmode) override;
    HRESULT STDMETHODCALLTYPE ConvertDevModeToPrintTicket(ULONG cbDevmode, PDEVMODEW pDevmode,
                                                          ULONG cbDrvPrivateSize, PVOID pPrivateDevmode,
                                                          IXMLDOMDocument2 *pPrintTicket) override;
    HRESULT STDMETHODCALLTYPE CompletePrintCapabilities(IXMLDOMDocument2 *pPrintTicket,
                                                        IXMLDOMDocument2 *pCapabilities) override;
    HRESULT STDMETHODCALLTYPE ExpandIntentOptions(IXMLDOMDocument2 *pPrintTicket) override;
    HRESULT STDMETHODCALLTYPE ValidatePrintTicket(IXMLDOMDocument2 *pPrintTicket) override;

    // State the driver's calls build up, in declaration order after the
    // interface table. The option items belong to the driver's document tree.
    OPTITEM *pageOrderItem = nullptr;
    OPTITEM *pagesPerSheetItem = nullptr;
    LONG refCount = 1;
    IPrintCoreUI2 *coreHelper = nullptr;
    PageContext *pageContext = nullptr;
    // The print-ticket path's printer and helper, apart from the sheets' helper.
    TicketProviderState ticketState;
};

// Creates a UiPlugin (count 1), asks it for riid and releases it once.
HRESULT CreateUiPlugin(REFIID riid, void **ppv);
