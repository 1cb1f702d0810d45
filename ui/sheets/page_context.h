// The record that every page of one property sheet shares. It lives in the
// driver's plug-in heap for the life of the sheet and reaches each page as the
// lParam of its PROPSHEETPAGEW. Pages own the working areas named after them.
#pragma once

#include <windows.h>
#include <cstddef>
#include <cstdint>

#include "platform/oem_abi.h"
#include "settings/private_devmode.h"

class UiPlugin;

// The cover-page part of FaxInfo (senderName .. coverPageParts), edited as one
// unit by the cover-page dialog and copied back into FaxInfo whole.
struct CoverPageWork {
    wchar_t senderName[128];
    wchar_t senderCompany[128];
    wchar_t senderAddress[256];
    wchar_t reservedText[256];
    wchar_t senderFaxNumber[64];
    wchar_t senderVoice[64];
    wchar_t senderEmail[64];
    wchar_t comments[1024];
    uint32_t coverPageParts;
};

#define COVER_PAGE_FIELD_MATCHES(field) \
    static_assert(offsetof(CoverPageWork, field) == offsetof(FaxInfo, field) - kCoverPageBlockOffset, #field)
static_assert(sizeof(CoverPageWork) == kCoverPageBlockSize, "CoverPageWork mirrors the FaxInfo cover block");
COVER_PAGE_FIELD_MATCHES(senderCompany);
COVER_PAGE_FIELD_MATCHES(senderAddress);
COVER_PAGE_FIELD_MATCHES(reservedText);
COVER_PAGE_FIELD_MATCHES(senderFaxNumber);
COVER_PAGE_FIELD_MATCHES(senderVoice);
COVER_PAGE_FIELD_MATCHES(senderEmail);
COVER_PAGE_FIELD_MATCHES(comments);
COVER_PAGE_FIELD_MATCHES(coverPageParts);
#undef COVER_PAGE_FIELD_MATCHES

struct PageContext {
    HANDLE hComPropSheet;
    OEMUIPSPARAM *params;  // null when CommonUIProp created the context
    PFNCOMPROPSHEET pfnComPropSheet;
    IPrintCoreUI2 *coreHelper;
    UiPlugin *owner;

    // Output options and cover-page dialog.
    CoverPageWork coverPageWork;
    FaxInfo savedFaxInfo;

    // Watermark page, editor and selection dialogs.
    WatermarkRecord editWatermark;
    uint32_t editIsNew;
    wchar_t editChosenName[128];

    uint32_t readOnly;  // DM_NOPERMISSION: pages disable all their controls
    uint32_t initialWatermarkOrder;
    wchar_t *helpFilePath;  // in the same heap as the context, or null
    uint32_t changed;       // the driver's apply callback has run

    // Colour page: a copy of work.color that its two dialogs edit.
    ColorSettings colorWork;

    // Watermark editor and position dialog.
    double editAngle;
    uint16_t editIntensity;
    uint32_t editPointSize;
    double editVerticalOffset;
    double editHorizontalOffset;
    uint8_t editUnits;
    uint32_t editPosition;
    double positionLastVertical;
    double positionLastHorizontal;
    uint32_t positionInMillimetres;
    // Set while the dialog puts a field back to its last valid value: the
    // text changes again and must not be checked. Per dialog, since sheets
    // of several threads may have their dialogs open at once.
    uint32_t editRestoring;
    uint32_t positionRestoring;

    // Profiles page name dialog.
    wchar_t newProfileName[128];

    PrivateDevmode work;

    // The driver's document option tree, recorded when its page activates.
    OPTITEM *driverItems;
    uint32_t driverItemCount;
    uint32_t pluginItemCount;

    // Profiles page and watermark variable dialog.
    wchar_t selectedProfileName[128];
    uint32_t nameDialogResult;
    uint32_t dynamicDialogResult;
    wchar_t dynamicDialogText[128];

    // The heap the context and helpFilePath came from.
    HANDLE heap;
};

// The driver hands out one block of this size per sheet; the record must fit.
constexpr SIZE_T kPageContextBytes = 18816;
static_assert(sizeof(PageContext) <= kPageContextBytes, "PageContext outgrew its block");

// A zero-filled block from `heap`, or null (also for a null heap).
PageContext *AllocatePageContext(HANDLE heap);
// Frees helpFilePath and the context itself; null does nothing.
void FreePageContext(PageContext *ctx);

// The driver's PrivateDevmode as the pages start from it: every field except
// blockAppPostScript, strings force-terminated. A null source gives defaults.
void CopyDriverDevmodeToWork(const PrivateDevmode *driverDm, PrivateDevmode *work);

// Looks up and stores the driver's help-file path in the context's heap.
void AttachHelpFilePath(PageContext *ctx, HANDLE printer);
