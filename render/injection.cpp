#include "render/injection.h"

#include <climits>
#include <initializer_list>

#include "render/device_state.h"
#include "render/driver_queries.h"
#include "render/job_stream.h"
#include "render/job_text.h"

namespace {

// PostScript texts. Line ends are part of each text: some lines end in CR LF
// because printers in the field were fed exactly those bytes.
constexpr char kVersionComment[] = "%%Corvane PS System Driver Version:  3.0\n";

constexpr char kPageSizePolicyOpen[] = "[{\r\n";
constexpr char kPageSizePolicy[] =  // policy
    "<< currentpagedevice /InputAttributes get 0 get /PageSize get /PageSize exch /Policies "
    "<< /PageSize %u >> >> setpagedevice\r\n";
constexpr char kPageSizePolicyClose[] = "} stopped cleartomark\r\n";

constexpr char kPageComment[] = "%%%%Page: %d %d\n";  // page, page (formatted, so %% is one %)

constexpr char kSideOne[] =
    "statusdict dup /setmanualduplexmode known {begin 1 setmanualduplexmode end}{pop}ifelse\n";
constexpr char kSideTwo[] =
    "statusdict dup /setmanualduplexmode known {begin 2 setmanualduplexmode end}{pop}ifelse\n";

constexpr char kRotate180[] = "clippath pathbbox translate 180 rotate pop pop\r\n";

// The cover page: the driver's N-up calls eat their arguments and do nothing,
// and an open N-up sheet is finished first.
constexpr char kCoverDefineNup[] = "/definenup {pop pop pop pop pop pop} def\n";
constexpr char kCoverStartNup[] = "/startnup {pop pop} def\n";
constexpr char kFinishOpenSheet[] = "userdict /realshowpage known {finalpage} if\r\n";
constexpr char kCoverFinalPage[] = "/finalpage {} def\n";

// First page of a sheet: the N-up calls leave their arguments on the stack.
constexpr char kNupDisable[] = "/definenup {} def\n/startnup {} def\n/finalpage {} def\n";
// ... which the end of that page's setup stores ...
constexpr char kNupCapture[] =
    "/sn1 exch def\n/sn2 exch def\n"
    "/dn1 exch def\n/dn2 exch def\n/dn3 exch def\n/dn4 exch def\n/dn5 exch def\n/dn6 exch def\n";
// ... and the second page of the sheet replays, after finishing the sheet before.
constexpr char kNupFinish[] = "finalpage\n";
constexpr char kNupReplay[] = "dn6 dn5 dn4 dn3 dn2 dn1 definenup\nsn2 sn1 startnup\n";

constexpr char kErasePage[] = "erasepage\n";

// The N-up procedures rebuilt from the driver's own prologue abbreviations.
constexpr char kNupDefineNup[] =
    "\n/definenup {/LH/nupshowpage ld nupv astore !/pgx_nup 0 store/pgy_nup 0 store} def\n";
constexpr char kNupStartNup[] =
    "/startnup {/pgy_nup ~ store /pgx_nup ~ store nupv aload !/ny_nup ~ store/nx_nup ~ "
    "store/pageh_nup ~ store /pagew_nup ~ store/borderlinewidth ~ store @/nupangle ~ store R "
    "clippath/nups pathbbox 3 -1 $ sub papermarg_nup sub ny_nup V pagemarg_nup sub pageh_nup V ~ 3 "
    "-1 $ sub papermarg_nup sub nx_nup V pagemarg_nup sub pagew_nup V 2 copy gt{~}if ! store nups @ "
    "+S/paperw_nup pagew_nup pagemarg_nup nups V add store/paperh_nup pageh_nup pagemarg_nup nups V "
    "add store pathbbox $m aload ! pagemarg_nup nups V @ 8 ^ 11 ^ sub paperh_nup ny_nup mul sub add "
    "2 V ~ 9 ^ 12 ^ sub paperw_nup nx_nup mul sub add 2 V 7 ^ 0 eq{8 -4 $ 4 2 $ 8 4 $}if 8 -2 $ add "
    "0 gt{9}{neg 7} ? ^ add 4 -1 $ sub ~ 5 -2 $ add 0 gt{5}{neg 3}? ^ add 3 -1 $ sub 2 copy/yoffset "
    "~ store/xoffset ~ store + ! ! ! !/paperw_nup paperw_nup paperh_nup $m idtransform "
    "abs/paperh_nup ~ store abs store/pagew_nup pagew_nup pageh_nup $m idtransform abs/pageh_nup ~ "
    "store abs store $m 0 get abs $m 1 get abs lt{ /nx_nup ny_nup/ny_nup nx_nup store store}if "
    "borderlinewidth 0 gt{.48 nups V @ /borderlinewidth ~ store Lw}{/framenup F d}? $m concat "
    "pgx_nup paperw_nup mul pgy_nup paperh_nup mul + $m matrix invertmatrix concat N startpage} def\n";
constexpr char kNupFinalPage[] = "/finalpage {; realshowpage/LH/realshowpage ld} def\n";

constexpr uint16_t kSideOneDue = 0x1;
constexpr uint16_t kSideTwoDue = 0x2;

struct Injection {
    const DEVOBJ *dev;
    IPrintCorePS2 *helper;
    DeviceState *state;
    const PrivateDevmode *dm;
};

// Texts sent together go out in one write from one block; false when there
// was no memory for it and nothing was written.
bool WriteTexts(const Injection &in, std::initializer_list<const char *> texts) {
    TextLine line;
    if (!line.ok()) return false;
    for (const char *text : texts) line.AppendText(text);
    line.WriteTo(in.dev, in.helper);
    return true;
}

// Where the current page stands in the driver's N-up layout. The layout
// counts only hold with at least one page and sheet begun and two or more
// pages per sheet; `slot` is the page number modulo pages per sheet.
struct NupPosition {
    int pages = 0;
    int perSheet = 1;
    bool holds = false;
    int slot = 0;
};

NupPosition QueryNupPosition(const Injection &in) {
    NupPosition pos;
    pos.pages = GetPsPageCount(in.dev);
    int sheets = GetSheetCount(in.dev, in.helper);
    pos.perSheet = QueryPagesPerSheet(in.dev, in.helper);
    pos.holds = pos.pages >= 1 && sheets >= 1 && pos.perSheet >= 2;
    if (pos.holds) pos.slot = pos.pages % pos.perSheet;
    return pos;
}

bool FirstOnSheet(const NupPosition &pos) { return pos.holds && pos.slot == 1; }
bool SecondOnSheet(const NupPosition &pos) {
    return pos.holds && (pos.slot == 2 || (pos.slot == 0 && pos.perSheet == 2));
}

// A due side command goes out once; both or neither due: nothing. The bit
// stays set when the text could not be written, so a later point retries.
void WriteSideCommand(const Injection &in) {
    uint16_t &due = in.state->duplexSideRequests;
    if (due == kSideOneDue) {
        if (WriteTexts(in, {kSideOne})) due &= static_cast<uint16_t>(~kSideOneDue);
    } else if (due == kSideTwoDue) {
        if (WriteTexts(in, {kSideTwo})) due &= static_cast<uint16_t>(~kSideTwoDue);
    }
}

bool CoverPageBeingDrawn(const Injection &in) {
    return in.dm->outputDestination == DEST_FAX && in.dm->fax.sendCoverPage && in.state->coverPageMode;
}

void InjectJobHeader(const Injection &in) { WriteJobHeader(in.dev, in.helper); }
void InjectJobSettings(const Injection &in) { WriteJobSettings(in.dev, in.helper); }
void InjectJobTrailer(const Injection &in) { WriteJobTrailer(in.dev, in.helper); }
void InjectVersionComment(const Injection &in) { WriteTexts(in, {kVersionComment}); }

void InjectPageSizePolicy(const Injection &in) {
    // An EPS file must not change the page device of the document it lands in.
    if (in.dm->outputDestination == DEST_EPS) return;
    TextLine text;
    if (!text.ok()) return;
    text.AppendText(kPageSizePolicyOpen);
    text.Append(kPageSizePolicy, static_cast<unsigned>(in.dm->pageSizePolicy));
    text.AppendText(kPageSizePolicyClose);
    text.WriteTo(in.dev, in.helper);
}

void InjectPageNumber(const Injection &in) {
    int page = in.state->psPageCount < INT_MAX ? in.state->psPageCount + 1 : INT_MAX;
    TextLine text;
    if (text.ok()) {
        text.Format(kPageComment, page, page);
        text.WriteTo(in.dev, in.helper);
    }
    if (QueryPagesPerSheet(in.dev, in.helper) == 1) WriteSideCommand(in);
}

void InjectBeginPageSetup(const Injection &in) {
    if (in.state->psPageCount < INT_MAX) ++in.state->psPageCount;
    if (CoverPageBeingDrawn(in)) {
        WriteTexts(in, {kCoverDefineNup, kCoverDefineNup, kCoverStartNup, kFinishOpenSheet, kCoverFinalPage});
        return;
    }
    if (!ManualDuplexApplies(in.dev, in.helper)) return;
    NupPosition pos = QueryNupPosition(in);
    if (FirstOnSheet(pos))
        WriteTexts(in, {kNupDisable});
    else if (pos.holds && pos.pages == 2)
        WriteTexts(in, {kNupReplay});
    else if (SecondOnSheet(pos))
        WriteTexts(in, {kNupFinish, kNupReplay});
}

// Arms the erase on the second page of a sheet; the first page of the next
// sheet turns it into a pending erase for its page trailer.
void UpdateErase(const Injection &in, const NupPosition &pos) {
    DeviceState &s = *in.state;
    if (!s.manualDuplexActive) return;
    if (SecondOnSheet(pos)) {
        s.eraseArmed = 1;
    } else if (FirstOnSheet(pos) && pos.pages != 1 && s.eraseArmed) {
        s.erasePending = 1;
        s.eraseArmed = 0;
    }
}

void InjectEndPageSetup(const Injection &in) {
    if (in.dm->rotate180) WriteTexts(in, {kRotate180});
    if (!ManualDuplexApplies(in.dev, in.helper)) return;
    NupPosition pos = QueryNupPosition(in);
    if (!pos.holds) return;
    // On the cover page the neutralised N-up calls have eaten their arguments
    // already; capturing them there would run the printer's stack dry.
    if (FirstOnSheet(pos) && !CoverPageBeingDrawn(in)) WriteTexts(in, {kNupCapture});
    UpdateErase(in, pos);
}

void InjectPageTrailer(const Injection &in) {
    if (ManualDuplexApplies(in.dev, in.helper) && QueryPagesPerSheet(in.dev, in.helper) >= 2) WriteSideCommand(in);
    bool begun = GetPsPageCount(in.dev) >= 1 && GetSheetCount(in.dev, in.helper) >= 1;
    if (begun && in.state->erasePending && WriteTexts(in, {kErasePage})) in.state->erasePending = 0;
}

void InjectShowPage(const Injection &in) {
    if (ManualDuplexApplies(in.dev, in.helper) && FirstOnSheet(QueryNupPosition(in)))
        WriteTexts(in, {kNupDefineNup, kNupStartNup, kFinishOpenSheet, kNupFinalPage});
    in.state->showPageMark = 0;
}

struct InjectionEntry {
    DWORD index;
    void (*handle)(const Injection &in);
};

constexpr InjectionEntry kInjections[] = {
    {PSINJECT_BEGINSTREAM, InjectJobHeader},
    {PSINJECT_PSADOBE, InjectJobSettings},
    {PSINJECT_COMMENTS, InjectVersionComment},
    {PSINJECT_BEGINSETUP, InjectPageSizePolicy},
    {PSINJECT_EOF, InjectJobTrailer},
    {PSINJECT_PAGENUMBER, InjectPageNumber},
    {PSINJECT_BEGINPAGESETUP, InjectBeginPageSetup},
    {PSINJECT_ENDPAGESETUP, InjectEndPageSetup},
    {PSINJECT_PAGETRAILER, InjectPageTrailer},
    {PSINJECT_SHOWPAGE, InjectShowPage},
};

}  // namespace

HRESULT HandleInjection(const DEVOBJ *dev, DWORD index, IPrintCorePS2 *helper) {
    if (!helper || !dev || !dev->pOEMDM || !dev->pdevOEM) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_FAIL;
    }
    Injection in{dev, helper, StateOf(dev), JobDevmodeOf(dev)};
    for (const InjectionEntry &entry : kInjections) {
        if (entry.index != index) continue;
        entry.handle(in);
        return S_OK;
    }
    return E_NOTIMPL;
}
