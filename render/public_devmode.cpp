#include "render/public_devmode.h"

#include <cstddef>
#include <cstring>
#include <cwchar>

namespace {

constexpr DWORD kKnownFields = 0x3FFFFFFF;  // DM_ORIENTATION through DM_DISPLAYFIXEDOUTPUT
constexpr long kMostCopies = 9999;

bool Within(long value, long low, long high) { return value >= low && value <= high; }

// Enumerations that leave values from a base up to the driver.
bool DefinedOrDriverOwn(DWORD value, DWORD last, DWORD driverBase) {
    return Within(static_cast<long>(value), 1, static_cast<long>(last)) || value >= driverBase;
}

bool PaperSizeInRange(const DEVMODEW &dm) {
    if (Within(dm.dmPaperSize, 1, DMPAPER_LAST)) return true;
    return dm.dmPaperSize >= DMPAPER_USER && dm.dmPaperLength > 0 && dm.dmPaperWidth > 0;
}

bool PrintQualityInRange(const DEVMODEW &dm) {
    // A resolution in dots per inch, or one of the DMRES_ levels.
    return dm.dmPrintQuality > 0 || Within(dm.dmPrintQuality, DMRES_HIGH, DMRES_DRAFT);
}

struct FieldRule {
    DWORD bit;
    bool (*inRange)(const DEVMODEW &dm);
};

constexpr FieldRule kFieldRules[] = {
    {DM_ORIENTATION, [](const DEVMODEW &d) { return Within(d.dmOrientation, DMORIENT_PORTRAIT, DMORIENT_LANDSCAPE); }},
    {DM_PAPERSIZE, PaperSizeInRange},
    {DM_PAPERLENGTH, [](const DEVMODEW &d) { return d.dmPaperLength > 0; }},
    {DM_PAPERWIDTH, [](const DEVMODEW &d) { return d.dmPaperWidth > 0; }},
    {DM_SCALE, [](const DEVMODEW &d) { return d.dmScale > 0; }},
    {DM_COPIES, [](const DEVMODEW &d) { return Within(d.dmCopies, 1, kMostCopies); }},
    {DM_DEFAULTSOURCE, [](const DEVMODEW &d) { return DefinedOrDriverOwn(d.dmDefaultSource, DMBIN_LAST, DMBIN_USER); }},
    {DM_PRINTQUALITY, PrintQualityInRange},
    {DM_COLOR, [](const DEVMODEW &d) { return Within(d.dmColor, DMCOLOR_MONOCHROME, DMCOLOR_COLOR); }},
    {DM_DUPLEX, [](const DEVMODEW &d) { return Within(d.dmDuplex, DMDUP_SIMPLEX, DMDUP_HORIZONTAL); }},
    {DM_YRESOLUTION, [](const DEVMODEW &d) { return d.dmYResolution > 0; }},
    {DM_TTOPTION, [](const DEVMODEW &d) { return Within(d.dmTTOption, DMTT_BITMAP, DMTT_DOWNLOAD_OUTLINE); }},
    {DM_COLLATE, [](const DEVMODEW &d) { return Within(d.dmCollate, DMCOLLATE_FALSE, DMCOLLATE_TRUE); }},
    {DM_NUP, [](const DEVMODEW &d) { return Within(static_cast<long>(d.dmNup), DMNUP_SYSTEM, DMNUP_ONEUP); }},
    {DM_ICMMETHOD, [](const DEVMODEW &d) { return DefinedOrDriverOwn(d.dmICMMethod, DMICMMETHOD_DEVICE, DMICMMETHOD_USER); }},
    {DM_ICMINTENT, [](const DEVMODEW &d) { return DefinedOrDriverOwn(d.dmICMIntent, DMICM_ABS_COLORIMETRIC, DMICM_USER); }},
    {DM_MEDIATYPE, [](const DEVMODEW &d) { return DefinedOrDriverOwn(d.dmMediaType, DMMEDIA_GLOSSY, DMMEDIA_USER); }},
    {DM_DITHERTYPE, [](const DEVMODEW &d) { return DefinedOrDriverOwn(d.dmDitherType, DMDITHER_GRAYSCALE, DMDITHER_USER); }},
};

template <size_t N>
bool Terminated(const wchar_t (&s)[N]) {
    return wmemchr(s, L'\0', N) != nullptr;
}

bool FieldsInRange(const DEVMODEW &dm) {
    if (dm.dmFields & ~kKnownFields) return false;
    if (!Within(dm.dmCopies, 0, kMostCopies) || !Within(dm.dmDuplex, 0, DMDUP_HORIZONTAL)) return false;
    if (dm.dmPaperLength < 0 || dm.dmPaperWidth < 0) return false;
    for (const FieldRule &rule : kFieldRules)
        if ((dm.dmFields & rule.bit) && !rule.inRange(dm)) return false;
    return true;
}

}  // namespace

bool IsAcceptablePublicDevmode(const void *incoming, ULONG size, const DEVMODEW &current) {
    if (!incoming || size != current.dmSize || size < offsetof(DEVMODEW, dmFields) + sizeof(DWORD)) return false;
    // A record of an older, shorter layout lacks the later fields: they are
    // checked as 0.
    DEVMODEW dm{};
    memcpy(&dm, incoming, size < sizeof(dm) ? size : sizeof(dm));
    if (dm.dmSize != current.dmSize || dm.dmDriverExtra != current.dmDriverExtra) return false;
    if (!Terminated(dm.dmDeviceName) || !Terminated(dm.dmFormName)) return false;
    return FieldsInRange(dm);
}
