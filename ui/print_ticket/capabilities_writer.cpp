// The plug-in's entries of a PrintCapabilities document.
#include <msxml2.h>

#include <vector>

#include "resources/resource.h"
#include "ui/frame/module.h"
#include "ui/print_ticket/name_encoding.h"
#include "ui/print_ticket/ticket_entries.h"
#include "ui/print_ticket/ticket_mapping.h"
#include "ui/watermark/store.h"

namespace {

std::wstring DisplayName(UINT id) {
    wchar_t text[kUiStringChars];
    return LoadUiString(id, text, kUiStringChars) > 0 ? std::wstring(text) : std::wstring();
}

HRESULT AppendDisplayName(SchemaWriter &w, IXMLDOMNode *parent, const std::wstring &text) {
    return w.AppendProperty(parent, Ns::Psk, L"DisplayName", L"string", text);
}

HRESULT AppendOption(SchemaWriter &w, IXMLDOMNode *feature, Ns ns, const wchar_t *name, const std::wstring &display) {
    com_ptr<IXMLDOMElement> option;
    HRESULT hr = w.AppendNamed(feature, L"Option", ns, name, &option);
    return SUCCEEDED(hr) ? AppendDisplayName(w, option.get(), display) : hr;
}

bool CollectName(const wchar_t *name, void *context) {
    static_cast<std::vector<std::wstring> *>(context)->emplace_back(name);
    return true;
}

// "(None)" and every stored watermark, in the store's order.
HRESULT AppendWatermarkOptions(SchemaWriter &w, IXMLDOMNode *feature, HANDLE printer) {
    HRESULT hr = AppendOption(w, feature, Ns::Psk, L"None", DisplayName(IDS_WM_NONE));
    std::vector<std::wstring> names;
    if (printer) ForEachWatermarkName(printer, CollectName, &names);
    for (size_t i = 0; SUCCEEDED(hr) && i < names.size(); ++i)
        hr = AppendOption(w, feature, Ns::Private, EncodeLocalName(names[i].c_str()).c_str(), names[i]);
    return hr;
}

HRESULT AppendFeature(SchemaWriter &w, const FeatureRow &row, HANDLE printer, const PrinterOffer &offer) {
    com_ptr<IXMLDOMElement> feature;
    HRESULT hr = w.AppendNamed(w.root(), L"Feature", row.ns, row.name, &feature);
    if (SUCCEEDED(hr))
        hr = w.AppendProperty(feature.get(), Ns::Psf, L"SelectionType", L"QName", w.Qualified(Ns::Psk, L"PickOne"));
    if (SUCCEEDED(hr)) hr = AppendDisplayName(w, feature.get(), DisplayName(row.displayId));
    if (SUCCEEDED(hr) && !row.options) return AppendWatermarkOptions(w, feature.get(), printer);
    for (size_t i = 0; SUCCEEDED(hr) && i < row.optionCount; ++i) {
        const OptionRow &option = row.options[i];
        if (Offered(option.when, offer))
            hr = AppendOption(w, feature.get(), option.ns, option.name, DisplayName(option.displayId));
    }
    return hr;
}

// The PIN's definition keeps to the platform's sample for PIN printing;
// only its length is this printer's.
HRESULT AppendParameterDef(SchemaWriter &w, const ParameterRow &row) {
    const bool pin = row.key == ParameterKey::PasscodeString;
    com_ptr<IXMLDOMElement> def;
    HRESULT hr = w.AppendNamed(w.root(), L"ParameterDef", row.ns, row.name, &def);
    IXMLDOMNode *node = def.get();
    auto property = [&](const wchar_t *name, const wchar_t *type, const std::wstring &text) {
        if (SUCCEEDED(hr)) hr = w.AppendProperty(node, Ns::Psf, name, type, text);
    };
    if (row.integer) {
        property(L"DataType", L"QName", w.Qualified(Ns::Xsd, L"integer"));
        property(L"DefaultValue", L"integer", row.key == ParameterKey::FaxCoverPageParts ? L"7" : L"0");
        property(L"MinValue", L"integer", std::to_wstring(row.minimum));
        property(L"MaxValue", L"integer", std::to_wstring(row.maximum));
        property(L"Multiple", L"integer", L"1");
        property(L"UnitType", L"string", L"integer");
    } else {
        property(L"DataType", L"QName", w.Qualified(Ns::Xsd, L"string"));
        property(L"DefaultValue", L"string", L"");
        property(L"MinLength", L"integer", std::to_wstring(row.minimum));
        property(L"MaxLength", L"integer", std::to_wstring(row.maximum));
        property(L"UnitType", L"string", pin ? L"numeric" : L"characters");
    }
    property(L"Mandatory", L"QName", w.Qualified(Ns::Psk, L"Optional"));
    if (SUCCEEDED(hr)) hr = AppendDisplayName(w, node, DisplayName(row.displayId));
    return hr;
}

}  // namespace

HRESULT WriteCapabilitiesPart(IXMLDOMDocument2 *capabilities, HANDLE printer, const PrinterOffer &offer) {
    com_ptr<IXMLDOMElement> root = SchemaRoot(capabilities, L"PrintCapabilities");
    if (!root) return E_PRINTCAPABILITIES_FORMAT;
    std::vector<TicketEntry> earlier;
    HRESULT hr = FindEntries(root.get(), L"ParameterDef", true, &earlier);
    for (size_t i = 0; SUCCEEDED(hr) && i < earlier.size(); ++i) hr = RemoveChild(root.get(), earlier[i].node.get());
    SchemaWriter w;
    if (SUCCEEDED(hr)) hr = w.Open(capabilities);
    for (size_t i = 0; SUCCEEDED(hr) && i < kParameterCount; ++i)
        if (Offered(kParameters[i].when, offer)) hr = AppendParameterDef(w, kParameters[i]);
    for (size_t i = 0; SUCCEEDED(hr) && i < kFeatureCount; ++i)
        if (Offered(kFeatures[i].when, offer)) hr = AppendFeature(w, kFeatures[i], printer, offer);
    return hr;
}
