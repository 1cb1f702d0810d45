// Deleting keys in hives that another account controls. Driver deletion runs
// as LocalSystem over every user's hive, and a user may place a registry link
// anywhere in their own: a delete that followed one would delete whatever the
// link names, with the spooler's rights. These open every key as itself
// (REG_OPTION_OPEN_LINK), one path component at a time, and leave a link, and
// everything above it, where it is. A key is deleted through the handle that
// was checked, never again by name.
#pragma once

#include <windows.h>

// Sub-keys deeper than this below the deleted key are not looked into; the
// key then stays.
constexpr int kMaxDeleteDepth = 32;

// Deletes the key at `path` (backslash-separated, relative to `root`) with
// every sub-key it holds. A link on the way, or one among the sub-keys, is not
// followed and stays with its parents. True when the key was there and is
// gone.
bool DeleteKeyTreeKeepingLinks(HKEY root, const wchar_t *path);

// Deletes the key at `path` when it is no link and holds neither values nor
// sub-keys. True when it was deleted.
bool DeleteEmptyKeyKeepingLinks(HKEY root, const wchar_t *path);
