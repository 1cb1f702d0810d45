#include "tests/host/fake_core_ui.h"

#include <cstring>

namespace testbed {
namespace {

constexpr DWORD kAdtUnicode = 6;  // kADT_UNICODE of the driver's attribute types

BOOL APIENTRY ProcGetDriverSetting(PVOID object, PCSTR feature, PVOID output, DWORD size, PDWORD needed,
                                   PDWORD returned) {
    auto *host = static_cast<HostUiObject *>(object);
    if (!host || !host->core) return FALSE;
    return SUCCEEDED(host->core->DrvGetDriverSetting(object, feature, output, size, needed, returned));
}

BOOL APIENTRY ProcUpdateUISetting(PVOID object, PVOID item, DWORD previous, DWORD mode) {
    auto *host = static_cast<HostUiObject *>(object);
    if (!host || !host->core) return FALSE;
    return SUCCEEDED(host->core->DrvUpdateUISetting(object, item, previous, mode));
}

}  // namespace

void InitHostUiObject(HostUiObject *host, FakeCoreUI *core) {
    host->object.cbSize = sizeof(OEMUIOBJ);
    host->object.pOemUIProcs = &host->procs;
    host->procs.DrvGetDriverSetting = ProcGetDriverSetting;
    host->procs.DrvUpdateUISetting = ProcUpdateUISetting;
    host->core = core;
    core->expectedObject = &host->object;
}

HRESULT FakeCoreUI::QueryInterface(REFIID riid, void **ppv) {
    if (!ppv) return E_POINTER;
    if (IsEqualIID(riid, IID_IPrintCoreUI2)) ++coreQueries;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IPrintOemDriverUI) ||
        IsEqualIID(riid, IID_IPrintCoreUI2)) {
        *ppv = static_cast<IPrintCoreUI2 *>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

ULONG FakeCoreUI::AddRef() { return static_cast<ULONG>(++references); }

// The host owns the object; the count only shows whether the plug-in balanced it.
ULONG FakeCoreUI::Release() { return static_cast<ULONG>(--references); }

HRESULT FakeCoreUI::DrvGetDriverSetting(PVOID pci, PCSTR Feature, PVOID pOutput, DWORD cbSize, PDWORD pcbNeeded,
                                        PDWORD pdwOptionsReturned) {
    if (pci != expectedObject || !Feature || !pcbNeeded) return E_INVALIDARG;
    auto it = settings.find(Feature);
    if (it == settings.end()) {
        *pcbNeeded = 0;
        return E_INVALIDARG;
    }
    DWORD needed = static_cast<DWORD>(it->second.size() + 1);
    *pcbNeeded = needed;
    if (pdwOptionsReturned) *pdwOptionsReturned = 1;
    if (!pOutput || cbSize < needed) return E_OUTOFMEMORY;
    std::memcpy(pOutput, it->second.c_str(), needed);
    return S_OK;
}

HRESULT FakeCoreUI::DrvUpdateUISetting(PVOID pci, PVOID pOptItem, DWORD dwPreviousSelection, DWORD dwMode) {
    updateCalls.push_back({pci, pOptItem, dwPreviousSelection, dwMode});
    return pci == expectedObject ? S_OK : E_INVALIDARG;
}

HRESULT FakeCoreUI::GetGlobalAttribute(POEMUIOBJ poemuiobj, DWORD, PCSTR pszAttribute, PDWORD pdwDataType,
                                       PBYTE pbData, DWORD cbSize, PDWORD pcbNeeded) {
    if (poemuiobj != expectedObject || !pszAttribute || !pcbNeeded) return E_INVALIDARG;
    if (std::strcmp(pszAttribute, "NickName") != 0 || !hasNickName) {
        *pcbNeeded = 0;
        return E_INVALIDARG;
    }
    DWORD needed = static_cast<DWORD>((nickName.size() + 1) * sizeof(wchar_t));
    *pcbNeeded = needed;
    if (pdwDataType) *pdwDataType = kAdtUnicode;
    if (!pbData || cbSize < needed) return E_OUTOFMEMORY;
    std::memcpy(pbData, nickName.c_str(), needed);
    return S_OK;
}

HRESULT FakeCoreUI::EnumOptions(POEMUIOBJ poemuiobj, DWORD, PCSTR pszFeatureKeyword, PSTR pmszOptionList,
                                DWORD cbSize, PDWORD pcbNeeded) {
    if (poemuiobj != expectedObject || !pszFeatureKeyword || !pcbNeeded) return E_INVALIDARG;
    auto it = features.find(pszFeatureKeyword);
    if (it == features.end()) {
        *pcbNeeded = 0;
        return E_INVALIDARG;
    }
    std::string list;
    for (const auto &option : it->second) list += option + '\0';
    list += '\0';
    *pcbNeeded = static_cast<DWORD>(list.size());
    if (!pmszOptionList || cbSize < list.size()) return E_OUTOFMEMORY;
    std::memcpy(pmszOptionList, list.data(), list.size());
    return S_OK;
}

}  // namespace testbed
