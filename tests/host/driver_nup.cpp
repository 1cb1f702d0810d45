#include "tests/host/driver_nup.h"

namespace testbed {
namespace {

// The driver's N-up prologue, reduced to what the plug-in's N-up texts call.
// The real one abbreviates operators to one or two characters and keeps the
// layout in nupv (angle, border width, page width and height, columns, rows)
// and the slot in pgx_nup/pgy_nup; the plug-in's replacement procedures use
// exactly these names, so they are defined here with the same meaning.
// realshowpage is the true showpage, which LH calls once a sheet is full;
// $m is the page's default matrix, taken at the end of the setup.
constexpr char kNupProlog[] =
    "/~ {exch} bind def /! {pop} bind def /@ {dup} bind def /$ {roll} bind def\n"
    "/^ {index} bind def /V {div} bind def /R {rotate} bind def /+ {translate} bind def\n"
    "/+S {scale} bind def /N {newpath} bind def /Lw {setlinewidth} bind def\n"
    "/F {false} bind def /d {def} bind def /? {ifelse} bind def /ld {load def} bind def\n"
    "/; {} def\n"
    "/realshowpage /showpage load def\n"
    "/LH /realshowpage load def\n"
    "/nupv 6 array def /pgx_nup 0 def /pgy_nup 0 def /nx_nup 1 def /ny_nup 1 def\n"
    "/papermarg_nup 0 def /pagemarg_nup 0 def /framenup false def\n"
    "/startpage {} def\n"
    // Places the coordinate system on the current slot of the sheet.
    "/nupplace {\n"
    "  nupv aload pop /ny_nup exch store /nx_nup exch store\n"
    "  /pageh_nup exch store /pagew_nup exch store pop pop\n"
    "  $m setmatrix clippath pathbbox newpath /sheeth exch store /sheetw exch store pop pop\n"
    "  /paperw_nup sheetw nx_nup div store /paperh_nup sheeth ny_nup div store\n"
    "  /nups paperw_nup pagew_nup div paperh_nup pageh_nup div 2 copy gt {exch} if pop store\n"
    "  pgx_nup paperw_nup mul ny_nup 1 sub pgy_nup sub paperh_nup mul translate\n"
    "  nups nups scale\n"
    "} def\n"
    "/definenup {nupv astore pop /LH /nupshowpage load def /pgx_nup 0 store /pgy_nup 0 store} def\n"
    "/startnup {/pgy_nup exch store /pgx_nup exch store nupplace} def\n"
    // Next slot; a full sheet goes out.
    "/nupshowpage {\n"
    "  /pgx_nup pgx_nup 1 add store\n"
    "  pgx_nup nx_nup ge {/pgx_nup 0 store /pgy_nup pgy_nup 1 add store} if\n"
    "  pgy_nup ny_nup ge {realshowpage /pgy_nup 0 store} if\n"
    "  nupplace\n"
    "} def\n"
    // Sends a sheet that holds pages and leaves N-up.
    "/finalpage {\n"
    "  pgx_nup pgy_nup add 0 gt {realshowpage} if\n"
    "  $m setmatrix /pgx_nup 0 store /pgy_nup 0 store /LH /realshowpage load def\n"
    "} def\n";

}  // namespace

const char *DriverNupProlog() { return kNupProlog; }

NupGrid NupGridFor(int pagesPerSheet) {
    switch (pagesPerSheet) {
    case 2: return {2, 1};
    case 4: return {2, 2};
    case 6: return {3, 2};
    case 9: return {3, 3};
    case 16: return {4, 4};
    default: return {1, 1};
    }
}

}  // namespace testbed
