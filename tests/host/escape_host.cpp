#include "tests/host/escape_host.h"

#include <gtest/gtest.h>

#include <cstring>

namespace testbed {
namespace {

template <typename Fn>
Fn RegisteredHook(const DRVENABLEDATA &block, ULONG index) {
    for (ULONG i = 0; block.pdrvfn && i < block.c; ++i)
        if (block.pdrvfn[i].iFunc == index)
            return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(block.pdrvfn[i].pfn));
    return nullptr;
}

std::vector<DriverCall> CallsTo(const std::vector<DriverCall> &calls, ULONG index) {
    std::vector<DriverCall> out;
    for (const DriverCall &c : calls)
        if (c.index == index) out.push_back(c);
    return out;
}

}  // namespace

EscapeHost::EscapeHost(RenderHost &host, HostDevice *device)
    : host_(host), device_(device ? device : &host.device()) {
    escapeHook_ = RegisteredHook<PFN_DrvEscape>(host.hookBlock(), INDEX_DrvEscape);
    startDocHook_ = RegisteredHook<PFN_DrvStartDoc>(host.hookBlock(), INDEX_DrvStartDoc);
}

ULONG EscapeHost::Escape(ULONG code, ULONG cjIn, void *pvIn, ULONG cjOut, void *pvOut) {
    return EscapeOn(surface(), code, cjIn, pvIn, cjOut, pvOut);
}

ULONG EscapeHost::EscapeWithU32(ULONG code, uint32_t value) {
    return Escape(code, sizeof(value), &value, 0, nullptr);
}

BOOL EscapeHost::StartDoc(const wchar_t *docName, DWORD jobId) { return StartDocOn(surface(), docName, jobId); }

ULONG EscapeHost::EscapeOn(SURFOBJ *surface, ULONG code, ULONG cjIn, void *pvIn, ULONG cjOut, void *pvOut) {
    // Without the hook GDI would reach the driver directly; a test must see that as a fault.
    if (!escapeHook_) {
        ADD_FAILURE() << "no DrvEscape hook registered";
        return 0;
    }
    return escapeHook_(surface, code, cjIn, pvIn, cjOut, pvOut);
}

BOOL EscapeHost::StartDocOn(SURFOBJ *surface, const wchar_t *docName, DWORD jobId) {
    if (!startDocHook_) {
        ADD_FAILURE() << "no DrvStartDoc hook registered";
        return FALSE;
    }
    return startDocHook_(surface, const_cast<wchar_t *>(docName), jobId);
}

std::vector<DriverCall> EscapeHost::DriverEscapes() const { return CallsTo(host_.driverCalls, INDEX_DrvEscape); }

std::vector<DriverCall> EscapeHost::DriverStartDocs() const {
    return CallsTo(host_.driverCalls, INDEX_DrvStartDoc);
}

GuardedJobRecords::GuardedJobRecords(HostDevice &device)
    : device_(device),
      originalState_(device.state()),
      state_(kDeviceStateSize),
      privateDm_(device.privateDm.size()),
      publicDm_(device.publicDm.size()) {
    if (!ok() || !originalState_) return;
    DEVOBJ *dev = device_.dev();
    memcpy(state_.data(), originalState_, kDeviceStateSize);
    memcpy(privateDm_.data(), device_.privateDm.data(), device_.privateDm.size());
    memcpy(publicDm_.data(), device_.publicDm.data(), device_.publicDm.size());
    dev->pdevOEM = state_.data();
    dev->pOEMDM = privateDm_.data();
    dev->pPublicDM = publicDm_.as<DEVMODEW>();
}

GuardedJobRecords::~GuardedJobRecords() {
    if (!ok() || !originalState_) return;
    DEVOBJ *dev = device_.dev();
    // The plug-in frees the state it allocated at DisablePDEV.
    memcpy(originalState_, state_.data(), kDeviceStateSize);
    memcpy(device_.privateDm.data(), privateDm_.data(), device_.privateDm.size());
    memcpy(device_.publicDm.data(), publicDm_.data(), device_.publicDm.size());
    dev->pdevOEM = originalState_;
    dev->pOEMDM = device_.privateDm.data();
    dev->pPublicDM = device_.publicDevmode();
}

}  // namespace testbed
