// The plug-in's pages in the driver's document and printer property sheets.
#pragma once

#include "platform/oem_abi.h"

class UiPlugin;

HRESULT HandleDocumentSheet(UiPlugin *plugin, PPROPSHEETUI_INFO info, LPARAM lParam);
HRESULT HandlePrinterSheet(UiPlugin *plugin, PPROPSHEETUI_INFO info, LPARAM lParam);

// When a page is offered: always, or only for printers with the feature.
enum class PageCondition {
    Always,
    FaxOrHold,    // a fax card is installed or the printer holds jobs
    ManualColor,  // the printer takes manual colour correction
};

bool PageConditionHolds(PageCondition condition, IPrintCoreUI2 *helper, POEMUIOBJ poemuiobj);
