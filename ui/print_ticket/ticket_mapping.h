// The plug-in's part of print tickets and capabilities documents, as free
// functions over MSXML documents and the private record. `printer` is the
// bound printer, whose user store holds the watermarks; `offer` what the
// printer description offers. None throws.
#pragma once

#include <windows.h>

#include "settings/private_devmode.h"
#include "ui/print_ticket/feature_table.h"

struct IXMLDOMDocument2;

// Replaces the plug-in's entries in `ticket` with the record's settings;
// everything else in the ticket stays. E_PRINTTICKET_FORMAT when the document
// is no print ticket.
HRESULT WriteTicketPart(IXMLDOMDocument2 *ticket, const PrivateDevmode &record, const PrinterOffer &offer);

// Reads the plug-in's entries over `record`, which must already be valid.
// A value that is unknown, out of range or not what the pages would store is
// ignored; an absent entry leaves its field. On failure the record may be
// partly written: callers read into a copy.
HRESULT ReadTicketPart(IXMLDOMDocument2 *ticket, HANDLE printer, PrivateDevmode *record);

// Corrects the plug-in's entries in place to what the pages would store.
// S_PT_NO_CONFLICT, S_PT_CONFLICT_RESOLVED when anything changed, or
// E_PRINTTICKET_FORMAT.
HRESULT ValidateTicketPart(IXMLDOMDocument2 *ticket, HANDLE printer, const PrinterOffer &offer);

// Adds the plug-in's features and parameter definitions to a capabilities
// document, replacing any it held. E_PRINTCAPABILITIES_FORMAT when the
// document is no capabilities document.
HRESULT WriteCapabilitiesPart(IXMLDOMDocument2 *capabilities, HANDLE printer, const PrinterOffer &offer);
