#include "tests/host/fake_core_ps.h"

#include <cstring>

namespace testbed {
namespace {

// The helper's size protocol: the needed size is always reported; the bytes
// are copied only into a buffer that holds all of them.
HRESULT CopyOut(const std::string &bytes, PSTR buffer, DWORD cbSize, PDWORD pcbNeeded) {
    *pcbNeeded = static_cast<DWORD>(bytes.size());
    if (!buffer || cbSize < bytes.size()) return E_OUTOFMEMORY;
    std::memcpy(buffer, bytes.data(), bytes.size());
    return S_OK;
}

}  // namespace

HRESULT STDMETHODCALLTYPE FakeCorePs::QueryInterface(REFIID riid, void **ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualIID(riid, IID_IPrintCorePS2)) {
        ++coreQueries;
        if (refuseCoreInterface) return E_NOINTERFACE;
    } else if (!IsEqualIID(riid, IID_IUnknown)) {
        return E_NOINTERFACE;
    }
    *ppv = static_cast<IPrintCorePS2 *>(this);
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE FakeCorePs::AddRef() { return InterlockedIncrement(&refs_); }

ULONG STDMETHODCALLTYPE FakeCorePs::Release() {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE FakeCorePs::DrvWriteSpoolBuf(PDEVOBJ pdevobj, PVOID pBuffer, DWORD cbSize,
                                                       DWORD *pdwResult) {
    lastDevobj = pdevobj;
    if (!pdevobj || !pdwResult || (!pBuffer && cbSize)) return E_INVALIDARG;
    spooled_.append(static_cast<const char *>(pBuffer), cbSize);
    ++spoolWrites;
    *pdwResult = cbSize;
    return S_OK;
}

std::string FakeCorePs::ReplyFor(PCSTR request, DWORD cbIn) const {
    std::string reply;
    auto addPair = [&](const std::string &keyword, const Feature &f) {
        if (f.selected.empty()) return;  // no current selection: left out, as the driver does
        reply += keyword;
        reply += '\0';
        reply += f.selected;
        reply += '\0';
    };
    if (!request) {
        for (const auto &[keyword, f] : features_) addPair(keyword, f);
    } else {
        for (DWORD at = 0; at < cbIn && request[at];) {
            std::string keyword(request + at);
            auto it = features_.find(keyword);
            if (it != features_.end()) addPair(keyword, it->second);  // unknown keywords are skipped
            at += static_cast<DWORD>(keyword.size()) + 1;
        }
    }
    reply += '\0';
    return reply;
}

HRESULT STDMETHODCALLTYPE FakeCorePs::GetOptions(PDEVOBJ pdevobj, DWORD, PCSTR pmszFeaturesRequested, DWORD cbIn,
                                                 PSTR pmszFeatureOptionBuf, DWORD cbSize, PDWORD pcbNeeded) {
    lastDevobj = pdevobj;
    OptionsCall call;
    call.cbIn = cbIn;
    call.hadBuffer = pmszFeatureOptionBuf != nullptr;
    call.cbSize = cbSize;
    if (pmszFeaturesRequested) call.request.assign(pmszFeaturesRequested, cbIn);
    optionsCalls.push_back(call);
    if (!pdevobj || !pcbNeeded) return E_INVALIDARG;
    // The request must be a list that ends, within cbIn, in two zeros.
    if (pmszFeaturesRequested &&
        (cbIn < 2 || pmszFeaturesRequested[cbIn - 1] != '\0' || pmszFeaturesRequested[cbIn - 2] != '\0'))
        return E_INVALIDARG;
    std::string reply = optionsOverride_ ? *optionsOverride_ : ReplyFor(pmszFeaturesRequested, cbIn);
    if (pmszFeatureOptionBuf && failOptionsFill) return E_FAIL;
    return CopyOut(reply, pmszFeatureOptionBuf, cbSize, pcbNeeded);
}

HRESULT STDMETHODCALLTYPE FakeCorePs::EnumOptions(PDEVOBJ pdevobj, DWORD, PCSTR pszFeatureKeyword,
                                                  PSTR pmszOptionList, DWORD cbSize, PDWORD pcbNeeded) {
    lastDevobj = pdevobj;
    ++enumOptionsCalls;
    if (!pdevobj || !pszFeatureKeyword || !pcbNeeded) return E_INVALIDARG;
    auto it = features_.find(pszFeatureKeyword);
    // An unknown feature: the needed size is left as the caller had it.
    if (it == features_.end()) return E_INVALIDARG;
    std::string list;
    for (const auto &option : it->second.options) {
        list += option;
        list += '\0';
    }
    list += '\0';
    return CopyOut(list, pmszOptionList, cbSize, pcbNeeded);
}

HRESULT STDMETHODCALLTYPE FakeCorePs::GetGlobalAttribute(PDEVOBJ, DWORD, PCSTR, PDWORD, PBYTE, DWORD, PDWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE FakeCorePs::GetFeatureAttribute(PDEVOBJ, DWORD, PCSTR, PCSTR, PDWORD, PBYTE, DWORD,
                                                          PDWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE FakeCorePs::GetOptionAttribute(PDEVOBJ, DWORD, PCSTR, PCSTR, PCSTR, PDWORD, PBYTE, DWORD,
                                                         PDWORD) {
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE FakeCorePs::EnumFeatures(PDEVOBJ, DWORD, PSTR, DWORD, PDWORD) { return E_NOTIMPL; }

void FakeCorePs::SetFeature(const std::string &keyword, const std::vector<std::string> &options,
                            const std::string &selected) {
    features_[keyword] = Feature{options, selected};
}

void FakeCorePs::SetSelection(const std::string &keyword, const std::string &selected) {
    features_[keyword].selected = selected;
}

void FakeCorePs::RemoveFeature(const std::string &keyword) { features_.erase(keyword); }

}  // namespace testbed
