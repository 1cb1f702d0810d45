// Small questions the rendering plug-in asks the driver through its helper
// interface, shared by the job stream, the injections and the escapes. Each
// gives its fallback when the DEVOBJ, the helper or the state is missing.
#pragma once

#include "platform/oem_abi.h"
#include "render/device_state.h"

// The printer description defines a feature of this name (EnumOptions size probe).
bool HasPpdFeature(const DEVOBJ *dev, IPrintCorePS2 *helper, const char *keyword);  // fallback false
// Pages per sheet from the "%PagePerSheet" option; "Booklet" counts as 1.
int QueryPagesPerSheet(const DEVOBJ *dev, IPrintCorePS2 *helper);  // fallback 1
int GetPsPageCount(const DEVOBJ *dev);                             // fallback 1
int GetSheetCount(const DEVOBJ *dev, IPrintCorePS2 *helper);       // fallback 1
bool ManualDuplexApplies(const DEVOBJ *dev, IPrintCorePS2 *helper);  // fallback false
// Writes bytes into the job through DrvWriteSpoolBuf; nothing for length 0.
void WriteToJob(const DEVOBJ *dev, IPrintCorePS2 *helper, const void *bytes, DWORD length);

// The driver's own entry point for a DDI function index from the table it
// handed to EnablePDEV, or null when there is none.
PFN FindDriverFunction(const DeviceState *state, ULONG index);
