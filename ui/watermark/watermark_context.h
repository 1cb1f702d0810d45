// What every watermark page and dialog needs from the sheet's context before
// it touches anything: the driver's parameter block with its printer (every
// store call) and its private devmode (written at apply).
#pragma once

#include "ui/sheets/page_context.h"

inline bool HasWatermarkContext(const PageContext *ctx) {
    return ctx && ctx->params && ctx->params->hPrinter && ctx->params->pOEMDM;
}

inline HANDLE WatermarkPrinter(const PageContext *ctx) { return ctx->params->hPrinter; }
