#include "tests/host/ticket_host.h"

#include <winspool.h>

#include <cstring>
#include <utility>

#include "tests/host/ui_host.h"

namespace testbed {
namespace {

// MSXML 6's document {88D96A05-F192-11D4-A65F-0040963251E5}; the toolchain's headers stop at MSXML 4.
constexpr GUID CLSID_DOMDocument60 = {0x88d96a05, 0xf192, 0x11d4, {0xa6, 0x5f, 0x00, 0x40, 0x96, 0x32, 0x51, 0xe5}};
// {2933BF95-7B36-11D2-B20E-00C04F983E60}
constexpr GUID IID_IXMLDOMDocument2 = {0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

constexpr DWORD kAdtAscii = 5;  // kADT_ASCII of the driver's attribute types
// The core driver keeps bytes of its own between the public part and the
// plug-ins' records; a plug-in must not touch them.
constexpr DWORD kCorePrivateBytes = 48;
constexpr BYTE kCoreFill = 0xC5;

constexpr wchar_t kSelectionNamespaces[] =
    L"xmlns:psf='http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework' "
    L"xmlns:psk='http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords' "
    L"xmlns:pskv11='http://schemas.microsoft.com/windows/2013/05/printing/printschemakeywordsv11' "
    L"xmlns:psp='urn:psplugins:printschema:2026' "
    L"xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance' "
    L"xmlns:xsd='http://www.w3.org/2001/XMLSchema' "
    L"xmlns:ext='http://schemas.example.org/2026/finishing'";

#define TICKET_NAMESPACES                                                                   \
    L"xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\" " \
    L"xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\" "  \
    L"xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "                             \
    L"xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" "                                      \
    L"xmlns:ns0000=\"http://schemas.example.org/2026/finishing\" "

// What the core driver writes before the plug-ins get the ticket.
constexpr wchar_t kCoreTicketXml[] =
    L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
    L"<psf:PrintTicket " TICKET_NAMESPACES L"version=\"1\">"
    L"<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:ISOA4\">"
    L"<psf:ScoredProperty name=\"psk:MediaSizeWidth\"><psf:Value xsi:type=\"xsd:integer\">210000</psf:Value>"
    L"</psf:ScoredProperty>"
    L"<psf:ScoredProperty name=\"psk:MediaSizeHeight\"><psf:Value xsi:type=\"xsd:integer\">297000</psf:Value>"
    L"</psf:ScoredProperty></psf:Option></psf:Feature>"
    L"<psf:ParameterInit name=\"psk:JobCopiesAllDocuments\"><psf:Value xsi:type=\"xsd:integer\">1</psf:Value>"
    L"</psf:ParameterInit>"
    L"<psf:Feature name=\"ns0000:JobStapleCorner\"><psf:Option name=\"ns0000:TopLeft\"/></psf:Feature>"
    L"</psf:PrintTicket>";

constexpr wchar_t kCoreCapabilitiesXml[] =
    L"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
    L"<psf:PrintCapabilities " TICKET_NAMESPACES L"version=\"1\">"
    L"<psf:Feature name=\"psk:PageMediaSize\">"
    L"<psf:Property name=\"psf:SelectionType\"><psf:Value xsi:type=\"xsd:QName\">psk:PickOne</psf:Value>"
    L"</psf:Property><psf:Option name=\"psk:ISOA4\"/><psf:Option name=\"psk:NorthAmericaLetter\"/></psf:Feature>"
    L"<psf:ParameterDef name=\"psk:JobCopiesAllDocuments\">"
    L"<psf:Property name=\"psf:DataType\"><psf:Value xsi:type=\"xsd:QName\">xsd:integer</psf:Value></psf:Property>"
    L"<psf:Property name=\"psf:MinValue\"><psf:Value xsi:type=\"xsd:integer\">1</psf:Value></psf:Property>"
    L"<psf:Property name=\"psf:MaxValue\"><psf:Value xsi:type=\"xsd:integer\">999</psf:Value></psf:Property>"
    L"</psf:ParameterDef>"
    L"<psf:Feature name=\"ns0000:JobStapleCorner\"><psf:Option name=\"ns0000:TopLeft\"/></psf:Feature>"
    L"</psf:PrintCapabilities>";

com_ptr<IXMLDOMNodeList> Select(IXMLDOMDocument2 *doc, const wchar_t *xpath) {
    com_ptr<IXMLDOMNodeList> list;
    if (!doc) return list;
    unique_bstr query(SysAllocString(xpath));
    if (FAILED(doc->selectNodes(query.get(), list.put()))) list.reset();
    return list;
}

com_ptr<IXMLDOMNode> SelectFirst(IXMLDOMDocument2 *doc, const wchar_t *xpath) {
    com_ptr<IXMLDOMNode> node;
    if (!doc) return node;
    unique_bstr query(SysAllocString(xpath));
    if (doc->selectSingleNode(query.get(), node.put()) != S_OK) node.reset();
    return node;
}

void SetProperty(IXMLDOMDocument2 *doc, const wchar_t *name, const wchar_t *value) {
    unique_bstr property(SysAllocString(name));
    unique_variant v;
    v.put_bstr(value);
    doc->setProperty(property.get(), v.get());
}

}  // namespace

void DescribePrinter(const PrinterFeatures &features, FakeCoreUI *model) {
    model->settings["FaxCard"] = features.faxCard ? "True" : "False";
    model->features["FaxCard"] = {"True", "False"};
    const std::pair<bool, const char *> defined[] = {{features.printAndHold, "HasPrintandHold"},
                                                     {features.keepPreviousJobs, "HasKeepPreviousPHJobs"},
                                                     {features.manualColor, "HasManualColorCorrection"}};
    for (const auto &[present, keyword] : defined) {
        if (present) {
            model->features[keyword] = {"True", "False"};
            model->settings[keyword] = "True";
        } else {
            model->features.erase(keyword);
            model->settings.erase(keyword);
        }
    }
}

HRESULT FakeCoreHelperPs::QueryInterface(REFIID riid, void **ppv) {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IPrintCoreHelper) || IsEqualIID(riid, IID_IPrintCoreHelperPS)) ++helperQueries;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPrintCoreHelper) ||
        IsEqualIID(riid, IID_IPrintCoreHelperPS)) {
        *ppv = static_cast<IPrintCoreHelperPS *>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakeCoreHelperPs::GetOption(const DEVMODEW *, DWORD, PCSTR feature, PCSTR *option) {
    if (!feature || !option) return E_INVALIDARG;
    auto it = model_->settings.find(feature);
    if (it == model_->settings.end()) return E_INVALIDARG;
    *option = it->second.c_str();
    return S_OK;
}

HRESULT FakeCoreHelperPs::EnumConstrainedOptions(const DEVMODEW *, DWORD, PCSTR feature, PCSTR **list,
                                                 DWORD *count) {
    if (!feature || !list || !count) return E_INVALIDARG;
    if (model_->features.find(feature) == model_->features.end()) return E_INVALIDARG;
    // Nothing is constrained in this printer description.
    return E_FAIL;
}

HRESULT FakeCoreHelperPs::EnumFeatures(PCSTR **list, DWORD *count) {
    if (!list || !count) return E_INVALIDARG;
    try {
        std::vector<std::string> names;
        for (const auto &feature : model_->features) names.push_back(feature.first);
        return Hand(names, list, count);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

HRESULT FakeCoreHelperPs::EnumOptions(PCSTR feature, PCSTR **list, DWORD *count) {
    if (!feature || !list || !count) return E_INVALIDARG;
    auto it = model_->features.find(feature);
    if (it == model_->features.end()) return E_INVALIDARG;
    return Hand(it->second, list, count);
}

// Keeps the list for the helper's lifetime, as the driver keeps its answers.
HRESULT FakeCoreHelperPs::Hand(const std::vector<std::string> &names, PCSTR **list, DWORD *count) noexcept {
    try {
        strings_.emplace_back(names);
        std::vector<PCSTR> pointers;
        for (const auto &name : strings_.back()) pointers.push_back(name.c_str());
        lists_.push_back(std::move(pointers));
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    *list = lists_.back().data();
    *count = static_cast<DWORD>(lists_.back().size());
    return S_OK;
}

HRESULT FakeCoreHelperPs::CreateInstanceOfMSXMLObject(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID riid,
                                                      LPVOID *ppv) {
    return CoCreateInstance(clsid, outer, context, riid, ppv);
}

// Only the display name is described; the keyword stands for it.
HRESULT FakeCoreHelperPs::GetFeatureAttribute(PCSTR feature, PCSTR attribute, PDWORD type, PBYTE *data,
                                              PDWORD size) {
    if (!feature || !attribute || !type || !data || !size) return E_INVALIDARG;
    auto it = model_->features.find(feature);
    if (it == model_->features.end() || std::strcmp(attribute, "DisplayName") != 0) return E_INVALIDARG;
    *type = kAdtAscii;
    *data = reinterpret_cast<PBYTE>(const_cast<char *>(it->first.c_str()));
    *size = static_cast<DWORD>(it->first.size() + 1);
    return S_OK;
}

HRESULT FakeCoreHelperPs::GetOptionAttribute(PCSTR feature, PCSTR option, PCSTR attribute, PDWORD type,
                                             PBYTE *data, PDWORD size) {
    if (!feature || !option || !attribute || !type || !data || !size) return E_INVALIDARG;
    auto it = model_->features.find(feature);
    if (it == model_->features.end() || std::strcmp(attribute, "DisplayName") != 0) return E_INVALIDARG;
    for (const auto &name : it->second) {
        if (name != option) continue;
        *type = kAdtAscii;
        *data = reinterpret_cast<PBYTE>(const_cast<char *>(name.c_str()));
        *size = static_cast<DWORD>(name.size() + 1);
        return S_OK;
    }
    return E_INVALIDARG;
}

com_ptr<IXMLDOMDocument2> NewXmlDocument() {
    com_ptr<IXMLDOMDocument2> doc;
    if (FAILED(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                                doc.put_void())))
        doc.reset();
    if (!doc) return doc;
    doc->put_async(VARIANT_FALSE);
    SetProperty(doc.get(), L"SelectionLanguage", L"XPath");
    SetProperty(doc.get(), L"SelectionNamespaces", kSelectionNamespaces);
    return doc;
}

com_ptr<IXMLDOMDocument2> LoadXml(const std::wstring &xml) {
    com_ptr<IXMLDOMDocument2> doc = NewXmlDocument();
    if (!doc) return doc;
    unique_bstr text(SysAllocString(xml.c_str()));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (doc->loadXML(text.get(), &loaded) != S_OK || loaded != VARIANT_TRUE) doc.reset();
    return doc;
}

std::wstring XmlText(IXMLDOMDocument2 *doc) {
    unique_bstr xml;
    if (!doc || FAILED(doc->get_xml(xml.put())) || !xml) return L"";
    return std::wstring(xml.get(), SysStringLen(xml.get()));
}

long CountNodes(IXMLDOMDocument2 *doc, const wchar_t *xpath) {
    com_ptr<IXMLDOMNodeList> list = Select(doc, xpath);
    long n = -1;
    if (!list || FAILED(list->get_length(&n))) return -1;
    return n;
}

std::wstring NodeText(IXMLDOMDocument2 *doc, const wchar_t *xpath) {
    com_ptr<IXMLDOMNode> node = SelectFirst(doc, xpath);
    unique_bstr text;
    if (!node || FAILED(node->get_text(text.put())) || !text) return L"";
    return std::wstring(text.get(), SysStringLen(text.get()));
}

std::wstring NodeXml(IXMLDOMDocument2 *doc, const wchar_t *xpath) {
    com_ptr<IXMLDOMNode> node = SelectFirst(doc, xpath);
    unique_bstr xml;
    if (!node || FAILED(node->get_xml(xml.put())) || !xml) return L"";
    return std::wstring(xml.get(), SysStringLen(xml.get()));
}

bool SetNodeText(IXMLDOMDocument2 *doc, const wchar_t *xpath, const wchar_t *text) {
    com_ptr<IXMLDOMNode> node = SelectFirst(doc, xpath);
    if (!node) return false;
    unique_bstr value(SysAllocString(text));
    return SUCCEEDED(node->put_text(value.get()));
}

long RemoveNodes(IXMLDOMDocument2 *doc, const wchar_t *xpath) {
    com_ptr<IXMLDOMNodeList> list = Select(doc, xpath);
    long n = 0, removed = 0;
    if (!list || FAILED(list->get_length(&n))) return 0;
    for (long i = 0; i < n; ++i) {
        com_ptr<IXMLDOMNode> node, parent, gone;
        if (FAILED(list->get_item(i, node.put())) || !node) continue;
        if (node->get_parentNode(parent.put()) != S_OK || !parent) continue;
        if (SUCCEEDED(parent->removeChild(node.get(), gone.put()))) ++removed;
    }
    return removed;
}

com_ptr<IXMLDOMDocument2> CoreTicket() { return LoadXml(kCoreTicketXml); }
com_ptr<IXMLDOMDocument2> CoreCapabilities() { return LoadXml(kCoreCapabilitiesXml); }

TicketHost::TicketHost(const PrinterFeatures &features, PrinterSetup setup) : setup_(std::move(setup)) {
    DescribePrinter(features, &model);
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    comStarted_ = SUCCEEDED(hr);
}

TicketHost::~TicketHost() {
    // Before COM ends on this thread, not with the members.
    provider_.reset();
    plugin_.reset();
    printer_.reset();
    if (comStarted_) CoUninitialize();
}

bool TicketHost::Start(std::wstring *error) {
    if (!EnsurePrinter(setup_, error)) return false;
    HANDLE h = nullptr;
    if (!OpenPrinterW(const_cast<wchar_t *>(setup_.printerName.c_str()), &h, nullptr)) {
        *error = L"OpenPrinter failed";
        return false;
    }
    printer_.reset(h);

    DllGetClassObjectFn getClassObject = UiPlugGetClassObject();
    if (!getClassObject) {
        *error = L"uiplug.dll not loaded from " + ProgramDirFile(L"uiplug.dll");
        return false;
    }
    com_ptr<IClassFactory> factory;
    if (FAILED(getClassObject(CLSID_OEMUI, IID_IClassFactory, factory.put_void())) ||
        !factory ||
        FAILED(factory->CreateInstance(nullptr, IID_IPrintOemUI2, plugin_.put_void())) ||
        !plugin_) {
        *error = L"the plug-in object was not created";
        return false;
    }
    // The driver offers its helper to the new object; a plug-in may decline it here.
    publishDriverAnswer = plugin_->PublishDriverInterface(static_cast<IPrintCoreHelperPS *>(&helper));
    if (FAILED(plugin_->QueryInterface(IID_IPrintOemPrintTicketProvider, provider_.put_void())) || !provider_) {
        provider_.reset();
        *error = L"the plug-in object offers no print-ticket provider";
        return false;
    }
    publishHelperAnswer = provider_->PublishPrintTicketHelperInterface(static_cast<IPrintCoreHelperPS *>(&helper));

    INT *list = nullptr;
    INT count = 0;
    if (FAILED(provider_->GetSupportedVersions(printer(), &list, &count))) {
        *error = L"GetSupportedVersions failed";
        return false;
    }
    for (INT i = 0; list && i < count; ++i) versions.push_back(list[i]);
    CoTaskMemFree(list);

    BSTR *uris = nullptr;
    count = 0;
    HRESULT hr = provider_->BindPrinter(printer(), 1, &bindOptions, &count, &uris);
    for (INT i = 0; uris && i < count; ++i) {
        unique_bstr uri(uris[i]);
        namespaces.emplace_back(uri ? uri.get() : L"");
    }
    CoTaskMemFree(uris);
    if (FAILED(hr)) {
        *error = L"BindPrinter failed";
        return false;
    }
    return true;
}

PrivateDevmode TicketHost::DefaultRecord() {
    PrivateDevmode record;
    std::memset(&record, 0, sizeof(record));
    MakeDefaultPrivateDevmode(&record);
    return record;
}

HRESULT TicketHost::CallWithDevmode(PrivateDevmode *record, bool toTicket, IXMLDOMDocument2 *ticket) {
    // Public part, the core driver's bytes, then the plug-in's record, as one block.
    const size_t size = sizeof(DEVMODEW) + kCorePrivateBytes + sizeof(PrivateDevmode);
    std::vector<BYTE> block(size, 0);
    auto *dm = reinterpret_cast<DEVMODEW *>(block.data());
    wcsncpy(dm->dmDeviceName, setup_.printerName.c_str(), CCHDEVICENAME - 1);
    dm->dmSpecVersion = DM_SPECVERSION;
    dm->dmSize = sizeof(DEVMODEW);
    dm->dmDriverExtra = static_cast<WORD>(kCorePrivateBytes + sizeof(PrivateDevmode));
    dm->dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_COPIES;
    dm->dmOrientation = DMORIENT_PORTRAIT;
    dm->dmPaperSize = DMPAPER_A4;
    dm->dmCopies = 1;
    std::memset(block.data() + sizeof(DEVMODEW), kCoreFill, kCorePrivateBytes);
    BYTE *privatePart = block.data() + sizeof(DEVMODEW) + kCorePrivateBytes;
    std::memcpy(privatePart, record, sizeof(PrivateDevmode));
    const std::vector<BYTE> driverPart(block.begin(), block.begin() + sizeof(DEVMODEW) + kCorePrivateBytes);

    HRESULT hr = toTicket ? provider_->ConvertDevModeToPrintTicket(static_cast<ULONG>(size), dm,
                                                                   sizeof(PrivateDevmode), privatePart, ticket)
                          : provider_->ConvertPrintTicketToDevMode(ticket, static_cast<ULONG>(size), dm,
                                                                   sizeof(PrivateDevmode), privatePart);
    if (!std::equal(driverPart.begin(), driverPart.end(), block.begin())) driverPartTouched = true;
    std::memcpy(record, privatePart, sizeof(PrivateDevmode));
    return hr;
}

HRESULT TicketHost::DevmodeToTicket(const PrivateDevmode &record, IXMLDOMDocument2 *ticket) {
    PrivateDevmode copy = record;
    HRESULT hr = CallWithDevmode(&copy, true, ticket);
    if (std::memcmp(&copy, &record, sizeof(copy)) != 0) driverPartTouched = true;
    return hr;
}

HRESULT TicketHost::TicketToDevmode(IXMLDOMDocument2 *ticket, PrivateDevmode *record) {
    return CallWithDevmode(record, false, ticket);
}

HRESULT TicketHost::Validate(IXMLDOMDocument2 *ticket) { return provider_->ValidatePrintTicket(ticket); }

HRESULT TicketHost::Capabilities(IXMLDOMDocument2 *capabilities) {
    com_ptr<IXMLDOMDocument2> ticket = CoreTicket();
    if (!ticket) return E_FAIL;
    HRESULT hr = DevmodeToTicket(DefaultRecord(), ticket.get());
    if (FAILED(hr)) return hr;
    return provider_->CompletePrintCapabilities(ticket.get(), capabilities);
}

}  // namespace testbed
