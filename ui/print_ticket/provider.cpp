#include "ui/print_ticket/provider.h"

#include <objbase.h>

#include <cstdint>
#include <cstring>
#include <new>

#include "settings/devmode_calls.h"
#include "settings/private_devmode.h"
#include "ui/print_ticket/printer_offer.h"
#include "ui/print_ticket/schema_names.h"
#include "ui/print_ticket/ticket_mapping.h"

namespace {

constexpr INT kSchemaVersion = 1;

// Nothing thrown inside (an allocation in the DOM helpers) leaves a COM call.
template <typename F>
HRESULT Guarded(F f) noexcept {
    try {
        return f();
    } catch (const std::bad_alloc &) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// The record must lie inside the devmode the caller gave, when it gave one.
bool RecordInsideDevmode(const DEVMODEW *devmode, ULONG devmodeBytes, const void *record, ULONG recordBytes) {
    if (!devmode) return true;
    const uintptr_t first = reinterpret_cast<uintptr_t>(devmode);
    const uintptr_t end = first + devmodeBytes;
    const uintptr_t at = reinterpret_cast<uintptr_t>(record);
    return end >= first && at >= first && at <= end && recordBytes <= end - at;
}

// The caller's record as the DevMode calls would take it: converted from
// what its bytes hold, then validated.
HRESULT StageRecord(const DEVMODEW *devmode, ULONG devmodeBytes, const void *record, ULONG recordBytes,
                    PrivateDevmode *staged) {
    if (!record) return E_POINTER;
    if (recordBytes < sizeof(OEM_DMEXTRAHEADER) || !RecordInsideDevmode(devmode, devmodeBytes, record, recordBytes))
        return E_INVALIDARG;
    MakeDefaultPrivateDevmode(staged);
    ConvertRecordBytes(record, recordBytes, staged);
    ValidatePrivateDevmode(staged);
    return S_OK;
}

}  // namespace

void ReleaseTicketHelper(TicketProviderState *state) {
    if (state->helper) state->helper->Release();
    state->helper = nullptr;
}

bool TakeTicketHelper(TicketProviderState *state, IUnknown *published) {
    if (!published) return false;
    void *helper = nullptr;
    if (FAILED(published->QueryInterface(IID_IPrintCoreHelperPS, &helper)) || !helper) return false;
    ReleaseTicketHelper(state);
    state->helper = static_cast<IPrintCoreHelperPS *>(helper);
    return true;
}

HRESULT ProvideSupportedVersions(INT **versions, INT *count) {
    if (!versions || !count) return E_POINTER;
    *versions = nullptr;
    *count = 0;
    // The caller frees the array.
    INT *list = static_cast<INT *>(CoTaskMemAlloc(sizeof(INT)));
    if (!list) return E_OUTOFMEMORY;
    list[0] = kSchemaVersion;
    *versions = list;
    *count = 1;
    return S_OK;
}

HRESULT ProvideBinding(TicketProviderState *state, HANDLE printer, INT version, POEMPTOPTS options, INT *count,
                       BSTR **namespaces) {
    if (!options || !count || !namespaces) return E_POINTER;
    *count = 0;
    *namespaces = nullptr;
    if (version != kSchemaVersion) return E_VERSION_NOT_SUPPORTED;
    // The record holds settings no ticket entry carries (the output file,
    // the account number), so the driver keeps its copy in the ticket.
    *options = OEMPT_DEFAULT;
    BSTR *list = static_cast<BSTR *>(CoTaskMemAlloc(sizeof(BSTR)));
    if (!list) return E_OUTOFMEMORY;
    list[0] = SysAllocString(kPrivateUri);
    if (!list[0]) {
        CoTaskMemFree(list);
        return E_OUTOFMEMORY;
    }
    state->printer = printer;
    *namespaces = list;
    *count = 1;
    return S_OK;
}

HRESULT ProvideDefaultNamespace(BSTR *uri) {
    if (!uri) return E_POINTER;
    *uri = SysAllocString(kPrivateUri);
    return *uri ? S_OK : E_OUTOFMEMORY;
}

HRESULT ProvideTicketToDevmode(const TicketProviderState &state, IXMLDOMDocument2 *ticket, ULONG devmodeBytes,
                               PDEVMODEW devmode, ULONG privateBytes, PVOID privateRecord) {
    if (!ticket) return E_POINTER;
    // The whole record is written back, so the caller's space must hold it.
    if (privateRecord && privateBytes < sizeof(PrivateDevmode)) return E_INVALIDARG;
    return Guarded([&] {
        PrivateDevmode staged;
        HRESULT hr = StageRecord(devmode, devmodeBytes, privateRecord, privateBytes, &staged);
        if (SUCCEEDED(hr)) hr = ReadTicketPart(ticket, state.printer, &staged);
        if (FAILED(hr)) return hr;
        ValidatePrivateDevmode(&staged);
        std::memcpy(privateRecord, &staged, sizeof(staged));
        return S_OK;
    });
}

HRESULT ProvideDevmodeToTicket(const TicketProviderState &state, ULONG devmodeBytes, PDEVMODEW devmode,
                               ULONG privateBytes, PVOID privateRecord, IXMLDOMDocument2 *ticket) {
    if (!ticket) return E_POINTER;
    return Guarded([&] {
        PrivateDevmode staged;
        HRESULT hr = StageRecord(devmode, devmodeBytes, privateRecord, privateBytes, &staged);
        if (FAILED(hr)) return hr;
        const PrinterOffer offer = AskPrinterOffer(state.helper, devmode, devmode ? devmodeBytes : 0);
        return WriteTicketPart(ticket, staged, offer);
    });
}

HRESULT ProvideCapabilities(const TicketProviderState &state, IXMLDOMDocument2 *capabilities) {
    if (!capabilities) return E_POINTER;
    return Guarded([&] {
        return WriteCapabilitiesPart(capabilities, state.printer, AskPrinterOffer(state.helper, nullptr, 0));
    });
}

HRESULT ProvideValidation(const TicketProviderState &state, IXMLDOMDocument2 *ticket) {
    if (!ticket) return E_POINTER;
    return Guarded(
        [&] { return ValidateTicketPart(ticket, state.printer, AskPrinterOffer(state.helper, nullptr, 0)); });
}
