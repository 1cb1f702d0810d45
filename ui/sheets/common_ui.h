// The plug-in's hooks into the driver's own option tree: CommonUIProp, the
// callback the driver runs when its pages apply or activate, and the test for
// the booklet choice of the pages-per-sheet item.
#pragma once

#include "platform/oem_abi.h"

class UiPlugin;

HRESULT HandleCommonUIProp(UiPlugin *plugin, DWORD dwMode, OEMCUIPPARAM *param);

LONG APIENTRY DriverTreeCallback(PCPSUICBPARAM callback, OEMCUIPPARAM *param);

// When neither module can tell which option is the booklet, this one is.
constexpr int kFallbackBookletIndex = 6;

// The index of the first list option whose name equals `reference`; option
// names are string ids of `configModule` (or texts of their own). An empty
// reference matches nothing.
int BookletIndex(const OPTTYPE *type, HMODULE configModule, const wchar_t *reference);

// The pages-per-sheet item's `selection` is the booklet option.
bool IsBookletSelection(HANDLE printer, const OPTITEM *pagesPerSheet, LONG selection);
