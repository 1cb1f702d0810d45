// The DrvStartDoc and DrvEscape hooks. Both run on the driver's rendering
// thread for the device context and reach the driver's own functions through
// the table the driver handed to EnablePDEV.
#include "render/escapes.h"

#include <strsafe.h>

#include <cstdint>

#include "platform/escape_codes.h"
#include "render/device_state.h"
#include "render/driver_queries.h"
#include "render/escape_records.h"

namespace {

// For this driver a surface's device handle is the DEVOBJ.
DEVOBJ *DevobjOf(const SURFOBJ *pso) { return pso ? reinterpret_cast<DEVOBJ *>(pso->dhpdev) : nullptr; }

bool HasDriverFunctions(const DeviceState *state) { return state && state->driverFunctionCount != 0; }

bool FindEscapeTarget(const SURFOBJ *pso, EscapeTarget *target) {
    DEVOBJ *dev = DevobjOf(pso);
    if (!dev || !dev->pOEMDM || !dev->pPublicDM) return false;
    DeviceState *state = StateOf(dev);
    if (!HasDriverFunctions(state)) return false;
    *target = {dev, state, static_cast<PrivateDevmode *>(dev->pOEMDM), dev->pPublicDM};
    return true;
}

// PFN is the table's generic entry type; going through void(*)() tells the
// compiler the conversion to the real signature is intended.
template <typename Fn>
Fn AsDriverFunction(PFN fn) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(fn));
}

ULONG PassEscapeOn(const EscapeTarget &target, const EscapeCall &call) {
    PFN fn = FindDriverFunction(target.state, INDEX_DrvEscape);
    if (!fn) return 0;
    return AsDriverFunction<PFN_DrvEscape>(fn)(call.pso, call.iEsc, call.cjIn, call.pvIn, call.cjOut, call.pvOut);
}

bool IsAppPostScriptEscape(uint32_t code) {
    return code == POSTSCRIPT_DATA || code == POSTSCRIPT_PASSTHROUGH || code == POSTSCRIPT_IDENTIFY ||
           code == POSTSCRIPT_INJECTION;
}

bool AppPostScriptBlocked(const EscapeTarget &target) { return target.privateDm->blockAppPostScript != 0; }

// The private codes QUERYESCSUPPORT confirms. 0x10008 and the setters are
// answered without being announced; 0x10017 is announced though uiplug, not
// this hook, acts on it.
bool IsAnnouncedPrivateCode(uint32_t code) {
    switch (code) {
    case ESC_GET_PUBLIC_DEVMODE:
    case ESC_GET_PRIVATE_DEVMODE:
    case ESC_NEXT_PAGE:
    case ESC_RESET_PAGES:
    case ESC_GET_PAGE:
    case ESC_GET_DEVICE_STATE:
    case ESC_MANUAL_DUPLEX_PROMPT:
    case ESC_REQUEST_SIDE_ONE:
    case ESC_REQUEST_SIDE_TWO:
    case ESC_HAS_MANUAL_DUPLEX:
    case ESC_BEGIN_MANUAL_DUPLEX:
    case ESC_IS_MANUAL_DUPLEX:
    case ESC_END_MANUAL_DUPLEX:
    case ESC_SET_SHOW_PAGE_MARK:
        return true;
    default:
        return false;
    }
}

ULONG AnswerQueryEscSupport(const EscapeTarget &target, const EscapeCall &call) {
    uint32_t asked = 0;
    if (call.cjIn != sizeof(asked) || !ReadInputU32(call, &asked)) return 0;
    if (IsAppPostScriptEscape(asked) && AppPostScriptBlocked(target)) return 0;
    if (IsAnnouncedPrivateCode(asked)) return 1;
    return PassEscapeOn(target, call);
}

// Sets a flag of the state from the caller's u32, then lets the driver see the
// escape too. A short input changes nothing and tells the size it needs.
ULONG SetFlagAndPassOn(const EscapeTarget &target, const EscapeCall &call, uint32_t *flag) {
    uint32_t value = 0;
    if (!ReadInputU32(call, &value)) return sizeof(value);
    *flag = value;
    return PassEscapeOn(target, call);
}

// Counters wrap instead of overflowing; the caller sees the same 32 bits.
ULONG CountNextPage(DeviceState *state) {
    state->eventPageCount = static_cast<int32_t>(static_cast<uint32_t>(state->eventPageCount) + 1u);
    return static_cast<ULONG>(state->eventPageCount);
}

ULONG SheetsSoFar(const EscapeTarget &target) {
    const int32_t pages = target.state->eventPageCount;
    const int perSheet = QueryPagesPerSheet(target.dev, target.state->coreHelper);
    if (perSheet < 2) return static_cast<ULONG>(pages);
    int32_t sheets = pages / perSheet;
    if (pages % perSheet > 0) ++sheets;
    return static_cast<ULONG>(sheets);
}

