#include "ui/sheets/page_context.h"

#include <cstring>

#include "ui/sheets/page_help.h"

PageContext *AllocatePageContext(HANDLE heap) {
    if (!heap) return nullptr;
    return static_cast<PageContext *>(HeapAlloc(heap, HEAP_ZERO_MEMORY, kPageContextBytes));
}

void FreePageContext(PageContext *ctx) {
    if (!ctx || !ctx->heap) return;
    HANDLE heap = ctx->heap;
    if (ctx->helpFilePath) HeapFree(heap, 0, ctx->helpFilePath);
    HeapFree(heap, 0, ctx);
}

void CopyDriverDevmodeToWork(const PrivateDevmode *driverDm, PrivateDevmode *work) {
    if (!work) return;
    if (!driverDm) {
        MakeDefaultPrivateDevmode(work);
        return;
    }
    std::memcpy(work, driverDm, sizeof(*work));
    TerminateString(work->outputFilePath);
    TerminateString(work->holdUserName);
    TerminateString(work->holdPin);
    TerminateString(work->accountNumber);
    TerminateString(work->loadedProfileName);
    // Refusing the application's PostScript is a per-job decision the pages never offer.
    work->blockAppPostScript = 0;
}

void AttachHelpFilePath(PageContext *ctx, HANDLE printer) {
    if (!ctx || !ctx->heap) return;
    DWORD bytes = 0;
    if (!FindHelpFile(printer, nullptr, 0, &bytes) || bytes == 0) return;
    auto *path = static_cast<wchar_t *>(HeapAlloc(ctx->heap, HEAP_ZERO_MEMORY, bytes));
    if (!path) return;
    if (!FindHelpFile(printer, path, bytes, &bytes)) {
        HeapFree(ctx->heap, 0, path);
        return;
    }
    ctx->helpFilePath = path;
}
