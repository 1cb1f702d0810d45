// The driver's print-ticket interfaces as the platform's headers lay them
// out (slot order, stdcall on x86), for the host's side of the calls. The
// toolchain's headers carry none of them.
#pragma once

#include <windows.h>
#include <msxml2.h>

namespace testbed::pt {

// {BCF5E011-F60A-49FF-AB2F-E06F4ABDF281}
inline constexpr GUID IID_IPrintOemPrintTicketProvider = {
    0xbcf5e011, 0xf60a, 0x49ff, {0xab, 0x2f, 0xe0, 0x6f, 0x4a, 0xbd, 0xf2, 0x81}};
// {A89EC53E-3905-49C6-9C1A-C0A88117FDB6}
inline constexpr GUID IID_IPrintCoreHelper = {
    0xa89ec53e, 0x3905, 0x49c6, {0x9c, 0x1a, 0xc0, 0xa8, 0x81, 0x17, 0xfd, 0xb6}};
// {C2C14F6F-95D3-4D63-96CF-6BD9E6C907C2}
inline constexpr GUID IID_IPrintCoreHelperPS = {
    0xc2c14f6f, 0x95d3, 0x4d63, {0x96, 0xcf, 0x6b, 0xd9, 0xe6, 0xc9, 0x07, 0xc2}};
// MSXML 6's document {88D96A05-F192-11D4-A65F-0040963251E5}.
inline constexpr GUID CLSID_DOMDocument60 = {
    0x88d96a05, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
// {2933BF95-7B36-11D2-B20E-00C04F983E60}
inline constexpr GUID IID_IXMLDOMDocument2 = {
    0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

enum OEMPTOPTS { OEMPT_DEFAULT = 0, OEMPT_NOSNAPSHOT = 0x1 };

struct PRINT_FEATURE_OPTION {
    PCSTR pszFeature;
    PCSTR pszOption;
};

struct IPrintCoreHelper : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetOption(const DEVMODEW *pDevmode, DWORD cbSize, PCSTR pszFeatureRequested,
                                                PCSTR *ppszOption) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetOptions(DEVMODEW *pDevmode, DWORD cbSize, BOOL bResolveConflicts,
                                                 const PRINT_FEATURE_OPTION *pFOPairs, DWORD cPairs,
                                                 PDWORD pcPairsWritten, PDWORD pdwResult) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumConstrainedOptions(const DEVMODEW *pDevmode, DWORD cbSize,
                                                             PCSTR pszFeatureKeyword,
                                                             PCSTR **pConstrainedOptionList,
                                                             DWORD *pdwNumOptions) = 0;
    virtual HRESULT STDMETHODCALLTYPE WhyConstrained(const DEVMODEW *pDevmode, DWORD cbSize,
                                                     PCSTR pszFeatureKeyword, PCSTR pszOptionKeyword,
                                                     const PRINT_FEATURE_OPTION **ppFOConstraints,
                                                     DWORD *pdwNumOptions) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumFeatures(PCSTR **pFeatureList, DWORD *pdwNumFeatures) = 0;
    virtual HRESULT STDMETHODCALLTYPE EnumOptions(PCSTR pszFeatureKeyword, PCSTR **pOptionList,
                                                  DWORD *pdwNumOptions) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFontSubstitution(PCWSTR pszTrueTypeFontName, PCWSTR *ppszDevFontName) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetFontSubstitution(PCWSTR pszTrueTypeFontName, PCWSTR pszDevFontName) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateInstanceOfMSXMLObject(REFCLSID rclsid, LPUNKNOWN pUnkOuter,
                                                                  DWORD dwClsContext, REFIID riid,
                                                                  LPVOID *ppv) = 0;
};

struct IPrintCoreHelperPS : public IPrintCoreHelper {
    virtual HRESULT STDMETHODCALLTYPE GetGlobalAttribute(PCSTR pszAttribute, PDWORD pdwDataType, PBYTE *ppbData,
                                                         PDWORD pcbSize) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetFeatureAttribute(PCSTR pszFeatureKeyword, PCSTR pszAttribute,
                                                          PDWORD pdwDataType, PBYTE *ppbData, PDWORD pcbSize) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetOptionAttribute(PCSTR pszFeatureKeyword, PCSTR pszOptionKeyword,
                                                         PCSTR pszAttribute, PDWORD pdwDataType, PBYTE *ppbData,
                                                         PDWORD pcbSize) = 0;
};

struct IPrintOemPrintTicketProvider : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetSupportedVersions(HANDLE hPrinter, INT *ppVersions[], INT *cVersions) = 0;
    virtual HRESULT STDMETHODCALLTYPE BindPrinter(HANDLE hPrinter, INT version, OEMPTOPTS *pOptions,
                                                  INT *cNamespaces, BSTR **ppNamespaces) = 0;
    virtual HRESULT STDMETHODCALLTYPE PublishPrintTicketHelperInterface(IUnknown *pHelper) = 0;
    virtual HRESULT STDMETHODCALLTYPE QueryDeviceDefaultNamespace(BSTR *pbstrNamespaceUri) = 0;
    virtual HRESULT STDMETHODCALLTYPE ConvertPrintTicketToDevMode(IXMLDOMDocument2 *pPrintTicket, ULONG cbDevmode,
                                                                  DEVMODEW *pDevmode, ULONG cbDrvPrivateSize,
                                                                  PVOID pPrivateDevmode) = 0;
    virtual HRESULT STDMETHODCALLTYPE ConvertDevModeToPrintTicket(ULONG cbDevmode, DEVMODEW *pDevmode,
                                                                  ULONG cbDrvPrivateSize, PVOID pPrivateDevmode,
                                                                  IXMLDOMDocument2 *pPrintTicket) = 0;
    virtual HRESULT STDMETHODCALLTYPE CompletePrintCapabilities(IXMLDOMDocument2 *pPrintTicket,
                                                                IXMLDOMDocument2 *pCapabilities) = 0;
    virtual HRESULT STDMETHODCALLTYPE ExpandIntentOptions(IXMLDOMDocument2 *pPrintTicket) = 0;
    virtual HRESULT STDMETHODCALLTYPE ValidatePrintTicket(IXMLDOMDocument2 *pPrintTicket) = 0;
};

}  // namespace testbed::pt
