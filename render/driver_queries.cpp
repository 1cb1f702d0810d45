#include "render/driver_queries.h"

#include "platform/raii.h"
#include "render/option_reply.h"

namespace {

// The keyword, its terminator and the list's terminator: a one-entry list.
constexpr char kPagesPerSheetRequest[] = "%PagePerSheet\0";
static_assert(sizeof(kPagesPerSheetRequest) == sizeof("%PagePerSheet") + 1);

// A reply to a one-feature request is a few dozen bytes; a size beyond this
// is a confused driver, answered like a failed allocation.
constexpr DWORD kMaxOptionsReply = 64 * 1024;

bool Usable(const DEVOBJ *dev, IPrintCorePS2 *helper) { return dev && helper && StateOf(dev); }

PDEVOBJ DriverDevobj(const DEVOBJ *dev) { return const_cast<PDEVOBJ>(dev); }

}  // namespace

bool HasPpdFeature(const DEVOBJ *dev, IPrintCorePS2 *helper, const char *keyword) {
    if (!Usable(dev, helper) || !keyword) return false;
    DWORD needed = 0;
    HRESULT hr = helper->EnumOptions(DriverDevobj(dev), 0, keyword, nullptr, 0, &needed);
    return hr == E_OUTOFMEMORY && needed > 0;
}

int QueryPagesPerSheet(const DEVOBJ *dev, IPrintCorePS2 *helper) {
    if (!Usable(dev, helper)) return 1;
    DWORD needed = 0;
    helper->GetOptions(DriverDevobj(dev), 0, kPagesPerSheetRequest, sizeof(kPagesPerSheetRequest), nullptr, 0,
                       &needed);
    if (needed == 0 || needed > kMaxOptionsReply) return 1;
    unique_process_heap_ptr buffer(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, needed));
    if (!buffer) return 1;
    auto *reply = static_cast<char *>(buffer.get());
    // A helper that leaves the count alone on success has filled at most the buffer.
    DWORD replied = needed;
    HRESULT hr = helper->GetOptions(DriverDevobj(dev), 0, kPagesPerSheetRequest, sizeof(kPagesPerSheetRequest),
                                    reply, needed, &replied);
    if (hr != S_OK) return 1;
    int pages = 1;
    if (!PagesPerSheetFromReply(reply, replied < needed ? replied : needed, &pages)) return 1;
    return pages;
}

int GetPsPageCount(const DEVOBJ *dev) {
    const DeviceState *state = StateOf(dev);
    return state ? state->psPageCount : 1;
}

int GetSheetCount(const DEVOBJ *dev, IPrintCorePS2 *helper) {
    if (!Usable(dev, helper)) return 1;
    int perSheet = QueryPagesPerSheet(dev, helper);
    if (perSheet < 1) return 1;
    int pages = StateOf(dev)->psPageCount;
    if (perSheet == 1) return pages;
    // Rounded up, for a count that an escape caller may have made negative too.
    int sheets = pages / perSheet;
    if (pages % perSheet > 0) ++sheets;
    return sheets;
}

bool ManualDuplexApplies(const DEVOBJ *dev, IPrintCorePS2 *helper) {
    if (!Usable(dev, helper) || !dev->pPublicDM) return false;
    short duplex = dev->pPublicDM->dmDuplex;
    if (duplex != DMDUP_VERTICAL && duplex != DMDUP_HORIZONTAL) return false;
    return HasPpdFeature(dev, helper, "HasManualDuplex");
}

void WriteToJob(const DEVOBJ *dev, IPrintCorePS2 *helper, const void *bytes, DWORD length) {
    if (!Usable(dev, helper) || !bytes || length == 0) return;
    DWORD written = 0;
    helper->DrvWriteSpoolBuf(DriverDevobj(dev), const_cast<void *>(bytes), length, &written);
}

PFN FindDriverFunction(const DeviceState *state, ULONG index) {
    if (!state || !state->driverFunctions) return nullptr;
    for (ULONG i = 0; i < state->driverFunctionCount; ++i) {
        const DRVFN &entry = state->driverFunctions[i];
        if (entry.iFunc == index && entry.pfn) return entry.pfn;
    }
    return nullptr;
}
