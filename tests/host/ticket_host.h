// The PostScript driver's print-ticket side of uiplug.dll: the driver loads
// the DLL, creates the plug-in object, publishes its helper and finds the
// print-ticket provider on the same object. Then, in the driver's order:
// GetSupportedVersions, BindPrinter, and per request ConvertDevModeToPrintTicket
// on a ticket that already holds the core driver's part,
// ConvertPrintTicketToDevMode on a default devmode, ValidatePrintTicket and
// CompletePrintCapabilities on a capabilities document holding the core
// driver's part. Documents are real MSXML 6 documents.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/oem_abi.h"
#include "platform/raii.h"
#include "settings/private_devmode.h"
#include "tests/host/fake_core_ui.h"
#include "tests/host/wine_printer.h"

namespace testbed {

inline constexpr wchar_t kPrivateTicketNamespace[] = L"urn:psplugins:printschema:2026";
// A namespace neither driver knows: its features must pass through untouched.
inline constexpr wchar_t kForeignNamespace[] = L"http://schemas.example.org/2026/finishing";

// What the printer description offers, asked the way the pages ask.
struct PrinterFeatures {
    bool faxCard = false;           // installable option "FaxCard" set to True (else False)
    bool printAndHold = false;      // "HasPrintandHold" defined
    bool keepPreviousJobs = false;  // "HasKeepPreviousPHJobs" defined
    bool manualColor = false;       // "HasManualColorCorrection" defined
};

// Fills the feature model the UI helper answers from.
void DescribePrinter(const PrinterFeatures &features, FakeCoreUI *model);

// The driver's helper for the print-ticket path, answering from the same
// feature model as the UI helper. Returned memory belongs to the helper, as
// the driver's does.
class FakeCoreHelperPs final : public IPrintCoreHelperPS {
public:
    explicit FakeCoreHelperPs(const FakeCoreUI *model) : model_(model) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    // The host owns the object; the count only shows whether the plug-in balanced it.
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }

    HRESULT STDMETHODCALLTYPE GetOption(const DEVMODEW *, DWORD, PCSTR feature, PCSTR *option) override;
    HRESULT STDMETHODCALLTYPE SetOptions(DEVMODEW *, DWORD, BOOL, const PRINT_FEATURE_OPTION *, DWORD, PDWORD,
                                         PDWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumConstrainedOptions(const DEVMODEW *, DWORD, PCSTR, PCSTR **list,
                                                     DWORD *count) override;
    HRESULT STDMETHODCALLTYPE WhyConstrained(const DEVMODEW *, DWORD, PCSTR, PCSTR,
                                             const PRINT_FEATURE_OPTION **, DWORD *) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumFeatures(PCSTR **list, DWORD *count) override;
    HRESULT STDMETHODCALLTYPE EnumOptions(PCSTR feature, PCSTR **list, DWORD *count) override;
    HRESULT STDMETHODCALLTYPE GetFontSubstitution(PCWSTR, PCWSTR *) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetFontSubstitution(PCWSTR, PCWSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateInstanceOfMSXMLObject(REFCLSID clsid, LPUNKNOWN outer, DWORD context,
                                                          REFIID riid, LPVOID *ppv) override;
    HRESULT STDMETHODCALLTYPE GetGlobalAttribute(PCSTR, PDWORD, PBYTE *, PDWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetFeatureAttribute(PCSTR feature, PCSTR attribute, PDWORD type, PBYTE *data,
                                                  PDWORD size) override;
    HRESULT STDMETHODCALLTYPE GetOptionAttribute(PCSTR feature, PCSTR option, PCSTR attribute, PDWORD type,
                                                 PBYTE *data, PDWORD size) override;

    LONG references = 1;
    int helperQueries = 0;  // QueryInterface calls for IPrintCoreHelper(PS)

private:
    HRESULT Hand(const std::vector<std::string> &names, PCSTR **list, DWORD *count) noexcept;

    const FakeCoreUI *model_;
    std::deque<std::vector<std::string>> strings_;
    std::deque<std::vector<PCSTR>> lists_;
};

// A new MSXML 6 document whose XPath queries know the prefixes psf, psk,
// pskv11, psp (the plug-ins' namespace), xsi, xsd and ext (kForeignNamespace).
com_ptr<IXMLDOMDocument2> NewXmlDocument();
// The same, holding `xml`; empty when MSXML refuses the text.
com_ptr<IXMLDOMDocument2> LoadXml(const std::wstring &xml);
std::wstring XmlText(IXMLDOMDocument2 *doc);
// XPath over a document with the prefixes above.
long CountNodes(IXMLDOMDocument2 *doc, const wchar_t *xpath);
// Text, or markup, of the first node the query selects; empty when none.
std::wstring NodeText(IXMLDOMDocument2 *doc, const wchar_t *xpath);
std::wstring NodeXml(IXMLDOMDocument2 *doc, const wchar_t *xpath);
// Sets the text of the first selected node; false when none.
bool SetNodeText(IXMLDOMDocument2 *doc, const wchar_t *xpath, const wchar_t *text);
// Removes every selected node; the number removed.
long RemoveNodes(IXMLDOMDocument2 *doc, const wchar_t *xpath);

// The core driver's own part of a ticket (page size, copies and a feature
// of kForeignNamespace) and of a capabilities document.
com_ptr<IXMLDOMDocument2> CoreTicket();
com_ptr<IXMLDOMDocument2> CoreCapabilities();

class TicketHost {
public:
    explicit TicketHost(const PrinterFeatures &features = {}, PrinterSetup setup = {});
    ~TicketHost();
    TicketHost(const TicketHost &) = delete;
    TicketHost &operator=(const TicketHost &) = delete;

    // The printer (installed when missing), the plug-in object with its helper, the provider,
    // GetSupportedVersions and BindPrinter. False with a reason in *error.
    bool Start(std::wstring *error);

    // The record the driver's default devmode carries.
    static PrivateDevmode DefaultRecord();
    // ConvertDevModeToPrintTicket of a devmode holding `record`.
    HRESULT DevmodeToTicket(const PrivateDevmode &record, IXMLDOMDocument2 *ticket);
    // ConvertPrintTicketToDevMode on a devmode holding *record (the default
    // record unless the test says otherwise); *record receives the result.
    HRESULT TicketToDevmode(IXMLDOMDocument2 *ticket, PrivateDevmode *record);
    HRESULT Validate(IXMLDOMDocument2 *ticket);
    // CompletePrintCapabilities for the default devmode's ticket.
    HRESULT Capabilities(IXMLDOMDocument2 *capabilities);

    HANDLE printer() const { return printer_.get(); }
    IPrintOemPrintTicketProvider *provider() const { return provider_.get(); }

    FakeCoreUI model;
    FakeCoreHelperPs helper{&model};
    HRESULT publishDriverAnswer = E_UNEXPECTED;
    HRESULT publishHelperAnswer = E_UNEXPECTED;
    std::vector<int> versions;
    OEMPTOPTS bindOptions = OEMPT_DEFAULT;
    std::vector<std::wstring> namespaces;
    // Set when a call wrote where it must not: the public part or the core
    // driver's bytes, or the record while converting it to a ticket.
    bool driverPartTouched = false;

private:
    HRESULT CallWithDevmode(PrivateDevmode *record, bool toTicket, IXMLDOMDocument2 *ticket);

    PrinterSetup setup_;
    unique_hprinter printer_;
    com_ptr<IPrintOemUI2> plugin_;
    com_ptr<IPrintOemPrintTicketProvider> provider_;
    bool comStarted_ = false;
};

}  // namespace testbed
