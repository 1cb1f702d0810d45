// renderplug.dll's COM surface as the driver meets it: entry points, class
// factory, object identity and the order of the interface's slots.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/host/render_host.h"

using namespace testbed;

namespace {

struct Loaded {
    RenderHost host;
    bool ok = false;
    std::wstring error;
    Loaded() { ok = host.Load(&error); }
};

IClassFactory *Factory(const RenderHost &host) {
    IClassFactory *factory = nullptr;
    EXPECT_EQ(host.GetClassObject(CLSID_OEMRENDER, IID_IClassFactory, reinterpret_cast<void **>(&factory)), S_OK);
    return factory;
}

// A data directory of a loaded module's headers, or null when it has none.
template <typename T>
const T *Directory(HMODULE module, int index) {
    auto *base = reinterpret_cast<const uint8_t *>(module);
    auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    DWORD rva = nt->OptionalHeader.DataDirectory[index].VirtualAddress;
    return rva ? reinterpret_cast<const T *>(base + rva) : nullptr;
}

const char *At(HMODULE module, DWORD rva) { return reinterpret_cast<const char *>(module) + rva; }

std::set<std::string> ExportNames(HMODULE module) {
    std::set<std::string> names;
    auto *exports = Directory<IMAGE_EXPORT_DIRECTORY>(module, IMAGE_DIRECTORY_ENTRY_EXPORT);
    if (!exports) return names;
    auto *nameRvas = reinterpret_cast<const DWORD *>(At(module, exports->AddressOfNames));
    for (DWORD i = 0; i < exports->NumberOfNames; ++i) names.insert(At(module, nameRvas[i]));
    if (exports->NumberOfFunctions != exports->NumberOfNames) names.insert("<unnamed export>");
    return names;
}

std::set<std::string> ImportedDlls(HMODULE module) {
    std::set<std::string> names;
    auto *d = Directory<IMAGE_IMPORT_DESCRIPTOR>(module, IMAGE_DIRECTORY_ENTRY_IMPORT);
    for (; d && d->Name; ++d) {
        std::string name = At(module, d->Name);
        for (char &c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        names.insert(name);
    }
    return names;
}

}  // namespace

TEST(RenderModule, ExportsExactlyTheTwoComEntryPointsUndecorated) {
    Loaded l;
    ASSERT_TRUE(l.ok) << Narrow(l.error);
    EXPECT_EQ(ExportNames(l.host.module()), (std::set<std::string>{"DllCanUnloadNow", "DllGetClassObject"}));
}

TEST(RenderModule, ImportsOnlySystemDlls) {
    Loaded l;
    ASSERT_TRUE(l.ok) << Narrow(l.error);
    const std::set<std::string> system = {"kernel32.dll", "advapi32.dll", "winspool.drv", "msvcrt.dll",
                                          "user32.dll",   "gdi32.dll",    "ole32.dll"};
    for (const auto &dll : ImportedDlls(l.host.module())) EXPECT_TRUE(system.count(dll)) << dll;
}

TEST(RenderModule, ClassObjectOnlyForTheRenderClass) {
    Loaded l;
    ASSERT_TRUE(l.ok) << Narrow(l.error);
    void *out = reinterpret_cast<void *>(1);
    EXPECT_EQ(l.host.GetClassObject(CLSID_OEMUI, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
    out = reinterpret_cast<void *>(1);
    EXPECT_EQ(l.host.GetClassObject(CLSID_OEMRENDER, IID_IPrintOemPS2, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    IUnknown *unknown = nullptr;
    ASSERT_EQ(l.host.GetClassObject(CLSID_OEMRENDER, IID_IUnknown, reinterpret_cast<void **>(&unknown)), S_OK);
    unknown->Release();
    // Neither a refused query nor a released factory keeps the module busy.
    EXPECT_EQ(l.host.CanUnloadNow(), S_FALSE);  // the host's own plug-in object
    l.host.ReleasePlugin();
    EXPECT_EQ(l.host.CanUnloadNow(), S_OK);
}

TEST(RenderModule, FactoryRefusesAggregationAndForeignInterfaces) {
    Loaded l;
    ASSERT_TRUE(l.ok) << Narrow(l.error);
    l.host.ReleasePlugin();
    IClassFactory *factory = Factory(l.host);
    ASSERT_NE(factory, nullptr);
    void *out = reinterpret_cast<void *>(1);
    EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown *>(factory), IID_IPrintOemPS2, &out),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(out, nullptr);
    out = reinterpret_cast<void *>(1);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IPrintOemPS, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    // The refused object was destroyed at once.
    EXPECT_EQ(l.host.CanUnloadNow(), S_OK);
    out = reinterpret_cast<void *>(1);
    EXPECT_EQ(factory->QueryInterface(IID_IPrintOemPS2, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(factory->AddRef(), 2u);
    EXPECT_EQ(factory->Release(), 1u);
    EXPECT_EQ(factory->Release(), 0u);
}

TEST(RenderModule, CanUnloadOnlyWithoutObjectsOrLocks) {
    Loaded l;
    ASSERT_TRUE(l.ok) << Narrow(l.error);
    EXPECT_EQ(l.host.CanUnloadNow(), S_FALSE);
    IClassFactory *factory = Factory(l.host);
    ASSERT_NE(factory, nullptr);
    IPrintOemPS2 *second = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void **>(&second)), S_OK);
    l.host.ReleasePlugin();
    EXPECT_EQ(l.host.CanUnloadNow(), S_FALSE) << "one object is still alive";
    second->Release();
    EXPECT_EQ(l.host.CanUnloadNow(), S_OK);

    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(l.host.CanUnloadNow(), S_FALSE);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(l.host.CanUnloadNow(), S_FALSE) << "one lock is still held";
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(l.host.CanUnloadNow(), S_OK);
    factory->Release();
}

TEST(RenderPluginObject, AnswersOnlyForItsOwnInterface) {
    Loaded l;
    ASSERT_TRUE(l.ok) << Narrow(l.error);
    IPrintOemPS2 *plugin = l.host.plugin();
    for (const GUID *iid : {&IID_IPrintOemPS, &IID_IPrintOemEngine, &IID_IPrintOemCommon, &IID_IPrintOemUI2,
                            &IID_IClassFactory}) {
        void *out = reinterpret_cast<void *>(1);
        EXPECT_EQ(plugin->QueryInterface(*iid, &out), E_NOINTERFACE);
        EXPECT_EQ(out, nullptr);
    }
    IUnknown *unknown = nullptr;
    ASSERT_EQ(plugin->QueryInterface(IID_IUnknown, reinterpret_cast<void **>(&unknown)), S_OK);
    EXPECT_EQ(static_cast<void *>(unknown), static_cast<void *>(plugin));
    IPrintOemPS2 *same = nullptr;
    ASSERT_EQ(plugin->QueryInterface(IID_IPrintOemPS2, reinterpret_cast<void **>(&same)), S_OK);
    EXPECT_EQ(same, plugin);
    // Host's reference plus the two just taken.
    EXPECT_EQ(plugin->AddRef(), 4u);
    EXPECT_EQ(plugin->Release(), 3u);
    EXPECT_EQ(same->Release(), 2u);
    EXPECT_EQ(unknown->Release(), 1u);
}

// The driver calls through the interface table by slot number; a method
// declared out of order would answer for another. Each slot is called raw and
// must behave as the method the driver expects there.
TEST(RenderPluginObject, InterfaceSlotsAreInTheDriversOrder) {
    Loaded l;
    ASSERT_TRUE(l.ok) << Narrow(l.error);
    void *self = l.host.plugin();
    void **slots = *reinterpret_cast<void ***>(self);
    auto slot = [&](int i) { return slots[i]; };

    using GetInfoFn = HRESULT(STDMETHODCALLTYPE *)(void *, DWORD, PVOID, DWORD, PDWORD);
    DWORD signature = 0, needed = 0;
    ASSERT_EQ(reinterpret_cast<GetInfoFn>(slot(3))(self, OEMGI_GETSIGNATURE, &signature, 4, &needed), S_OK);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(&signature), 4), "VGNP");

    using DevModeFn = HRESULT(STDMETHODCALLTYPE *)(void *, DWORD, OEMDMPARAM *);
    OEMDMPARAM param{};
    param.cbSize = sizeof(param);
    ASSERT_EQ(reinterpret_cast<DevModeFn>(slot(4))(self, OEMDM_SIZE, &param), S_OK);
    EXPECT_EQ(param.cbBufSize, 7648u);

    using PublishFn = HRESULT(STDMETHODCALLTYPE *)(void *, IUnknown *);
    EXPECT_EQ(reinterpret_cast<PublishFn>(slot(10))(self, &l.host.core()), S_OK);
    EXPECT_EQ(l.host.core().coreQueries, 1);

    using EnableDriverFn = HRESULT(STDMETHODCALLTYPE *)(void *, DWORD, DWORD, DRVENABLEDATA *);
    DRVENABLEDATA block{};
    ASSERT_EQ(reinterpret_cast<EnableDriverFn>(slot(5))(self, DDI_DRIVER_VERSION_NT5_01, sizeof(block), &block), S_OK);
    EXPECT_EQ(block.c, 2u);

    using EnablePdevFn = HRESULT(STDMETHODCALLTYPE *)(void *, PDEVOBJ, PWSTR, ULONG, HSURF *, ULONG, GDIINFO *, ULONG,
                                                      DEVINFO *, DRVENABLEDATA *, PDEVOEM *);
    PrivateDevmode settings{};
    MakeDefaultPrivateDevmode(&settings);
    DEVOBJ dev{};
    dev.dwSize = sizeof(dev);
    dev.pOEMDM = &settings;
    DRVENABLEDATA driver{};
    PDEVOEM state = nullptr;
    ASSERT_EQ(reinterpret_cast<EnablePdevFn>(slot(7))(self, &dev, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, &driver,
                                                      &state),
              S_OK);
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(static_cast<DeviceState *>(state)->size, kDeviceStateSize);
    dev.pdevOEM = state;

    using ResetPdevFn = HRESULT(STDMETHODCALLTYPE *)(void *, PDEVOBJ, PDEVOBJ);
    EXPECT_EQ(reinterpret_cast<ResetPdevFn>(slot(9))(self, &dev, nullptr), E_FAIL);

    using CommandFn = HRESULT(STDMETHODCALLTYPE *)(void *, PDEVOBJ, DWORD, PVOID, DWORD, DWORD *);
    DWORD result = 0;
    EXPECT_EQ(reinterpret_cast<CommandFn>(slot(11))(self, &dev, 12, nullptr, 0, &result), S_OK);
    EXPECT_EQ(result, 50u);

    using WritePrinterFn = HRESULT(STDMETHODCALLTYPE *)(void *, PDEVOBJ, PVOID, DWORD, PDWORD);
    EXPECT_EQ(reinterpret_cast<WritePrinterFn>(slot(12))(self, nullptr, nullptr, 0, nullptr), S_OK);

    using AdjustmentFn = HRESULT(STDMETHODCALLTYPE *)(void *, PDEVOBJ, DWORD, PVOID, DWORD, BOOL *);
    BOOL done = FALSE;
    EXPECT_EQ(reinterpret_cast<AdjustmentFn>(slot(13))(self, &dev, 1, nullptr, 0, &done), E_NOTIMPL);

    using DisablePdevFn = HRESULT(STDMETHODCALLTYPE *)(void *, PDEVOBJ);
    EXPECT_EQ(reinterpret_cast<DisablePdevFn>(slot(8))(self, &dev), S_OK);

    using DisableDriverFn = HRESULT(STDMETHODCALLTYPE *)(void *);
    EXPECT_EQ(reinterpret_cast<DisableDriverFn>(slot(6))(self), S_OK);
    EXPECT_EQ(l.host.core().RefCount(), 1) << "DisableDriver lets go of the helper";

    using AddRefFn = ULONG(STDMETHODCALLTYPE *)(void *);
    EXPECT_EQ(reinterpret_cast<AddRefFn>(slot(1))(self), 2u);
    EXPECT_EQ(reinterpret_cast<AddRefFn>(slot(2))(self), 1u);
}
