#include "ui/frame/class_factory.h"

#include <new>

#include "ui/frame/plugin.h"

namespace {

LONG g_liveObjects = 0;
LONG g_serverLocks = 0;

class UiClassFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override {
        if (!ppv) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *ppv = static_cast<IClassFactory *>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refCount_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG n = InterlockedDecrement(&refCount_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID riid, void **ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return CreateUiPlugin(riid, ppv);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (lock)
            InterlockedIncrement(&g_serverLocks);
        else
            InterlockedDecrement(&g_serverLocks);
        return S_OK;
    }

private:
    LONG refCount_ = 1;
};

}  // namespace

void NoteObjectCreated() { InterlockedIncrement(&g_liveObjects); }
void NoteObjectDestroyed() { InterlockedDecrement(&g_liveObjects); }
LONG LiveObjectCount() { return InterlockedCompareExchange(&g_liveObjects, 0, 0); }
LONG ServerLockCount() { return InterlockedCompareExchange(&g_serverLocks, 0, 0); }

HRESULT CreateClassFactory(REFIID riid, void **ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    auto *factory = new (std::nothrow) UiClassFactory;
    if (!factory) return E_OUTOFMEMORY;
    HRESULT hr = factory->QueryInterface(riid, ppv);
    factory->Release();
    return hr;
}
