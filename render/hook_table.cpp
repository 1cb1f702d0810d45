#include "render/hook_table.h"

#include "render/escapes.h"

namespace {

// DRVFN carries every entry point as the generic PFN; the driver casts each
// back by its index.
template <typename F>
PFN AsDriverFunction(F *fn) {
    return reinterpret_cast<PFN>(reinterpret_cast<void *>(fn));
}

}  // namespace

bool RegisterHooks(DRVENABLEDATA *block, DRVFN **ownedTable) {
    if (!block || !ownedTable) return false;
    block->c = 0;
    // The driver hands over an empty block. Whatever table it might have put
    // there is its own and of unknown length, so it is neither written nor
    // freed: the hooks always go into a table of ours.
    if (!*ownedTable)
        *ownedTable = static_cast<DRVFN *>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, kHookCount * sizeof(DRVFN)));
    if (!*ownedTable) return false;
    DRVFN *table = *ownedTable;
    table[0].iFunc = INDEX_DrvStartDoc;
    table[0].pfn = AsDriverFunction(&StartDocHook);
    table[1].iFunc = INDEX_DrvEscape;
    table[1].pfn = AsDriverFunction(&EscapeHook);
    block->pdrvfn = table;
    block->c = kHookCount;
    block->iDriverVersion = DDI_DRIVER_VERSION_NT5_01;
    return true;
}

void FreeHookTable(DRVFN *table) {
    if (table) HeapFree(GetProcessHeap(), 0, table);
}
