// Module-wide counts that decide whether the driver may unload renderplug:
// plug-in objects alive and the class factory's LockServer balance.
#pragma once

#include <windows.h>

void NoteObjectCreated();
void NoteObjectDestroyed();
void NoteServerLock(BOOL lock);
// Neither an object nor a server lock is outstanding.
bool ModuleIsIdle();
