// Questions about the printer that the driver answers through its helper
// interface. Keywords are the printer description's ANSI keywords. Each answer
// is false when the keyword, the helper or the driver's object is missing.
#pragma once

#include "platform/oem_abi.h"

// An installable option (e.g. "FaxCard") is set to "True", in any letter case.
bool FeatureSettingIsTrue(IPrintCoreUI2 *helper, POEMUIOBJ poemuiobj, const char *keyword);

// The printer description defines the feature (e.g. "HasPrintandHold").
bool FeatureExists(IPrintCoreUI2 *helper, POEMUIOBJ poemuiobj, const char *keyword);
