// The PostScript driver's helper interface as uiplug sees it, answering from
// tables the test fills in. Keywords and option texts are ANSI, as the
// driver's are; "NickName" comes back as wide text.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "platform/oem_abi.h"

namespace testbed {

class FakeCoreUI final : public IPrintCoreUI2 {
public:
    // What the driver knows. `settings` answers DrvGetDriverSetting (keyword
    // -> current option), `features` answers EnumOptions (keyword -> options).
    std::map<std::string, std::string> settings;
    std::map<std::string, std::vector<std::string>> features;
    bool hasNickName = false;
    std::wstring nickName;
    // The driver's object for the current call; calls naming another fail.
    POEMUIOBJ expectedObject = nullptr;

    // What the plug-in did.
    LONG references = 1;
    int coreQueries = 0;  // QueryInterface calls for IPrintCoreUI2
    struct UpdateCall {
        PVOID object;
        PVOID item;
        DWORD previousSelection;
        DWORD mode;
    };
    std::vector<UpdateCall> updateCalls;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE DrvGetDriverSetting(PVOID pci, PCSTR Feature, PVOID pOutput, DWORD cbSize,
                                                  PDWORD pcbNeeded, PDWORD pdwOptionsReturned) override;
    HRESULT STDMETHODCALLTYPE DrvUpgradeRegistrySetting(HANDLE, PCSTR, PCSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DrvUpdateUISetting(PVOID pci, PVOID pOptItem, DWORD dwPreviousSelection,
                                                 DWORD dwMode) override;

    HRESULT STDMETHODCALLTYPE GetOptions(POEMUIOBJ, DWORD, PCSTR, DWORD, PSTR, DWORD, PDWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetOptions(POEMUIOBJ, DWORD, PCSTR, DWORD, PDWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumConstrainedOptions(POEMUIOBJ, DWORD, PCSTR, PSTR, DWORD, PDWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE WhyConstrained(POEMUIOBJ, DWORD, PCSTR, PCSTR, PSTR, DWORD, PDWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetGlobalAttribute(POEMUIOBJ poemuiobj, DWORD dwFlags, PCSTR pszAttribute,
                                                 PDWORD pdwDataType, PBYTE pbData, DWORD cbSize,
                                                 PDWORD pcbNeeded) override;
    HRESULT STDMETHODCALLTYPE GetFeatureAttribute(POEMUIOBJ, DWORD, PCSTR, PCSTR, PDWORD, PBYTE, DWORD,
                                                  PDWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetOptionAttribute(POEMUIOBJ, DWORD, PCSTR, PCSTR, PCSTR, PDWORD, PBYTE, DWORD,
                                                 PDWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE EnumFeatures(POEMUIOBJ, DWORD, PSTR, DWORD, PDWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE EnumOptions(POEMUIOBJ poemuiobj, DWORD dwFlags, PCSTR pszFeatureKeyword,
                                          PSTR pmszOptionList, DWORD cbSize, PDWORD pcbNeeded) override;
    HRESULT STDMETHODCALLTYPE QuerySimulationSupport(HANDLE, DWORD, PBYTE, DWORD, PDWORD) override {
        return E_NOTIMPL;
    }
};

// The driver's OEMUIOBJ with its procedure table; the procedures reach the
// fake helper through it, as the driver's reach the driver.
struct HostUiObject {
    OEMUIOBJ object;
    OEMUIPROCS procs;
    FakeCoreUI *core;
};

void InitHostUiObject(HostUiObject *host, FakeCoreUI *core);

}  // namespace testbed
