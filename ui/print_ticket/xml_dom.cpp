#include "ui/print_ticket/xml_dom.h"

#include <cwchar>

namespace {

constexpr const wchar_t *kUris[] = {kPsfUri, kPskUri, kPskV11Uri, kPrivateUri, kXsiUri, kXsdUri};
constexpr const wchar_t *kPreferred[] = {L"psf", L"psk", L"pskv11", L"psp", L"xsi", L"xsd"};
static_assert(sizeof(kUris) / sizeof(kUris[0]) == static_cast<size_t>(Ns::Count));

std::wstring FromBstr(BSTR text) { return text ? std::wstring(text, SysStringLen(text)) : std::wstring(); }

bool SameText(BSTR a, const wchar_t *b) { return a && b && wcscmp(a, b) == 0; }

// The namespace a prefix stands for on `element` itself, if it declares one.
// The declarations are walked rather than looked up by name: that is how
// every DOM lists them.
bool DeclaredOn(IXMLDOMNode *element, const std::wstring &prefix, std::wstring *uri) {
    com_ptr<IXMLDOMNamedNodeMap> attributes;
    if (element->get_attributes(attributes.put()) != S_OK || !attributes) return false;
    const std::wstring wanted = prefix.empty() ? L"xmlns" : L"xmlns:" + prefix;
    long count = 0;
    if (attributes->get_length(&count) != S_OK) return false;
    for (long i = 0; i < count; ++i) {
        com_ptr<IXMLDOMNode> attribute;
        unique_bstr name;
        if (attributes->get_item(i, attribute.put()) == S_OK && attribute &&
            attribute->get_nodeName(name.put()) == S_OK && SameText(name.get(), wanted.c_str()))
            return ReadText(attribute.get(), uri);
    }
    return false;
}

}  // namespace

com_ptr<IXMLDOMElement> DocumentRoot(IXMLDOMDocument2 *doc) {
    com_ptr<IXMLDOMElement> root;
    if (!doc || doc->get_documentElement(root.put()) != S_OK) root.reset();
    return root;
}

bool IsElementNamed(IXMLDOMNode *node, const wchar_t *uri, const wchar_t *local) {
    DOMNodeType type = NODE_INVALID;
    if (!node || node->get_nodeType(&type) != S_OK || type != NODE_ELEMENT) return false;
    unique_bstr nodeUri, baseName;
    if (FAILED(node->get_namespaceURI(nodeUri.put())) || node->get_baseName(baseName.put()) != S_OK) return false;
    const wchar_t *actual = nodeUri.get() ? nodeUri.get() : L"";
    return wcscmp(actual, uri) == 0 && SameText(baseName.get(), local);
}

HRESULT ChildElements(IXMLDOMNode *parent, std::vector<com_ptr<IXMLDOMNode>> *children) {
    children->clear();
    if (!parent) return E_POINTER;
    com_ptr<IXMLDOMNode> child;
    HRESULT hr = parent->get_firstChild(child.put());
    while (hr == S_OK && child) {
        DOMNodeType type = NODE_INVALID;
        if (child->get_nodeType(&type) == S_OK && type == NODE_ELEMENT) {
            child->AddRef();
            children->emplace_back();
            children->back().reset(child.get());
        }
        com_ptr<IXMLDOMNode> next;
        hr = child->get_nextSibling(next.put());
        child = std::move(next);
    }
    return FAILED(hr) ? hr : S_OK;
}

bool ReadAttribute(IXMLDOMNode *element, const wchar_t *name, std::wstring *value) {
    com_ptr<IXMLDOMNamedNodeMap> attributes;
    if (!element || element->get_attributes(attributes.put()) != S_OK || !attributes) return false;
    unique_bstr key(SysAllocString(name));
    com_ptr<IXMLDOMNode> attribute;
    if (!key || attributes->getNamedItem(key.get(), attribute.put()) != S_OK || !attribute) return false;
    return ReadText(attribute.get(), value);
}

bool ReadText(IXMLDOMNode *node, std::wstring *text) {
    unique_bstr value;
    if (!node || node->get_text(value.put()) != S_OK) return false;
    *text = FromBstr(value.get());
    return true;
}

