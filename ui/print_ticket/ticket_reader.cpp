// Ticket -> record.
#include <msxml2.h>

#include <cwchar>

#include "ui/output/hold_rules.h"
#include "ui/print_ticket/name_encoding.h"
#include "ui/print_ticket/record_fields.h"
#include "ui/print_ticket/ticket_entries.h"
#include "ui/print_ticket/ticket_mapping.h"
#include "ui/watermark/store.h"

namespace {

enum class Passcode { Absent, On, Off };

// The stored watermark the option names, read as the watermark page reads
// its choice; false when the option names none that is stored.
bool ReadNamedWatermark(HANDLE printer, const QName &option, WatermarkRecord *wm) {
    Ns ns = Ns::Count;
    if (!NamespaceOf(option.uri, &ns)) return false;
    if (ns == Ns::Psk && option.local == L"None") return MakeDefaultWatermark(wm);
    std::wstring name;
    if (ns != Ns::Private || !DecodeLocalName(option.local.c_str(), &name) || name.size() >= 128) return false;
    WatermarkRecord stored;
    MakeDefaultWatermark(&stored);
    if (!WatermarkExists(printer, name.c_str()) || !ReadWatermark(printer, &stored, name.c_str())) return false;
    TerminateString(stored.name);
    TerminateString(stored.text);
    TerminateString(stored.faceName);
    *wm = stored;
    return true;
}

void ReadFeature(const TicketEntry &entry, HANDLE printer, PrivateDevmode *dm, Passcode *passcode) {
    QName option;
    Ns ns = Ns::Count;
    if (!SelectedOption(entry.node.get(), &option) || !NamespaceOf(option.uri, &ns)) return;
    const FeatureRow &row = *entry.feature;
    if (row.key == FeatureKey::Watermark || row.key == FeatureKey::SecondWatermark) {
        ReadNamedWatermark(printer, option, &dm->watermarks[row.key == FeatureKey::Watermark ? 0 : 1]);
        return;
    }
    const OptionRow *chosen = OptionByName(row, ns, option.local.c_str());
    if (!chosen) return;
    if (row.key == FeatureKey::Passcode)
        *passcode = chosen->value ? Passcode::On : Passcode::Off;
    else
        SetFeatureValue(row.key, chosen->value, dm);
}

bool Acceptable(const ParameterRow &row, const std::wstring &text) {
    if (text.size() > static_cast<size_t>(row.maximum) || text.find(L'\0') != std::wstring::npos) return false;
    if (row.key == ParameterKey::PasscodeString) return CheckHoldPin(text.c_str()) == 0;
    if (row.key == ParameterKey::HoldUserName) return CheckHoldUserName(text.c_str()) == 0;
    return true;
}

void ReadParameter(const TicketEntry &entry, PrivateDevmode *dm) {
    const ParameterRow &row = *entry.parameter;
    com_ptr<IXMLDOMNode> value = FirstValue(entry.node.get());
    std::wstring text;
    if (!value || !ReadText(value.get(), &text)) return;
    if (row.integer) {
        int32_t n = 0;
        if (ParseInteger(text, &n) && n >= row.minimum && n <= row.maximum) SetParameterInteger(row.key, n, dm);
        return;
    }
    TextField field = ParameterText(row.key, dm);
    if (!field.text || !Acceptable(row, text) || text.size() >= field.capacity) return;
    wmemcpy(field.text, text.c_str(), text.size());
    field.text[text.size()] = L'\0';
}

}  // namespace

HRESULT ReadTicketPart(IXMLDOMDocument2 *ticket, HANDLE printer, PrivateDevmode *record) {
    com_ptr<IXMLDOMElement> root = SchemaRoot(ticket, L"PrintTicket");
    if (!root) return E_PRINTTICKET_FORMAT;
    std::vector<TicketEntry> entries;
    HRESULT hr = FindEntries(root.get(), L"ParameterInit", false, &entries);
    if (FAILED(hr)) return hr;
    Passcode passcode = Passcode::Absent;
    for (const TicketEntry &entry : entries) {
        if (entry.feature)
            ReadFeature(entry, printer, record, &passcode);
        else if (entry.parameter)
            ReadParameter(entry, record);
    }
    // The platform's PIN switch speaks for confidential print; a bad PIN was
    // ignored above, so it never opens a confidential job.
    if (passcode == Passcode::On) record->outputDestination = DEST_CONFIDENTIAL;
    if (passcode == Passcode::Off && record->outputDestination == DEST_CONFIDENTIAL)
        record->outputDestination = DEST_PRINTER;
    return S_OK;
}
