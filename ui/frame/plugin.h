// The UI plug-in object the driver creates through the class factory.
#pragma once

#include "platform/oem_abi.h"

struct PageContext;

class UiPlugin final : public IPrintOemUI2 {
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

    // State the driver's calls build up, in declaration order after the
    // interface table. The option items belong to the driver's document tree.
    OPTITEM *pageOrderItem = nullptr;
    OPTITEM *pagesPerSheetItem = nullptr;
    LONG refCount = 1;
    IPrintCoreUI2 *coreHelper = nullptr;
    PageContext *pageContext = nullptr;
};

// Creates a UiPlugin (count 1), asks it for riid and releases it once.
HRESULT CreateUiPlugin(REFIID riid, void **ppv);
