// Finding the plug-in's entries among a document's top-level elements: a
// feature, parameter setting or definition whose name resolves to the
// private namespace or to one of the two PIN keywords.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/print_ticket/feature_table.h"
#include "ui/print_ticket/xml_dom.h"

struct TicketEntry {
    com_ptr<IXMLDOMNode> node;
    const FeatureRow *feature = nullptr;      // a psf:Feature of ours
    const ParameterRow *parameter = nullptr;  // a psf:ParameterInit / ParameterDef of ours
};

bool NamespaceOf(const std::wstring &uri, Ns *ns);

// The root when it is the psf element `rootName`, else null.
com_ptr<IXMLDOMElement> SchemaRoot(IXMLDOMDocument2 *doc, const wchar_t *rootName);

// Entries of ours directly under `root`; `parameterElement` is ParameterInit
// in tickets and ParameterDef in capabilities. With `unknownToo`, elements in
// the private namespace that no row describes are listed (both pointers null).
HRESULT FindEntries(IXMLDOMElement *root, const wchar_t *parameterElement, bool unknownToo,
                    std::vector<TicketEntry> *entries);

// The first psf:Option of a feature and its resolved name.
com_ptr<IXMLDOMNode> SelectedOption(IXMLDOMNode *feature, QName *name);

// A whole decimal number in range of int32_t: optional sign, digits, nothing else.
bool ParseInteger(const std::wstring &text, int32_t *value);