ULONG AnswerManualDuplexEscape(const EscapeTarget &target, ULONG code) {
    DeviceState *state = target.state;
    switch (code) {
    case ESC_REQUEST_SIDE_ONE:
        state->duplexSideRequests = 1;
        return 1;
    case ESC_REQUEST_SIDE_TWO:
        state->duplexSideRequests |= 2;
        return 1;
    case ESC_HAS_MANUAL_DUPLEX:
        return HasPpdFeature(target.dev, state->coreHelper, "HasManualDuplex") ? 1 : 0;
    case ESC_BEGIN_MANUAL_DUPLEX:
        state->manualDuplexActive = 1;
        return 1;
    case ESC_IS_MANUAL_DUPLEX:
        return state->manualDuplexActive;
    case ESC_END_MANUAL_DUPLEX:
        state->manualDuplexActive = 0;
        return 1;
    default:
        return 0;
    }
}

// Answers a private code of the channel; false for any other code.
bool AnswerPrivateEscape(const EscapeTarget &target, const EscapeCall &call, ULONG *reply) {
    DeviceState *state = target.state;
    switch (call.iEsc) {
    case ESC_GET_PUBLIC_DEVMODE: *reply = GetPublicDevmode(target, call); return true;
    case ESC_GET_PRIVATE_DEVMODE: *reply = GetPrivateDevmode(target, call); return true;
    case ESC_GET_DEVICE_STATE: *reply = GetDeviceState(target, call); return true;
    case ESC_GET_JOB_TIME: *reply = GetJobTime(target, call); return true;
    case ESC_SET_PUBLIC_DEVMODE: *reply = SetPublicDevmode(target, call); return true;
    case ESC_SET_PRIVATE_DEVMODE: *reply = SetPrivateDevmode(target, call); return true;
    case ESC_SET_DEVICE_STATE: *reply = SetDeviceState(target, call); return true;
    case ESC_NEXT_PAGE: *reply = CountNextPage(state); return true;
    case ESC_RESET_PAGES: state->eventPageCount = 0; *reply = 0; return true;
    case ESC_GET_PAGE: *reply = static_cast<ULONG>(state->eventPageCount); return true;
    case ESC_GET_SHEETS: *reply = SheetsSoFar(target); return true;
    case ESC_GET_JOB_ID: *reply = state->jobId; return true;
    case ESC_SET_COVER_PAGE_MODE: *reply = SetFlagAndPassOn(target, call, &state->coverPageMode); return true;
    case ESC_SET_SHOW_PAGE_MARK: *reply = SetFlagAndPassOn(target, call, &state->showPageMark); return true;
    case ESC_REQUEST_SIDE_ONE:
    case ESC_REQUEST_SIDE_TWO:
    case ESC_HAS_MANUAL_DUPLEX:
    case ESC_BEGIN_MANUAL_DUPLEX:
    case ESC_IS_MANUAL_DUPLEX:
    case ESC_END_MANUAL_DUPLEX:
        *reply = AnswerManualDuplexEscape(target, call.iEsc);
        return true;
    default:
        return false;
    }
}

}  // namespace

ULONG APIENTRY EscapeHook(SURFOBJ *pso, ULONG iEsc, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut) {
    EscapeTarget target{};
    if (!FindEscapeTarget(pso, &target)) return 0;
    const EscapeCall call{pso, iEsc, cjIn, pvIn, cjOut, pvOut};

    ULONG reply = 0;
    if (AnswerPrivateEscape(target, call, &reply)) return reply;
    if (iEsc == QUERYESCSUPPORT) return AnswerQueryEscSupport(target, call);
    // The application's own PostScript would bypass the settings the job
    // stream enforces (hold, fax, page policy); the user may forbid it.
    if (IsAppPostScriptEscape(iEsc) && AppPostScriptBlocked(target)) return 0;
    return PassEscapeOn(target, call);
}

BOOL APIENTRY StartDocHook(SURFOBJ *pso, LPWSTR pwszDocName, DWORD dwJobId) {
    DEVOBJ *dev = DevobjOf(pso);
    if (!dev || !dev->pOEMDM) return FALSE;
    DeviceState *state = StateOf(dev);
    if (!HasDriverFunctions(state)) return FALSE;

    // Stored before the driver's own DrvStartDoc: the job header that names
    // the document is written from inside that call.
    if (pwszDocName) {
        const size_t capacity = ARRAYSIZE(state->documentName);
        StringCchCopyNW(state->documentName, capacity, pwszDocName, capacity - 1);
    }
    // A device context that prints several documents stays one job.
    if (state->jobId == 0) {
        state->jobId = dwJobId;
        GetLocalTime(&state->jobStartTime);
    }

    PFN fn = FindDriverFunction(state, INDEX_DrvStartDoc);
    if (!fn) return TRUE;
    return AsDriverFunction<PFN_DrvStartDoc>(fn)(pso, pwszDocName, dwJobId);
}
