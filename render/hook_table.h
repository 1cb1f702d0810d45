// The driver functions renderplug hooks: DrvStartDoc and DrvEscape, handed to
// the driver through EnableDriver's DRVENABLEDATA block.
#pragma once

#include "platform/oem_abi.h"

constexpr ULONG kHookCount = 2;

// Fills the block with the hooks, in a table this module owns (kept in
// *ownedTable, reused when already there). A null block, or a table that
// cannot be allocated, registers nothing. Returns whether hooks were registered.
bool RegisterHooks(DRVENABLEDATA *block, DRVFN **ownedTable);
void FreeHookTable(DRVFN *table);
