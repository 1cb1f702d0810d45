// A ticket corrected to what the pages would store.
#include <msxml2.h>

#include "ui/output/hold_rules.h"
#include "ui/print_ticket/name_encoding.h"
#include "ui/print_ticket/ticket_entries.h"
#include "ui/print_ticket/ticket_mapping.h"
#include "ui/watermark/store.h"

namespace {

class Validation {
public:
    Validation(IXMLDOMDocument2 *ticket, IXMLDOMElement *root, HANDLE printer, const PrinterOffer &offer)
        : ticket_(ticket), root_(root), printer_(printer), offer_(offer) {}

    HRESULT Run();
    bool changed() const { return changed_; }

private:
    HRESULT Writer(SchemaWriter **w);
    HRESULT Remove(IXMLDOMNode *node);
    HRESULT SetOption(IXMLDOMNode *option, Ns ns, const wchar_t *name);
    HRESULT CheckFeature(TicketEntry &entry);
    HRESULT CheckDestination(TicketEntry &entry, IXMLDOMNode *option, const OptionRow *chosen);
    HRESULT CheckWatermark(IXMLDOMNode *option, const QName &name, Ns ns);
    HRESULT CheckParameter(const TicketEntry &entry);
    HRESULT MatchDestinationToPasscode();

    IXMLDOMDocument2 *ticket_;
    IXMLDOMElement *root_;
    HANDLE printer_;
    const PrinterOffer &offer_;
    SchemaWriter writer_;
    bool writerOpen_ = false;
    bool changed_ = false;
    int passcode_ = -1;  // -1 absent, else the option's value
    com_ptr<IXMLDOMNode> destinationOption_;
    uint32_t destination_ = DEST_PRINTER;
};

// Opened only for a change, so that a valid ticket is left byte for byte.
HRESULT Validation::Writer(SchemaWriter **w) {
    if (!writerOpen_) {
        HRESULT hr = writer_.Open(ticket_);
        if (FAILED(hr)) return hr;
        writerOpen_ = true;
    }
    *w = &writer_;
    return S_OK;
}

HRESULT Validation::Remove(IXMLDOMNode *node) {
    changed_ = true;
    return RemoveChild(root_, node);
}

HRESULT Validation::SetOption(IXMLDOMNode *option, Ns ns, const wchar_t *name) {
    SchemaWriter *w = nullptr;
    HRESULT hr = Writer(&w);
    if (FAILED(hr)) return hr;
    changed_ = true;
    return w->SetNameAttribute(option, ns, name);
}

HRESULT Validation::CheckWatermark(IXMLDOMNode *option, const QName &name, Ns ns) {
    if (ns == Ns::Psk && name.local == L"None") return S_OK;
    std::wstring decoded;
    if (ns == Ns::Private && DecodeLocalName(name.local.c_str(), &decoded) && decoded.size() < 128 &&
        WatermarkExists(printer_, decoded.c_str()))
        return S_OK;
    return SetOption(option, Ns::Psk, L"None");
}

// An option the printer lacks becomes the printer itself; File and EPS,
// which only applications set, stay.
HRESULT Validation::CheckDestination(TicketEntry &entry, IXMLDOMNode *option, const OptionRow *chosen) {
    if (chosen->when != When::Never && chosen->value != DEST_PRINTER &&
        !(Offered(entry.feature->when, offer_) && Offered(chosen->when, offer_))) {
        HRESULT hr = SetOption(option, Ns::Private, L"Printer");
        if (FAILED(hr)) return hr;
        destination_ = DEST_PRINTER;
    } else {
        destination_ = chosen->value;
    }
    option->AddRef();
    destinationOption_.reset(option);
    return S_OK;
}

HRESULT Validation::CheckFeature(TicketEntry &entry) {
    const FeatureRow &row = *entry.feature;
    QName name;
    Ns ns = Ns::Count;
    com_ptr<IXMLDOMNode> option = SelectedOption(entry.node.get(), &name);
    if (!option || !NamespaceOf(name.uri, &ns)) return Remove(entry.node.get());
    if (row.key == FeatureKey::Watermark || row.key == FeatureKey::SecondWatermark)
        return CheckWatermark(option.get(), name, ns);
    const OptionRow *chosen = OptionByName(row, ns, name.local.c_str());
    if (!chosen) return Remove(entry.node.get());
    if (row.key == FeatureKey::Destination) return CheckDestination(entry, option.get(), chosen);
    if (!Offered(row.when, offer_)) return Remove(entry.node.get());
    if (row.key == FeatureKey::Passcode) passcode_ = static_cast<int>(chosen->value);
    return S_OK;
}

HRESULT Validation::CheckParameter(const TicketEntry &entry) {
    const ParameterRow &row = *entry.parameter;
    if (!Offered(row.when, offer_)) return Remove(entry.node.get());
    com_ptr<IXMLDOMNode> value = FirstValue(entry.node.get());
    std::wstring text;
    if (!value || !ReadText(value.get(), &text)) return Remove(entry.node.get());
    if (row.integer) {
        int32_t n = 0;
        if (!ParseInteger(text, &n)) return Remove(entry.node.get());
        if (n >= row.minimum && n <= row.maximum) return S_OK;
        unique_bstr clamped(SysAllocString(std::to_wstring(n < row.minimum ? row.minimum : row.maximum).c_str()));
        if (!clamped) return E_OUTOFMEMORY;
        changed_ = true;
        return value->put_text(clamped.get());
    }
    bool accepted = text.size() <= static_cast<size_t>(row.maximum) && text.find(L'\0') == std::wstring::npos;
    if (accepted && row.key == ParameterKey::PasscodeString) accepted = CheckHoldPin(text.c_str()) == 0;
    if (accepted && row.key == ParameterKey::HoldUserName) accepted = CheckHoldUserName(text.c_str()) == 0;
    return accepted ? S_OK : Remove(entry.node.get());
}

// PIN printing on is confidential print, and off is not.
HRESULT Validation::MatchDestinationToPasscode() {
    if (passcode_ < 0) return S_OK;
    const bool on = passcode_ != 0;
    if (on == (destination_ == DEST_CONFIDENTIAL) && (destinationOption_ || !on)) return S_OK;
    const wchar_t *want = on ? L"ConfidentialPrint" : L"Printer";
    if (destinationOption_) return SetOption(destinationOption_.get(), Ns::Private, want);
    SchemaWriter *w = nullptr;
    HRESULT hr = Writer(&w);
    com_ptr<IXMLDOMElement> feature, option;
    const FeatureRow &row = Feature(FeatureKey::Destination);
    if (SUCCEEDED(hr)) hr = w->AppendNamed(root_, L"Feature", row.ns, row.name, &feature);
    if (SUCCEEDED(hr)) hr = w->AppendNamed(feature.get(), L"Option", Ns::Private, want, &option);
    changed_ = true;
    return hr;
}

HRESULT Validation::Run() {
    std::vector<TicketEntry> entries;
    HRESULT hr = FindEntries(root_, L"ParameterInit", false, &entries);
    for (size_t i = 0; SUCCEEDED(hr) && i < entries.size(); ++i)
        hr = entries[i].feature ? CheckFeature(entries[i]) : CheckParameter(entries[i]);
    return SUCCEEDED(hr) ? MatchDestinationToPasscode() : hr;
}

}  // namespace

HRESULT ValidateTicketPart(IXMLDOMDocument2 *ticket, HANDLE printer, const PrinterOffer &offer) {
    com_ptr<IXMLDOMElement> root = SchemaRoot(ticket, L"PrintTicket");
    if (!root) return E_PRINTTICKET_FORMAT;
    Validation validation(ticket, root.get(), printer, offer);
    HRESULT hr = validation.Run();
    if (FAILED(hr)) return hr;
    return validation.changed() ? S_PT_CONFLICT_RESOLVED : S_PT_NO_CONFLICT;
}
