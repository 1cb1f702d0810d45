#include "tests/host/wine_msxml.h"

#include <windows.h>
#include <msxml2.h>

#include <cwchar>

#include "tests/host/ticket_host.h"

namespace testbed {
namespace {

// IUnknown (3) and IDispatch (4) come first; getNamedItem is the map's first own method.
constexpr size_t kGetNamedItemSlot = 7;

using GetNamedItemFn = HRESULT(STDMETHODCALLTYPE *)(IXMLDOMNamedNodeMap *, BSTR, IXMLDOMNode **);
GetNamedItemFn g_getNamedItem = nullptr;

HRESULT STDMETHODCALLTYPE GetNamedItemOrDeclaration(IXMLDOMNamedNodeMap *self, BSTR name, IXMLDOMNode **item) {
    HRESULT hr = g_getNamedItem(self, name, item);
    if (hr != S_FALSE || !name || !item || wcsncmp(name, L"xmlns", 5) != 0) return hr;
    long count = 0;
    if (self->get_length(&count) != S_OK) return hr;
    for (long i = 0; i < count; ++i) {
        IXMLDOMNode *node = nullptr;
        if (self->get_item(i, &node) != S_OK || !node) continue;
        BSTR nodeName = nullptr;
        const bool same = node->get_nodeName(&nodeName) == S_OK && nodeName && wcscmp(nodeName, name) == 0;
        SysFreeString(nodeName);
        if (same) {
            *item = node;
            return S_OK;
        }
        node->Release();
    }
    return hr;
}

// The root's attribute map of a document declaring one prefix, or null.
IXMLDOMNamedNodeMap *ProbeAttributes(IXMLDOMDocument2 *doc) {
    BSTR xml = SysAllocString(L"<a xmlns:p='urn:probe'/>");
    VARIANT_BOOL loaded = VARIANT_FALSE;
    HRESULT hr = doc->loadXML(xml, &loaded);
    SysFreeString(xml);
    if (hr != S_OK || loaded != VARIANT_TRUE) return nullptr;
    IXMLDOMElement *root = nullptr;
    if (doc->get_documentElement(&root) != S_OK || !root) return nullptr;
    IXMLDOMNamedNodeMap *map = nullptr;
    if (root->get_attributes(&map) != S_OK) map = nullptr;
    root->Release();
    return map;
}

bool PatchSlot(void **slot, void *function) {
    DWORD old = 0;
    if (!VirtualProtect(slot, sizeof(void *), PAGE_READWRITE, &old)) return false;
    *slot = function;
    VirtualProtect(slot, sizeof(void *), old, &old);
    FlushInstructionCache(GetCurrentProcess(), slot, sizeof(void *));
    return true;
}

}  // namespace

bool FindDeclarationsByName() {
    static bool done = false;
    if (done) return true;
    ComRef<IXMLDOMDocument2> doc = NewXmlDocument();
    if (!doc) return false;
    IXMLDOMNamedNodeMap *map = ProbeAttributes(doc.get());
    bool ok = map != nullptr;
    if (map) {
        BSTR name = SysAllocString(L"xmlns:p");
        IXMLDOMNode *found = nullptr;
        if (map->getNamedItem(name, &found) == S_OK && found) {
            found->Release();
        } else {
            void **slot = *reinterpret_cast<void ***>(map) + kGetNamedItemSlot;
            g_getNamedItem = reinterpret_cast<GetNamedItemFn>(*slot);
            ok = PatchSlot(slot, reinterpret_cast<void *>(&GetNamedItemOrDeclaration));
        }
        SysFreeString(name);
        map->Release();
    }
    done = ok;
    return ok;
}

}  // namespace testbed
