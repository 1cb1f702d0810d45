// The dialog that names a profile, in its two forms: a new name to save the
// current settings under, and a new name for an existing profile. Both leave
// their outcome in the context's nameDialogResult (1 accepted, 2 cancelled)
// and the accepted name in newProfileName.
#pragma once

#include <windows.h>

struct PageContext;

enum class NameDialogForm { Save, Rename };

// Runs the dialog modally over `page`; for renaming, the old name is the
// context's selectedProfileName.
void RunNameDialog(HWND page, PageContext *ctx, NameDialogForm form);

// The first test the name fails, as the id of its message, or 0 when it
// passes them all: a trailing space, a reserved name, a period or slash, a
// name already in use (letter case ignored).
UINT CheckProfileName(const wchar_t *name, HANDLE printer);

// Shows a string-table message about profiles, with `name` filled in where
// the text has a place for it.
int ShowProfileMessage(HWND owner, UINT textId, UINT type, const wchar_t *name);
