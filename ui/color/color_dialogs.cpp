#include "ui/color/color_dialogs.h"

bool ColorDialogCanFill(const PageContext *ctx) { return ctx && ctx->params && ctx->params->pOEMDM; }

void HandleColorDialogButton(HWND dialog, int id, ColorDialogStore store) {
    if (id != IDOK && id != IDCANCEL) return;
    auto *ctx = reinterpret_cast<PageContext *>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
    const bool canStore = ColorDialogCanFill(ctx) && ctx->params->pPublicDM && ctx->coreHelper;
    // A dialog that cannot store must still let the user close it.
    if (id == IDOK && canStore) {
        store(dialog, &ctx->colorWork);
        EndDialog(dialog, IDOK);
        return;
    }
    EndDialog(dialog, IDCANCEL);
}