bool ResolveQName(IXMLDOMNode *context, const std::wstring &qname, QName *out) {
    const size_t colon = qname.find(L':');
    if (colon == std::wstring::npos || colon == 0 || colon + 1 == qname.size()) return false;
    const std::wstring prefix = qname.substr(0, colon);
    out->local = qname.substr(colon + 1);
    if (out->local.find(L':') != std::wstring::npos) return false;
    com_ptr<IXMLDOMNode> node;
    context->AddRef();
    node.reset(context);
    // A document is bounded; the depth limit only guards a malformed tree.
    for (int depth = 0; node && depth < 1024; ++depth) {
        if (DeclaredOn(node.get(), prefix, &out->uri)) return true;
        com_ptr<IXMLDOMNode> parent;
        if (node->get_parentNode(parent.put()) != S_OK) break;
        DOMNodeType type = NODE_INVALID;
        if (!parent || parent->get_nodeType(&type) != S_OK || type != NODE_ELEMENT) break;
        node = std::move(parent);
    }
    return false;
}

bool ElementQName(IXMLDOMNode *element, QName *out) {
    std::wstring name;
    return ReadAttribute(element, L"name", &name) && ResolveQName(element, name, out);
}

com_ptr<IXMLDOMNode> FirstValue(IXMLDOMNode *element) {
    std::vector<com_ptr<IXMLDOMNode>> children;
    if (SUCCEEDED(ChildElements(element, &children)))
        for (auto &child : children)
            if (IsElementNamed(child.get(), kPsfUri, L"Value")) return std::move(child);
    return {};
}

HRESULT RemoveChild(IXMLDOMNode *parent, IXMLDOMNode *child) {
    com_ptr<IXMLDOMNode> removed;
    return parent->removeChild(child, removed.put());
}

