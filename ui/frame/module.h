// The module that carries uiplug's resources: the DLL itself, or a test
// program that links the same code and resources.
#pragma once

#include <windows.h>

HINSTANCE UiModule();
void SetUiModule(HINSTANCE module);

// User-interface texts are loaded by id into buffers of this many characters.
constexpr int kUiStringChars = 2048;

// Loads string `id` into `buffer` (of `chars` characters); an empty string when
// the id does not exist. Returns the length loaded.
int LoadUiString(UINT id, wchar_t *buffer, int chars);
