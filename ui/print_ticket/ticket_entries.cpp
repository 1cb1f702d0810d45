#include "ui/print_ticket/ticket_entries.h"

#include <climits>

bool NamespaceOf(const std::wstring &uri, Ns *ns) {
    static const struct {
        const wchar_t *uri;
        Ns ns;
    } kKnown[] = {{kPsfUri, Ns::Psf}, {kPskUri, Ns::Psk},   {kPskV11Uri, Ns::PskV11},
                  {kPrivateUri, Ns::Private}, {kXsiUri, Ns::Xsi}, {kXsdUri, Ns::Xsd}};
    for (const auto &known : kKnown)
        if (uri == known.uri) {
            *ns = known.ns;
            return true;
        }
    return false;
}

com_ptr<IXMLDOMElement> SchemaRoot(IXMLDOMDocument2 *doc, const wchar_t *rootName) {
    com_ptr<IXMLDOMElement> root = DocumentRoot(doc);
    if (root && !IsElementNamed(root.get(), kPsfUri, rootName)) root.reset();
    return root;
}

HRESULT FindEntries(IXMLDOMElement *root, const wchar_t *parameterElement, bool unknownToo,
                    std::vector<TicketEntry> *entries) {
    entries->clear();
    std::vector<com_ptr<IXMLDOMNode>> children;
    HRESULT hr = ChildElements(root, &children);
    if (FAILED(hr)) return hr;
    for (auto &child : children) {
        const bool isFeature = IsElementNamed(child.get(), kPsfUri, L"Feature");
        if (!isFeature && !IsElementNamed(child.get(), kPsfUri, parameterElement)) continue;
        QName name;
        Ns ns = Ns::Count;
        if (!ElementQName(child.get(), &name) || !NamespaceOf(name.uri, &ns)) continue;
        TicketEntry entry;
        if (isFeature)
            entry.feature = FindFeature(ns, name.local.c_str());
        else
            entry.parameter = FindParameter(ns, name.local.c_str());
        if (!entry.feature && !entry.parameter && !(unknownToo && ns == Ns::Private)) continue;
        entry.node = std::move(child);
        entries->push_back(std::move(entry));
    }
    return S_OK;
}

com_ptr<IXMLDOMNode> SelectedOption(IXMLDOMNode *feature, QName *name) {
    std::vector<com_ptr<IXMLDOMNode>> children;
    if (SUCCEEDED(ChildElements(feature, &children)))
        for (auto &child : children)
            if (IsElementNamed(child.get(), kPsfUri, L"Option"))
                return ElementQName(child.get(), name) ? std::move(child) : com_ptr<IXMLDOMNode>();
    return {};
}

bool ParseInteger(const std::wstring &text, int32_t *value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
    if (i == text.size() || text.size() - i > 10) return false;
    long long n = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < L'0' || text[i] > L'9') return false;
        n = n * 10 + (text[i] - L'0');
    }
    if (negative) n = -n;
    if (n < INT_MIN || n > INT_MAX) return false;
    *value = static_cast<int32_t>(n);
    return true;
}