HRESULT SchemaWriter::Open(IXMLDOMDocument2 *doc) {
    doc_ = doc;
    root_ = DocumentRoot(doc);
    if (!root_) return E_PRINTTICKET_FORMAT;
    for (int i = 0; i < static_cast<int>(Ns::Count); ++i) prefixes_[i].clear();
    // The standard namespaces' prefixes appear inside values as well as names.
    for (Ns ns : {Ns::Psf, Ns::Psk, Ns::Xsi, Ns::Xsd}) {
        HRESULT hr = EnsurePrefix(ns);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

std::wstring SchemaWriter::Qualified(Ns ns, const wchar_t *local) const {
    return prefixes_[static_cast<int>(ns)] + L":" + local;
}

// The prefix the root binds to the namespace, or a new declaration there
// under the preferred prefix (numbered when that is taken by another URI).
HRESULT SchemaWriter::EnsurePrefix(Ns ns) {
    std::wstring &prefix = prefixes_[static_cast<int>(ns)];
    if (!prefix.empty()) return S_OK;
    const wchar_t *uri = kUris[static_cast<int>(ns)];
    com_ptr<IXMLDOMNamedNodeMap> attributes;
    if (root_->get_attributes(attributes.put()) != S_OK || !attributes) return E_FAIL;
    long count = 0;
    if (attributes->get_length(&count) != S_OK) return E_FAIL;
    for (long i = 0; i < count; ++i) {
        com_ptr<IXMLDOMNode> attribute;
        unique_bstr name;
        std::wstring value;
        if (attributes->get_item(i, attribute.put()) != S_OK || !attribute ||
            attribute->get_nodeName(name.put()) != S_OK || !name || wcsncmp(name.get(), L"xmlns:", 6) != 0 ||
            !ReadText(attribute.get(), &value) || value != uri)
            continue;
        prefix = name.get() + 6;
        return S_OK;
    }
    std::wstring candidate = kPreferred[static_cast<int>(ns)];
    std::wstring bound;
    for (int n = 1; DeclaredOn(root_.get(), candidate, &bound) && n < 100; ++n)
        candidate = std::wstring(kPreferred[static_cast<int>(ns)]) + std::to_wstring(n);
    unique_bstr name(SysAllocString((L"xmlns:" + candidate).c_str()));
    unique_variant value;
    if (!value.put_bstr(uri) || !name) return E_OUTOFMEMORY;
    HRESULT hr = root_->setAttribute(name.get(), value.get());
    if (FAILED(hr)) return hr;
    prefix = candidate;
    return S_OK;
}

HRESULT SchemaWriter::SetNameAttribute(IXMLDOMNode *element, Ns ns, const wchar_t *name) {
    HRESULT hr = EnsurePrefix(ns);
    if (FAILED(hr)) return hr;
    com_ptr<IXMLDOMElement> asElement;
    hr = element->QueryInterface(IID_IXMLDOMElement, asElement.put_void());
    if (FAILED(hr)) return hr;
    unique_bstr key(SysAllocString(L"name"));
    unique_variant value;
    if (!value.put_bstr(Qualified(ns, name).c_str()) || !key) return E_OUTOFMEMORY;
    return asElement->setAttribute(key.get(), value.get());
}

HRESULT SchemaWriter::AppendNamed(IXMLDOMNode *parent, const wchar_t *local, Ns ns, const wchar_t *name,
                                  com_ptr<IXMLDOMElement> *out) {
    HRESULT hr = EnsurePrefix(Ns::Psf);
    if (FAILED(hr)) return hr;
    unique_variant type;
    VARIANT *t = type.put();
    t->vt = VT_I4;
    t->lVal = NODE_ELEMENT;
    unique_bstr tag(SysAllocString(Qualified(Ns::Psf, local).c_str()));
    unique_bstr uri(SysAllocString(kPsfUri));
    if (!tag || !uri) return E_OUTOFMEMORY;
    com_ptr<IXMLDOMNode> created;
    hr = doc_->createNode(type.get(), tag.get(), uri.get(), created.put());
    if (FAILED(hr)) return hr;
    if (name) {
        hr = SetNameAttribute(created.get(), ns, name);
        if (FAILED(hr)) return hr;
    }
    com_ptr<IXMLDOMNode> appended;
    hr = parent->appendChild(created.get(), appended.put());
    if (FAILED(hr)) return hr;
    return appended->QueryInterface(IID_IXMLDOMElement, out->put_void());
}

HRESULT SchemaWriter::AppendValue(IXMLDOMNode *parent, const wchar_t *type, const std::wstring &text) {
    HRESULT hr = EnsurePrefix(Ns::Xsi);
    if (SUCCEEDED(hr)) hr = EnsurePrefix(Ns::Xsd);
    com_ptr<IXMLDOMElement> value;
    if (SUCCEEDED(hr)) hr = AppendNamed(parent, L"Value", Ns::Psf, nullptr, &value);
    if (FAILED(hr)) return hr;
    unique_variant nodeType;
    VARIANT *t = nodeType.put();
    t->vt = VT_I4;
    t->lVal = NODE_ATTRIBUTE;
    unique_bstr name(SysAllocString(Qualified(Ns::Xsi, L"type").c_str()));
    unique_bstr uri(SysAllocString(kXsiUri));
    unique_bstr typeText(SysAllocString(Qualified(Ns::Xsd, type).c_str()));
    unique_bstr body(SysAllocString(text.c_str()));
    if (!name || !uri || !typeText || !body) return E_OUTOFMEMORY;
    com_ptr<IXMLDOMNode> attribute;
    hr = doc_->createNode(nodeType.get(), name.get(), uri.get(), attribute.put());
    if (SUCCEEDED(hr)) hr = attribute->put_text(typeText.get());
    com_ptr<IXMLDOMAttribute> asAttribute;
    if (SUCCEEDED(hr)) hr = attribute->QueryInterface(IID_IXMLDOMAttribute, asAttribute.put_void());
    com_ptr<IXMLDOMAttribute> replaced;
    if (SUCCEEDED(hr)) hr = value->setAttributeNode(asAttribute.get(), replaced.put());
    if (SUCCEEDED(hr) && !text.empty()) hr = value->put_text(body.get());
    return hr;
}

HRESULT SchemaWriter::AppendProperty(IXMLDOMNode *parent, Ns ns, const wchar_t *name, const wchar_t *type,
                                     const std::wstring &text) {
    com_ptr<IXMLDOMElement> property;
    HRESULT hr = AppendNamed(parent, L"Property", ns, name, &property);
    return SUCCEEDED(hr) ? AppendValue(property.get(), type, text) : hr;
}
