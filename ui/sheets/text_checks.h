// Checks of what a user typed, shared by every page that reads a text field.
#pragma once

// True for a null or empty text and for one of white space only.
bool IsBlankText(const wchar_t *text);
