#include "ui/printing/document_events.h"

#include <winddiui.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/escape_codes.h"
#include "platform/raii.h"
#include "settings/private_devmode.h"
#include "ui/printing/manual_duplex.h"
#include "ui/output/fax_cover.h"
#include "ui/watermark/draw.h"

namespace {

// This side reads the public devmode only this far: the renderer's copy
// without the driver's private bytes.
constexpr ULONG kPublicDevmodeBytes = 220;
static_assert(sizeof(DEVMODEW) == kPublicDevmodeBytes);

constexpr DWORD kFilteredEvents[] = {DOCUMENTEVENT_STARTPAGE, DOCUMENTEVENT_ENDDOC, DOCUMENTEVENT_ENDPAGE,
                                     DOCUMENTEVENT_ESCAPE};
constexpr UINT kFilteredEventCount = sizeof(kFilteredEvents) / sizeof(kFilteredEvents[0]);

// The input of the watermark request escape. Another component writes it,
// with a 32-bit layout whatever the process: the RECT follows the devmode
// field directly at 40, so that field is four bytes wide everywhere. Only
// the named fields are read; the rest is that component's business. Any
// program that holds the device context can send this escape, so the
// devmode field is never followed, in a 32-bit process either: it only has
// to be non-zero, and the job's devmode comes from the renderer.
#pragma pack(push, 4)
struct WatermarkRequest {
    uint8_t unread0[20];
    int32_t logicalPage;
    uint8_t unread1[12];
    uint32_t devmode;  // non-zero; the sender's own address of the job's devmode
    RECT pageRect;     // the logical page on the sheet, device units
    uint8_t unread2[32];
    float scale;       // size factor of the logical page
};
#pragma pack(pop)
static_assert(offsetof(WatermarkRequest, logicalPage) == 20);
static_assert(offsetof(WatermarkRequest, devmode) == 36);
static_assert(offsetof(WatermarkRequest, pageRect) == 40);
static_assert(offsetof(WatermarkRequest, scale) == 88);
static_assert(sizeof(WatermarkRequest) == 92, "the record is read up to its scale");

// Escapes carry no input; the output size tells the renderer what the
// caller can take.
int SendEscape(HDC dc, ULONG code) { return ExtEscape(dc, static_cast<int>(code), 0, nullptr, 0, nullptr); }

int AskCounter(HDC dc, ULONG code) {
    return ExtEscape(dc, static_cast<int>(code), 0, nullptr, sizeof(DWORD), nullptr);
}

int Fetch(HDC dc, ULONG code, void *out, ULONG bytes) {
    return ExtEscape(dc, static_cast<int>(code), 0, nullptr, static_cast<int>(bytes), static_cast<LPSTR>(out));
}

// A size query; a renderer that needs more than this side reads is not used.
bool RecordFits(HDC dc, ULONG code, ULONG limit) { return Fetch(dc, code, nullptr, 0) <= static_cast<int>(limit); }

// Zeroed, so that a renderer that answers nothing leaves a record that asks
// for nothing (no watermark, printer destination).
unique_process_heap_ptr AllocateRecord(ULONG bytes) {
    return unique_process_heap_ptr(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes));
}

// The job's two devmodes, copied from the renderer for one event.
struct JobRecords {
    unique_process_heap_ptr privateBlock;
    unique_process_heap_ptr publicBlock;

    bool Allocate() {
        privateBlock = AllocateRecord(kPrivateDevmodeSize);
        publicBlock = AllocateRecord(kPublicDevmodeBytes);
        if (privateBlock && publicBlock) return true;
        privateBlock.reset();
        publicBlock.reset();
        return false;
    }
    void Fetch(HDC dc) {
        ::Fetch(dc, ESC_GET_PRIVATE_DEVMODE, privateBlock.get(), kPrivateDevmodeSize);
        ::Fetch(dc, ESC_GET_PUBLIC_DEVMODE, publicBlock.get(), kPublicDevmodeBytes);
    }
    PrivateDevmode *settings() const { return static_cast<PrivateDevmode *>(privateBlock.get()); }
    DEVMODEW *devmode() const { return static_cast<DEVMODEW *>(publicBlock.get()); }
};

bool BothRecordsFit(HDC dc) {
    return RecordFits(dc, ESC_GET_PRIVATE_DEVMODE, kPrivateDevmodeSize) &&
           RecordFits(dc, ESC_GET_PUBLIC_DEVMODE, kPublicDevmodeBytes);
}

// Page numbers from the renderer's counter are tested with the remainder;
// those of a request record by their lowest bit, which differs for negative
// numbers only.
enum class PageSource { Counter, Request };

