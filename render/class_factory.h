// The class factory the driver obtains through DllGetClassObject to create
// the rendering plug-in object.
#pragma once

#include <windows.h>
#include <unknwn.h>

class RenderClassFactory final : public IClassFactory {
public:
    RenderClassFactory() = default;
    RenderClassFactory(const RenderClassFactory &) = delete;
    RenderClassFactory &operator=(const RenderClassFactory &) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID riid, void **ppv) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

private:
    ~RenderClassFactory() = default;  // only Release destroys
    volatile LONG refCount = 1;
};
