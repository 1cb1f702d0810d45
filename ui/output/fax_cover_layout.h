// Geometry and drawing tools of the fax cover page. Everything is in device
// pixels of the printer device context and derived from the physical page, so
// the page looks the same at any resolution.
#pragma once

#include <windows.h>

#include "platform/raii.h"

struct FaxCoverLayout {
    int across;   // page extent across (X)
    int down;     // page extent down (Y)
    int shorter;  // the smaller of the two (S); fonts and pens scale with it
    int dpi;
    int left;     // left margin, where rules and labels start (L)
    int ruleEnd;  // right end of the rules (R)
    int section;  // step between sections (T)
    int line;     // step between lines (D)
    int indent;   // indent of the values under a label (I)
};

// Lays the page out for a device whose physical page is width x height pixels.
// A landscape job (orientation DMORIENT_LANDSCAPE) puts the long side across
// and a portrait job the short side, whatever the device reports; any other
// orientation takes the device's own dimensions.
FaxCoverLayout MakeFaxCoverLayout(int width, int height, int dpi, int orientation);

// Font sizes in points, and pen widths in pixels, for a layout.
inline int TitlePoints(const FaxCoverLayout &l) { return l.shorter / 200; }
inline int LabelPoints(const FaxCoverLayout &l) { return l.shorter / 300; }
inline int ValuePoints(const FaxCoverLayout &l) { return l.shorter / 400; }
inline int ThickPenWidth(const FaxCoverLayout &l) { return l.shorter / 300; }
inline int ThinPenWidth(const FaxCoverLayout &l) { return l.shorter / 500; }

// How the tools are made. The page always uses the GDI functions themselves;
// the indirection lets the release of partly made sets be exercised.
struct GdiMakers {
    HFONT(WINAPI *createFont)(const LOGFONTW *);
    HPEN(WINAPI *createPen)(int, int, COLORREF);
};
const GdiMakers &SystemGdiMakers();

struct FaxCoverTools {
    unique_hfont title;
    unique_hfont label;
    unique_hfont value;
    unique_hpen thick;
    unique_hpen thin;
};

// The LOGFONTW of a cover-page font: face and character set from the string
// table, height from the size in points at the layout's resolution.
LOGFONTW MakeCoverFont(const FaxCoverLayout &layout, int points, LONG weight, bool italic);

// Makes the three fonts and two pens. When any of them cannot be made, the
// others are released too and *tools holds nothing.
bool CreateFaxCoverTools(const FaxCoverLayout &layout, const GdiMakers &makers, FaxCoverTools *tools);