const WatermarkRecord &ChooseWatermark(const PrivateDevmode &s, int page, PageSource source) {
    const WatermarkRecord &first = s.watermarks[0];
    const WatermarkRecord &second = s.watermarks[1];
    switch (s.watermarkOrder) {
    case 1:
        return first;
    case 2:
        if (source == PageSource::Counter) return page % 2 == 1 ? first : second;
        return (page & 1) != 0 ? first : second;
    case 3:
        return page == 1 ? first : second;
    default:
        return second;
    }
}

struct PageFacts {
    int page;
    SYSTEMTIME jobTime;
};

PageFacts ReadPageFacts(HDC dc) {
    PageFacts facts{};
    facts.page = AskCounter(dc, ESC_GET_PAGE);
    Fetch(dc, ESC_GET_JOB_TIME, &facts.jobTime, kJobTimeSize);
    return facts;
}

// The record came through another component's hands; strings are cut and
// values out of range replaced before anything is drawn from it.
void DrawChosenWatermark(HANDLE printer, HDC dc, const PrivateDevmode &settings, const DEVMODEW *devmode,
                         const PageFacts &facts, PageSource source, const RECT *pageRect, float scale) {
    WatermarkRecord wm = ChooseWatermark(settings, facts.page, source);
    ValidateWatermark(&wm);
    const int requestFlag = source == PageSource::Request ? 1 : 0;
    DrawWatermark(dc, printer, &settings, devmode, &wm, facts.page, &facts.jobTime, requestFlag, pageRect, scale);
}

int OnQueryFilter(DOCEVENT_FILTER *filter) {
    if (!filter) return DOCUMENTEVENT_FAILURE;
    filter->cElementsNeeded = kFilteredEventCount;
    if (filter->cElementsAllocated < kFilteredEventCount) {
        filter->cElementsReturned = 0;
        return DOCUMENTEVENT_SUCCESS;
    }
    // The list runs past the one element the structure declares.
    auto *list = reinterpret_cast<BYTE *>(filter) + offsetof(DOCEVENT_FILTER, aDocEventCall);
    memcpy(list, kFilteredEvents, sizeof(kFilteredEvents));
    filter->cElementsReturned = kFilteredEventCount;
    return DOCUMENTEVENT_SUCCESS;
}

// Under the page content: drawn before the application draws the page.
int OnStartPage(HANDLE printer, HDC dc) {
    // The sheets of the second pass already carry their watermark.
    if (SendEscape(dc, ESC_IS_MANUAL_DUPLEX) != 0) return DOCUMENTEVENT_SUCCESS;
    AskCounter(dc, ESC_NEXT_PAGE);
    if (!BothRecordsFit(dc)) return DOCUMENTEVENT_SUCCESS;
    JobRecords records;
    if (!records.Allocate()) return DOCUMENTEVENT_SUCCESS;
    records.Fetch(dc);
    const PageFacts facts = ReadPageFacts(dc);
    const PrivateDevmode &s = *records.settings();
    if (s.watermarksEnabled && !s.watermarkOverPage && !s.watermarkViaEscape)
        DrawChosenWatermark(printer, dc, s, records.devmode(), facts, PageSource::Counter, nullptr, 1.0f);
    return DOCUMENTEVENT_SUCCESS;
}

// Over the page content: drawn after the application's last call of the page.
int OnEndPage(HANDLE printer, HDC dc) {
    if (SendEscape(dc, ESC_IS_MANUAL_DUPLEX) != 0) {
        SendEscape(dc, ESC_END_MANUAL_DUPLEX);
        return DOCUMENTEVENT_SUCCESS;
    }
    if (!BothRecordsFit(dc)) return DOCUMENTEVENT_SUCCESS;
    JobRecords records;
    if (!records.Allocate()) return DOCUMENTEVENT_SUCCESS;
    records.Fetch(dc);
    const PrivateDevmode &s = *records.settings();
    if (!s.watermarksEnabled || !s.watermarkOverPage || s.watermarkViaEscape) return DOCUMENTEVENT_SUCCESS;
    DrawChosenWatermark(printer, dc, s, records.devmode(), ReadPageFacts(dc), PageSource::Counter, nullptr, 1.0f);
    return DOCUMENTEVENT_SUCCESS;
}

bool CoverPageWanted(const PrivateDevmode &s) { return s.outputDestination == DEST_FAX && s.fax.sendCoverPage != 0; }

// A renderer whose records this side cannot read gets no reset either: it
// is not the renderer these escapes were made for.
int OnEndDoc(HANDLE printer, HDC dc) {
    if (!BothRecordsFit(dc)) return DOCUMENTEVENT_FAILURE;
    int result = DOCUMENTEVENT_FAILURE;
    {
        JobRecords records;
        if (records.Allocate()) {
            const int sheets = AskCounter(dc, ESC_GET_SHEETS);
            records.Fetch(dc);
            if (CoverPageWanted(*records.settings()))
                DrawFaxCoverPage(dc, printer, records.settings(), records.devmode(), sheets);
            result = DOCUMENTEVENT_SUCCESS;
        }
    }
    AskCounter(dc, ESC_RESET_PAGES);
    return result;
}

