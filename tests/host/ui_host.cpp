#include "tests/host/ui_host.h"

#include <winternl.h>

#include <vector>

namespace testbed {
namespace {

constexpr ULONG kSystemHandleInformation = 16;
constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);

struct SystemHandleEntry {
    ULONG processId;
    BYTE objectType;
    BYTE flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};

struct SystemHandleTable {
    ULONG count;
    SystemHandleEntry entries[1];
};

long CountFromSystemTable() {
    using QueryFn = NTSTATUS(NTAPI *)(ULONG, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryFn>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return -1;
    std::vector<BYTE> buffer(1 << 16);
    for (;;) {
        ULONG returned = 0;
        NTSTATUS status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &returned);
        if (status == kInfoLengthMismatch) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status != 0) return -1;
        break;
    }
    auto *table = reinterpret_cast<const SystemHandleTable *>(buffer.data());
    long count = 0;
    for (ULONG i = 0; i < table->count; ++i)
        if (table->entries[i].processId == GetCurrentProcessId()) ++count;
    return count;
}

}  // namespace

std::wstring ProgramDirFile(const wchar_t *name) {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir(path, n);
    dir = dir.substr(0, dir.find_last_of(L"\\/"));
    return dir + L"\\" + name;
}

long CountOpenHandles() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count > 0) return static_cast<long>(count);
    return CountFromSystemTable();
}

HMODULE UiPlugModule() {
    static HMODULE module = LoadLibraryW(ProgramDirFile(L"uiplug.dll").c_str());
    return module;
}

DllGetClassObjectFn UiPlugGetClassObject() {
    HMODULE m = UiPlugModule();
    return m ? reinterpret_cast<DllGetClassObjectFn>(reinterpret_cast<void *>(GetProcAddress(m, "DllGetClassObject")))
             : nullptr;
}

DllCanUnloadNowFn UiPlugCanUnloadNow() {
    HMODULE m = UiPlugModule();
    return m ? reinterpret_cast<DllCanUnloadNowFn>(reinterpret_cast<void *>(GetProcAddress(m, "DllCanUnloadNow")))
             : nullptr;
}

UiPluginHost::UiPluginHost() {
    heap = HeapCreate(0, 0, 0);
    InitHostUiObject(&uiObject, &core);
}

UiPluginHost::~UiPluginHost() {
    if (plugin) plugin->Release();
    if (heap) HeapDestroy(heap);
}

bool UiPluginHost::Create(std::wstring *error) {
    DllGetClassObjectFn getClassObject = UiPlugGetClassObject();
    if (!getClassObject) {
        *error = L"uiplug.dll not loaded from " + ProgramDirFile(L"uiplug.dll");
        return false;
    }
    IClassFactory *factory = nullptr;
    HRESULT hr = getClassObject(CLSID_OEMUI, IID_IClassFactory, reinterpret_cast<void **>(&factory));
    if (FAILED(hr) || !factory) {
        *error = L"DllGetClassObject failed";
        return false;
    }
    hr = factory->CreateInstance(nullptr, IID_IPrintOemUI2, reinterpret_cast<void **>(&plugin));
    factory->Release();
    if (FAILED(hr) || !plugin) {
        *error = L"CreateInstance failed";
        return false;
    }
    return true;
}

HRESULT UiPluginHost::Publish() { return plugin->PublishDriverInterface(static_cast<IUnknown *>(&core)); }

bool UiPluginHost::BuildDevmodes(HANDLE printer) {
    publicDevmode = DEVMODEW{};
    publicDevmode.dmSize = sizeof(DEVMODEW);
    publicDevmode.dmSpecVersion = DM_SPECVERSION;
    publicDevmode.dmFields = DM_ORIENTATION;
    publicDevmode.dmOrientation = DMORIENT_PORTRAIT;
    OEMDMPARAM param{};
    param.cbSize = sizeof(param);
    param.pdriverobj = &uiObject.object;
    param.hPrinter = printer;
    param.hModule = UiPlugModule();
    param.pPublicDMIn = &publicDevmode;
    param.pPublicDMOut = &publicDevmode;
    if (FAILED(plugin->DevMode(OEMDM_SIZE, &param)) || param.cbBufSize < sizeof(PrivateDevmode)) return false;
    privateDevmodeSize = param.cbBufSize;
    privateDevmode = static_cast<PrivateDevmode *>(HeapAlloc(heap, HEAP_ZERO_MEMORY, privateDevmodeSize));
    if (!privateDevmode) return false;
    param.pOEMDMOut = privateDevmode;
    return SUCCEEDED(plugin->DevMode(OEMDM_DEFAULT, &param));
}

OEMUIPSPARAM UiPluginHost::SheetParam(HANDLE printer, DWORD flags) {
    OEMUIPSPARAM p{};
    p.cbSize = sizeof(p);
    p.poemuiobj = &uiObject.object;
    p.hPrinter = printer;
    p.pPrinterName = nullptr;
    p.hModule = UiPlugModule();
    p.hOEMHeap = heap;
    p.pPublicDM = &publicDevmode;
    p.pOEMDM = privateDevmode;
    p.dwFlags = flags;
    return p;
}

OEMCUIPPARAM UiPluginHost::TreeParam(HANDLE printer, OPTITEM *items, DWORD count, DWORD flags) {
    OEMCUIPPARAM p{};
    p.cbSize = sizeof(p);
    p.poemuiobj = &uiObject.object;
    p.hPrinter = printer;
    p.hModule = UiPlugModule();
    p.hOEMHeap = heap;
    p.pPublicDM = &publicDevmode;
    p.pOEMDM = privateDevmode;
    p.dwFlags = flags;
    p.pDrvOptItems = items;
    p.cDrvOptItems = count;
    return p;
}

}  // namespace testbed
