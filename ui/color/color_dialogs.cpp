#include "ui/color/color_dialogs.h"

namespace {

bool CanFill(const PageContext *ctx) { return ctx && ctx->params && ctx->params->pOEMDM; }

void OnButton(HWND dialog, int id, ColorDialogStore store) {
    if (id != IDOK && id != IDCANCEL) return;
    auto *ctx = reinterpret_cast<PageContext *>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
    const bool canStore = CanFill(ctx) && ctx->params->pPublicDM && ctx->coreHelper;
    // A dialog that cannot store must still let the user close it.
    if (id == IDOK && canStore) {
        store(dialog, &ctx->colorWork);
        EndDialog(dialog, IDOK);
        return;
    }
    EndDialog(dialog, IDCANCEL);
}

}  // namespace

INT_PTR HandleColorDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, ColorDialogFill fill,
                                 ColorDialogStore store) {
    switch (message) {
    case WM_INITDIALOG: {
        auto *ctx = reinterpret_cast<PageContext *>(lParam);
        SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
        if (CanFill(ctx)) fill(dialog, ctx->colorWork);
        return TRUE;
    }
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) return FALSE;
        OnButton(dialog, LOWORD(wParam), store);
        return TRUE;
    default:
        return FALSE;
    }
}
