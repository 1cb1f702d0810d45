// Checks a dialog template as it comes out at the screen's resolution: every
// text fits its control, siblings do not overlap, everything lies inside the
// dialog, and the dialog is complete from the keyboard. Each finding is one
// readable line; an empty list is a whole dialog.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace quality {

// Creates template `id` of `module` under the module's own activation
// context: a page template as a child of `parent`, anything else as a
// popup owned by it. The dialog procedure only accepts WM_INITDIALOG, so
// what is checked is the template as its author wrote it.
HWND CreateTemplate(HMODULE module, WORD id, HWND parent);

// The ids of every dialog template the module carries.
std::vector<WORD> DialogTemplateIds(HMODULE module);

// Appends one line per fault of the created dialog. `defaultButton` is the
// id the dialog's default push button must have; 0 for a page, which has
// none of its own (the sheet's buttons serve it).
void CheckLayout(HWND dialog, WORD id, std::vector<std::string> *findings);
void CheckKeyboard(HWND dialog, WORD id, int defaultButton, std::vector<std::string> *findings);

}  // namespace quality
