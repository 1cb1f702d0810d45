// Record -> ticket.
#include <msxml2.h>

#include <cwchar>

#include "ui/print_ticket/name_encoding.h"
#include "ui/print_ticket/record_fields.h"
#include "ui/print_ticket/ticket_entries.h"
#include "ui/print_ticket/ticket_mapping.h"

namespace {

// Earlier entries of ours go, known or not, so none is left stale.
HRESULT RemoveOurEntries(IXMLDOMElement *root) {
    std::vector<TicketEntry> entries;
    HRESULT hr = FindEntries(root, L"ParameterInit", true, &entries);
    for (size_t i = 0; SUCCEEDED(hr) && i < entries.size(); ++i) hr = RemoveChild(root, entries[i].node.get());
    return hr;
}

HRESULT WriteFeature(SchemaWriter &w, const FeatureRow &row, Ns optionNs, const wchar_t *option) {
    com_ptr<IXMLDOMElement> feature, chosen;
    HRESULT hr = w.AppendNamed(w.root(), L"Feature", row.ns, row.name, &feature);
    return SUCCEEDED(hr) ? w.AppendNamed(feature.get(), L"Option", optionNs, option, &chosen) : hr;
}

HRESULT WriteWatermark(SchemaWriter &w, const FeatureRow &row, const WatermarkRecord &wm) {
    const size_t length = wcsnlen(wm.name, 128);
    if (length == 0 || length == 128) return WriteFeature(w, row, Ns::Psk, L"None");
    return WriteFeature(w, row, Ns::Private, EncodeLocalName(wm.name).c_str());
}

// File and EPS destinations come from applications' escapes, not from a
// page; they are carried whatever the printer offers.
bool Written(const FeatureRow &row, const PrivateDevmode &dm, const PrinterOffer &offer) {
    if (row.key == FeatureKey::Destination && (dm.outputDestination == DEST_FILE || dm.outputDestination == DEST_EPS))
        return true;
    return Offered(row.when, offer);
}

HRESULT WriteFeatures(SchemaWriter &w, const PrivateDevmode &dm, const PrinterOffer &offer) {
    for (size_t i = 0; i < kFeatureCount; ++i) {
        const FeatureRow &row = kFeatures[i];
        if (!Written(row, dm, offer)) continue;
        HRESULT hr = S_OK;
        if (row.key == FeatureKey::Watermark || row.key == FeatureKey::SecondWatermark) {
            hr = WriteWatermark(w, row, dm.watermarks[row.key == FeatureKey::Watermark ? 0 : 1]);
        } else {
            const OptionRow *option = OptionByValue(row, FeatureValue(row.key, dm));
            if (option) hr = WriteFeature(w, row, option->ns, option->name);
        }
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT WriteParameter(SchemaWriter &w, const ParameterRow &row, const wchar_t *type, const std::wstring &text) {
    com_ptr<IXMLDOMElement> init;
    HRESULT hr = w.AppendNamed(w.root(), L"ParameterInit", row.ns, row.name, &init);
    return SUCCEEDED(hr) ? w.AppendValue(init.get(), type, text) : hr;
}

HRESULT WriteParameters(SchemaWriter &w, const PrivateDevmode &dm, const PrinterOffer &offer) {
    PrivateDevmode copy = dm;
    for (size_t i = 0; i < kParameterCount; ++i) {
        const ParameterRow &row = kParameters[i];
        if (!Offered(row.when, offer)) continue;
        HRESULT hr = S_OK;
        if (row.integer) {
            hr = WriteParameter(w, row, L"integer", std::to_wstring(ParameterInteger(row.key, copy)));
        } else {
            TextField field = ParameterText(row.key, &copy);
            const std::wstring text(field.text, wcsnlen(field.text, field.capacity - 1));
            // No PIN or user name yet is no value to offer.
            if (text.empty() && row.minimum > 0) continue;
            hr = WriteParameter(w, row, L"string", text);
        }
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

}  // namespace

HRESULT WriteTicketPart(IXMLDOMDocument2 *ticket, const PrivateDevmode &record, const PrinterOffer &offer) {
    com_ptr<IXMLDOMElement> root = SchemaRoot(ticket, L"PrintTicket");
    if (!root) return E_PRINTTICKET_FORMAT;
    HRESULT hr = RemoveOurEntries(root.get());
    SchemaWriter w;
    if (SUCCEEDED(hr)) hr = w.Open(ticket);
    if (SUCCEEDED(hr)) hr = WriteFeatures(w, record, offer);
    if (SUCCEEDED(hr)) hr = WriteParameters(w, record, offer);
    return hr;
}
