// Personal profiles of a user and printer driver: one sub-key of the driver
// key's "Profiles" key per profile, holding one value per driver option item
// (named after the item) and the plug-in's record as "CustomDevData".
// Nothing is cached, every call opens and closes its own keys, and none
// shows a message.
#pragma once

#include <windows.h>

#include "platform/oem_abi.h"
#include "platform/raii.h"

struct PageContext;

extern const wchar_t kCustomDevDataValue[];  // "CustomDevData"

// The profile key of `name` below the driver key, created when missing; an
// empty name gives the "Profiles" key itself. Read and write access.
bool OpenProfileKey(HANDLE printer, const wchar_t *name, unique_hkey *key);

// Writes a new profile: the selections and texts of the context's
// `driverItemCount` items of `items`, and the working record. False, with
// nothing written, when a profile of that name exists already (letter case
// ignored) or not every value could be written.
bool SaveProfile(const OPTITEM *items, const wchar_t *name, HANDLE printer, PageContext *ctx);

// Replaces the profile with the current settings. The old profile stays as
// it was until the new settings have been completely written; false (and
// nothing changed) when they could not be.
bool ReplaceProfile(const OPTITEM *items, const wchar_t *name, HANDLE printer, PageContext *ctx);

// Restores the profile into the context's driver items (marking each one
// changed and telling the driver) and its profile fields into `work`.
// Stored values that an item cannot take are skipped. Always true.
bool LoadProfile(PageContext *ctx, const wchar_t *name, HANDLE printer);

// Nothing the profile holds, as loading would apply it, differs from the
// current items and `work`. True when the key cannot be opened.
bool ProfileMatchesSettings(const wchar_t *name, HANDLE printer, PageContext *ctx);

// Adds every profile name except "Factory Defaults" to the list box and
// returns how many profile keys there are, "Factory Defaults" included.
// First finishes what a replacement could not clean up: a pending key
// beside its profile is removed, one without it takes the profile's place.
DWORD ListProfiles(HWND listBox, HANDLE printer);

bool DeleteProfile(const wchar_t *name, HANDLE printer);

// Copies every value of the old profile into a new one and only then deletes
// the old one. False, with the old profile intact and no new one left
// behind, when any step fails.
bool RenameProfile(const wchar_t *oldName, const wchar_t *newName, HANDLE printer);

// No profile of that name exists, letter case ignored.
bool IsProfileNameFree(const wchar_t *name, HANDLE printer);
bool HasFactoryDefaultsProfile(HANDLE printer);

// Widens the list's horizontal scroll range to fit a name of `chars`
// characters, never narrowing it.
void RaiseListExtent(HWND listBox, size_t chars);
