// What the printer offers, asked of the helper the driver publishes in the
// print-ticket path (there is no poemuiobj there), with the keywords the
// pages ask through their own helper.
#pragma once

#include "platform/oem_abi.h"
#include "ui/print_ticket/feature_table.h"

// Nothing is offered beyond what every printer has when `helper` is null.
// `devmode` is the one the call converts, or null outside a conversion.
PrinterOffer AskPrinterOffer(IPrintCoreHelperPS *helper, const DEVMODEW *devmode, DWORD devmodeBytes);
