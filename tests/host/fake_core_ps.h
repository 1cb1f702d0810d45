// The PostScript driver's rendering helper (IPrintCorePS2) as the plug-in
// sees it: a printer description's features with their options and current
// selections, and the job stream that DrvWriteSpoolBuf appends to. Size
// probes and short buffers answer as the driver's helper does.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/oem_abi.h"

namespace testbed {

class FakeCorePs final : public IPrintCorePS2 {
public:
    // One reference, owned by the caller.
    static FakeCorePs *Create() { return new FakeCorePs(); }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IPrintCorePS2
    HRESULT STDMETHODCALLTYPE DrvWriteSpoolBuf(PDEVOBJ pdevobj, PVOID pBuffer, DWORD cbSize,
                                               DWORD *pdwResult) override;
    HRESULT STDMETHODCALLTYPE GetOptions(PDEVOBJ pdevobj, DWORD dwFlags, PCSTR pmszFeaturesRequested, DWORD cbIn,
                                         PSTR pmszFeatureOptionBuf, DWORD cbSize, PDWORD pcbNeeded) override;
    HRESULT STDMETHODCALLTYPE GetGlobalAttribute(PDEVOBJ, DWORD, PCSTR, PDWORD, PBYTE, DWORD, PDWORD) override;
    HRESULT STDMETHODCALLTYPE GetFeatureAttribute(PDEVOBJ, DWORD, PCSTR, PCSTR, PDWORD, PBYTE, DWORD,
                                                  PDWORD) override;
    HRESULT STDMETHODCALLTYPE GetOptionAttribute(PDEVOBJ, DWORD, PCSTR, PCSTR, PCSTR, PDWORD, PBYTE, DWORD,
                                                 PDWORD) override;
    HRESULT STDMETHODCALLTYPE EnumFeatures(PDEVOBJ, DWORD, PSTR, DWORD, PDWORD) override;
    HRESULT STDMETHODCALLTYPE EnumOptions(PDEVOBJ pdevobj, DWORD dwFlags, PCSTR pszFeatureKeyword,
                                          PSTR pmszOptionList, DWORD cbSize, PDWORD pcbNeeded) override;

    // The printer description. A feature's selection is what GetOptions reports.
    void SetFeature(const std::string &keyword, const std::vector<std::string> &options,
                    const std::string &selected);
    void SetSelection(const std::string &keyword, const std::string &selected);
    void RemoveFeature(const std::string &keyword);
    // Replaces every GetOptions reply by these bytes (a malformed driver).
    void OverrideOptionsReply(std::optional<std::string> reply) { optionsOverride_ = std::move(reply); }
    // The helper answers the size probe but fails the call that fills a buffer.
    bool failOptionsFill = false;
    // The driver object does not offer IPrintCorePS2 (an older driver).
    bool refuseCoreInterface = false;

    // What the plug-in did.
    LONG RefCount() const { return refs_; }
    const std::string &Spooled() const { return spooled_; }
    void ClearSpooled() {
        spooled_.clear();
        spoolWrites = 0;
    }
    int spoolWrites = 0;
    int coreQueries = 0;  // QueryInterface calls for IPrintCorePS2
    int enumOptionsCalls = 0;
    struct OptionsCall {
        std::string request;  // the cbIn bytes the caller passed
        DWORD cbIn = 0;
        bool hadBuffer = false;
        DWORD cbSize = 0;
    };
    std::vector<OptionsCall> optionsCalls;
    const DEVOBJ *lastDevobj = nullptr;

private:
    FakeCorePs() = default;
    ~FakeCorePs() = default;
    std::string ReplyFor(PCSTR request, DWORD cbIn) const;

    struct Feature {
        std::vector<std::string> options;
        std::string selected;
    };
    volatile LONG refs_ = 1;
    std::map<std::string, Feature> features_;
    std::optional<std::string> optionsOverride_;
    std::string spooled_;
};

}  // namespace testbed