// The whole record must lie inside the input the sender declared: the
// fields read end at byte 92, however few bytes the sender claims.
bool ReadWatermarkRequest(const DOCEVENT_ESCAPE &e, WatermarkRequest *request) {
    if (!e.pvInData || e.cjInput < static_cast<int>(sizeof(WatermarkRequest))) return false;
    memcpy(request, e.pvInData, sizeof(*request));
    return request->devmode != 0;
}

// The job's devmode, as the renderer holds it, in `owned`.
const DEVMODEW *RendererDevmode(HDC dc, unique_process_heap_ptr *owned) {
    if (!RecordFits(dc, ESC_GET_PUBLIC_DEVMODE, kPublicDevmodeBytes)) return nullptr;
    *owned = AllocateRecord(kPublicDevmodeBytes);
    if (!*owned) return nullptr;
    Fetch(dc, ESC_GET_PUBLIC_DEVMODE, owned->get(), kPublicDevmodeBytes);
    return static_cast<const DEVMODEW *>(owned->get());
}

// One logical page of a sheet, for booklet and back-to-front jobs whose
// pages the page events cannot tell apart.
int OnWatermarkRequest(HANDLE printer, HDC dc, const DOCEVENT_ESCAPE &e) {
    if (SendEscape(dc, ESC_IS_MANUAL_DUPLEX) != 0) return DOCUMENTEVENT_SUCCESS;
    WatermarkRequest request;
    if (!ReadWatermarkRequest(e, &request)) return DOCUMENTEVENT_FAILURE;
    if (!RecordFits(dc, ESC_GET_PRIVATE_DEVMODE, kPrivateDevmodeSize)) return DOCUMENTEVENT_FAILURE;
    unique_process_heap_ptr block = AllocateRecord(kPrivateDevmodeSize);
    if (!block) return DOCUMENTEVENT_FAILURE;
    Fetch(dc, ESC_GET_PRIVATE_DEVMODE, block.get(), kPrivateDevmodeSize);
    const PrivateDevmode &s = *static_cast<const PrivateDevmode *>(block.get());
    if (!s.watermarksEnabled || !s.watermarkViaEscape) return DOCUMENTEVENT_SUCCESS;
    PageFacts facts{};
    facts.page = request.logicalPage;
    Fetch(dc, ESC_GET_JOB_TIME, &facts.jobTime, kJobTimeSize);
    unique_process_heap_ptr devmodeBlock;
    const DEVMODEW *devmode = RendererDevmode(dc, &devmodeBlock);
    if (!devmode) return DOCUMENTEVENT_SUCCESS;
    DrawChosenWatermark(printer, dc, s, devmode, facts, PageSource::Request, &request.pageRect, request.scale);
    return DOCUMENTEVENT_SUCCESS;
}

int OnEscape(HANDLE printer, HDC dc, const DOCEVENT_ESCAPE *e) {
    if (!e) return DOCUMENTEVENT_FAILURE;
    switch (static_cast<ULONG>(e->iEscape)) {
    case ESC_WATERMARK_REQUEST:
        return OnWatermarkRequest(printer, dc, *e);
    case ESC_MANUAL_DUPLEX_PROMPT:
        LaunchManualDuplexPrompt();
        return DOCUMENTEVENT_FAILURE;
    default:
        return DOCUMENTEVENT_SUCCESS;
    }
}

int Dispatch(HANDLE printer, HDC dc, INT iEsc, PVOID pvIn, PVOID pvOut) {
    switch (iEsc) {
    case DOCUMENTEVENT_QUERYFILTER:
        return OnQueryFilter(static_cast<DOCEVENT_FILTER *>(pvOut));
    case DOCUMENTEVENT_STARTPAGE:
        return OnStartPage(printer, dc);
    case DOCUMENTEVENT_ENDPAGE:
        return OnEndPage(printer, dc);
    case DOCUMENTEVENT_ENDDOC:
        return OnEndDoc(printer, dc);
    case DOCUMENTEVENT_ESCAPE:
        return OnEscape(printer, dc, static_cast<const DOCEVENT_ESCAPE *>(pvIn));
    default:
        return DOCUMENTEVENT_SUCCESS;
    }
}

}  // namespace

HRESULT HandleDocumentEvent(HANDLE hPrinter, HDC hdc, INT iEsc, ULONG, PVOID pvIn, ULONG, PVOID pvOut,
                            PINT piResult) {
    if (!piResult) return E_FAIL;
    *piResult = Dispatch(hPrinter, hdc, iEsc, pvIn, pvOut);
    return S_OK;
}
