#include "ui/color/color_dialogs.h"

#include <commctrl.h>

#include <iterator>

#include "resources/resource.h"
#include "ui/color/color_lists.h"

namespace {

// Cyan, magenta, yellow, black: the order of the rows and of the fields.
const int kTrackbars[] = {IDC_BALANCE_CYAN, IDC_BALANCE_MAGENTA, IDC_BALANCE_YELLOW, IDC_BALANCE_BLACK};

void SendToAll(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    for (int id : kTrackbars) SendDlgItemMessageW(dialog, id, message, wParam, lParam);
}

void Fill(HWND dialog, const ColorSettings &work) {
    // The range's ends travel as the two signed 16-bit halves of lParam.
    const LPARAM range = MAKELPARAM(static_cast<WORD>(kBalanceMin), static_cast<WORD>(kBalanceMax));
    SendToAll(dialog, TBM_SETRANGE, TRUE, range);
    SendToAll(dialog, TBM_SETLINESIZE, 0, 1);
    SendToAll(dialog, TBM_SETTICFREQ, 1, 0);
    SendToAll(dialog, TBM_SETPAGESIZE, 0, 1);
    const int32_t values[] = {work.balanceCyan, work.balanceMagenta, work.balanceYellow, work.balanceBlack};
    // The trackbar clamps a stored value outside its range to the nearer end.
    for (size_t i = 0; i < std::size(kTrackbars); ++i)
        SendDlgItemMessageW(dialog, kTrackbars[i], TBM_SETPOS, TRUE, values[i]);
}

int32_t PositionOf(HWND dialog, int id) {
    return ClampBalance(static_cast<int32_t>(SendDlgItemMessageW(dialog, id, TBM_GETPOS, 0, 0)));
}

void Store(HWND dialog, ColorSettings *work) {
    work->balanceCyan = PositionOf(dialog, IDC_BALANCE_CYAN);
    work->balanceMagenta = PositionOf(dialog, IDC_BALANCE_MAGENTA);
    work->balanceYellow = PositionOf(dialog, IDC_BALANCE_YELLOW);
    work->balanceBlack = PositionOf(dialog, IDC_BALANCE_BLACK);
}

}  // namespace

INT_PTR CALLBACK BalanceDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return HandleColorDialogMessage(dialog, message, wParam, lParam, Fill, Store);
}
