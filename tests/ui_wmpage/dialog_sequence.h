// Drives a click that shows several modal dialogs one after another (the edit
// selection and then the editor, say): each dialog that appears gets the next
// action, which must end it.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

namespace wmpage {

using DialogAction = std::function<void(HWND dialog)>;

// False when fewer dialogs showed than there are actions, or one was still
// open `timeoutMs` after its action (it is then cancelled, so no modal window
// outlives a failing test). An action may itself use testbed::RunModal.
bool RunDialogSequence(const std::function<void()> &open, const std::vector<DialogAction> &actions,
                       DWORD timeoutMs = 5000);

}  // namespace wmpage
