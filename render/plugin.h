// The rendering plug-in object: one per load by the driver, living from the
// class factory's CreateInstance to the driver's last Release.
#pragma once

#include "platform/oem_abi.h"
#include "render/output_file.h"

class RenderPlugin final : public IPrintOemPS2 {
public:
    RenderPlugin();
    RenderPlugin(const RenderPlugin &) = delete;
    RenderPlugin &operator=(const RenderPlugin &) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IPrintOemCommon
    HRESULT STDMETHODCALLTYPE GetInfo(DWORD dwMode, PVOID pBuffer, DWORD cbSize, PDWORD pcbNeeded) override;
    HRESULT STDMETHODCALLTYPE DevMode(DWORD dwMode, OEMDMPARAM *pOemDMParam) override;
    // IPrintOemEngine
    HRESULT STDMETHODCALLTYPE EnableDriver(DWORD DriverVersion, DWORD cbSize, DRVENABLEDATA *pded) override;
    HRESULT STDMETHODCALLTYPE DisableDriver() override;
    HRESULT STDMETHODCALLTYPE EnablePDEV(PDEVOBJ pdevobj, PWSTR pPrinterName, ULONG cPatterns,
                                         HSURF *phsurfPatterns, ULONG cjGdiInfo, GDIINFO *pGdiInfo,
                                         ULONG cjDevInfo, DEVINFO *pDevInfo, DRVENABLEDATA *pded,
                                         PDEVOEM *pDevOem) override;
    HRESULT STDMETHODCALLTYPE DisablePDEV(PDEVOBJ pdevobj) override;
    HRESULT STDMETHODCALLTYPE ResetPDEV(PDEVOBJ pdevobjOld, PDEVOBJ pdevobjNew) override;
    // IPrintOemPS
    HRESULT STDMETHODCALLTYPE PublishDriverInterface(IUnknown *pIUnknown) override;
    HRESULT STDMETHODCALLTYPE Command(PDEVOBJ pdevobj, DWORD dwIndex, PVOID pData, DWORD cbSize,
                                      DWORD *pdwResult) override;
    // IPrintOemPS2
    HRESULT STDMETHODCALLTYPE WritePrinter(PDEVOBJ pdevobj, PVOID pBuf, DWORD cbBuffer, PDWORD pcbWritten) override;
    HRESULT STDMETHODCALLTYPE GetPDEVAdjustment(PDEVOBJ pdevobj, DWORD dwAdjustType, PVOID pBuf, DWORD cbBuffer,
                                                BOOL *pbAdjustmentDone) override;

private:
    ~RenderPlugin();  // only Release destroys
    void DropCoreHelper();

    volatile LONG refCount = 1;
    IPrintCorePS2 *coreHelper = nullptr;  // one reference held while set
    OutputPathMemory outputPaths;         // the path of the latest job's File/EPS output
    DRVFN *hookTable = nullptr;           // handed to the driver by EnableDriver
};
