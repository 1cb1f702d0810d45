// Which output paths of the File and EPS destinations the renderer opens.
#pragma once

#include <cstddef>

// The output path comes from a devmode that any application can fill in,
// while the renderer may run with more rights than that application: only a
// plain absolute path to a file on a drive or a UNC share is accepted. No
// device or namespace prefix, no alternate data stream, no relative path; no
// pipe, IPC$ or mailslot share and no WebDAV-style server ("host@port"),
// which would hand the renderer's identity to whoever answers there; no
// reserved DOS device name in any component. The string must end within
// `capacity` characters.
bool IsAcceptableOutputPath(const wchar_t *path, size_t capacity);
