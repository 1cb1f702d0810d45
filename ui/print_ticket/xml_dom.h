// The few DOM operations the provider needs over MSXML documents it is given.
// Names are matched by namespace URI and local name, never by prefix; what is
// written takes the prefixes the document already declares.
#pragma once

#include <windows.h>
#include <msxml2.h>

#include <string>
#include <vector>

#include "platform/oem_abi.h"
#include "platform/raii.h"
#include "ui/print_ticket/schema_names.h"

struct QName {
    std::wstring uri;
    std::wstring local;
};

com_ptr<IXMLDOMElement> DocumentRoot(IXMLDOMDocument2 *doc);
bool IsElementNamed(IXMLDOMNode *node, const wchar_t *uri, const wchar_t *local);
// The element children of `parent`, in document order.
HRESULT ChildElements(IXMLDOMNode *parent, std::vector<com_ptr<IXMLDOMNode>> *children);
bool ReadAttribute(IXMLDOMNode *element, const wchar_t *name, std::wstring *value);
bool ReadText(IXMLDOMNode *node, std::wstring *text);
// Resolves "prefix:local" against the declarations in scope at `context`.
bool ResolveQName(IXMLDOMNode *context, const std::wstring &qname, QName *out);
// The QName in the `name` attribute of `element`, resolved.
bool ElementQName(IXMLDOMNode *element, QName *out);
// The first psf:Value under `element` (directly or under one psf:Property /
// ScoredProperty named nothing in particular is not searched).
com_ptr<IXMLDOMNode> FirstValue(IXMLDOMNode *element);
HRESULT RemoveChild(IXMLDOMNode *parent, IXMLDOMNode *child);

// Writes Print Schema elements into one document, under prefixes it finds
// declared on the root or declares there itself.
class SchemaWriter {
public:
    HRESULT Open(IXMLDOMDocument2 *doc);
    IXMLDOMElement *root() const { return root_.get(); }
    std::wstring Qualified(Ns ns, const wchar_t *local) const;
    // Appends <psf:`local` name="`ns`:`name`"> to `parent`.
    HRESULT AppendNamed(IXMLDOMNode *parent, const wchar_t *local, Ns ns, const wchar_t *name,
                        com_ptr<IXMLDOMElement> *out);
    // Appends <psf:Value xsi:type="xsd:`type`">`text`</psf:Value>.
    HRESULT AppendValue(IXMLDOMNode *parent, const wchar_t *type, const std::wstring &text);
    // <psf:Property name="`ns`:`name`"> holding one value.
    HRESULT AppendProperty(IXMLDOMNode *parent, Ns ns, const wchar_t *name, const wchar_t *type,
                           const std::wstring &text);
    HRESULT SetNameAttribute(IXMLDOMNode *element, Ns ns, const wchar_t *name);

private:
    HRESULT EnsurePrefix(Ns ns);

    IXMLDOMDocument2 *doc_ = nullptr;
    com_ptr<IXMLDOMElement> root_;
    std::wstring prefixes_[static_cast<int>(Ns::Count)];
};
