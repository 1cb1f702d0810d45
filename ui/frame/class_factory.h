// The class factory and the module-wide counts behind DllCanUnloadNow.
#pragma once

#include <windows.h>

void NoteObjectCreated();
void NoteObjectDestroyed();
LONG LiveObjectCount();
LONG ServerLockCount();

// Creates a factory (count 1), asks it for riid and releases it once.
HRESULT CreateClassFactory(REFIID riid, void **ppv);
