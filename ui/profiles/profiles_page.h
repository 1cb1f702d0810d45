// The Profiles page of the document sheet: saves the current document
// settings as a named profile, loads, replaces, renames and deletes profiles,
// goes back to the factory defaults, and shows which profile the current
// settings come from.
#pragma once

#include <windows.h>

INT_PTR CALLBACK ProfilesPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
