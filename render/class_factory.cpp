#include "render/class_factory.h"

#include <new>

#include "render/module_counts.h"
#include "render/plugin.h"

HRESULT STDMETHODCALLTYPE RenderClassFactory::QueryInterface(REFIID riid, void **ppv) {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
        *ppv = static_cast<IClassFactory *>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE RenderClassFactory::AddRef() { return InterlockedIncrement(&refCount); }

ULONG STDMETHODCALLTYPE RenderClassFactory::Release() {
    LONG left = InterlockedDecrement(&refCount);
    if (left == 0) delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE RenderClassFactory::CreateInstance(IUnknown *outer, REFIID riid, void **ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto *plugin = new (std::nothrow) RenderPlugin();
    if (!plugin) return E_OUTOFMEMORY;
    // The creation reference goes away whatever the query says, so a refused
    // interface destroys the object at once.
    HRESULT hr = plugin->QueryInterface(riid, ppv);
    plugin->Release();
    return hr;
}

HRESULT STDMETHODCALLTYPE RenderClassFactory::LockServer(BOOL lock) {
    NoteServerLock(lock);
    return S_OK;
}
