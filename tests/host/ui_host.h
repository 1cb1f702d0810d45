// The PostScript driver's side of uiplug.dll: loads the DLL by path next to
// the test program, creates its object through the class factory, publishes
// the helper interface and builds the parameter blocks and devmodes the
// driver hands to the plug-in, in the driver's own heap.
#pragma once

#include <windows.h>

#include <string>

#include "platform/oem_abi.h"
#include "settings/private_devmode.h"
#include "tests/host/fake_core_ui.h"

namespace testbed {

// Full path of a file next to the running test program.
std::wstring ProgramDirFile(const wchar_t *name);

// Handles open in this process (Wine reports none through
// GetProcessHandleCount, so the system's handle table is asked there).
long CountOpenHandles();

// The loaded DLL, shared by every host in the process so that its counters
// and its state carry on between tests as they do in the driver.
HMODULE UiPlugModule();

using DllGetClassObjectFn = HRESULT(STDAPICALLTYPE *)(REFCLSID, REFIID, void **);
using DllCanUnloadNowFn = HRESULT(STDAPICALLTYPE *)();
DllGetClassObjectFn UiPlugGetClassObject();
DllCanUnloadNowFn UiPlugCanUnloadNow();

class UiPluginHost {
public:
    UiPluginHost();
    ~UiPluginHost();
    UiPluginHost(const UiPluginHost &) = delete;
    UiPluginHost &operator=(const UiPluginHost &) = delete;

    // Creates the plug-in object; false with a reason in *error.
    bool Create(std::wstring *error);
    // Hands the helper to the plug-in, as the driver does after creation.
    HRESULT Publish();

    // The driver's two devmodes for `printer`: size query, allocation from
    // the heap and defaults, through the plug-in's DevMode.
    bool BuildDevmodes(HANDLE printer);

    OEMUIPSPARAM SheetParam(HANDLE printer, DWORD flags = 0);
    OEMCUIPPARAM TreeParam(HANDLE printer, OPTITEM *items, DWORD count, DWORD flags = 0);

    IPrintOemUI2 *plugin = nullptr;
    FakeCoreUI core;
    HostUiObject uiObject{};
    HANDLE heap = nullptr;
    DEVMODEW publicDevmode{};
    PrivateDevmode *privateDevmode = nullptr;  // from the heap
    DWORD privateDevmodeSize = 0;
};

}  // namespace testbed
