// The print-ticket provider's methods as the platform documents them, over
// the state the plug-in object keeps for them.
#pragma once

#include "platform/oem_abi.h"

struct TicketProviderState {
    HANDLE printer = nullptr;               // the caller's; never closed here
    IPrintCoreHelperPS *helper = nullptr;   // one reference, released with the object
};

void ReleaseTicketHelper(TicketProviderState *state);
// Takes the IPrintCoreHelperPS from whatever the driver publishes (its
// attribute queries are what the printer's features are asked with); false
// when it offers none.
bool TakeTicketHelper(TicketProviderState *state, IUnknown *published);

HRESULT ProvideSupportedVersions(INT **versions, INT *count);
HRESULT ProvideBinding(TicketProviderState *state, HANDLE printer, INT version, POEMPTOPTS options, INT *count,
                       BSTR **namespaces);
HRESULT ProvideDefaultNamespace(BSTR *uri);
HRESULT ProvideTicketToDevmode(const TicketProviderState &state, IXMLDOMDocument2 *ticket, ULONG devmodeBytes,
                               PDEVMODEW devmode, ULONG privateBytes, PVOID privateRecord);
HRESULT ProvideDevmodeToTicket(const TicketProviderState &state, ULONG devmodeBytes, PDEVMODEW devmode,
                               ULONG privateBytes, PVOID privateRecord, IXMLDOMDocument2 *ticket);
HRESULT ProvideCapabilities(const TicketProviderState &state, IXMLDOMDocument2 *capabilities);
HRESULT ProvideValidation(const TicketProviderState &state, IXMLDOMDocument2 *ticket);
