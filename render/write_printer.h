// Where the job's output bytes go: the spooler, the file named in the job's
// settings, or nowhere.
#pragma once

#include <cstddef>

#include "platform/oem_abi.h"

// Sends `count` bytes of job output on their way. *outputFileStarted is 0
// until the first write that creates the output file, which it truncates;
// later writes append. Every failure is S_FALSE.
HRESULT WriteJobOutput(const DEVOBJ *dev, const void *buffer, DWORD count, DWORD *written,
                       DWORD *outputFileStarted);

// The output path comes from a devmode that any application can fill in,
// while the renderer may run with more rights than that application: only a
// plain absolute path to a file on a drive or a UNC share is accepted. No
// device or namespace prefix, no alternate data stream, no relative path; the
// string must end within `capacity` characters.
bool IsAcceptableOutputPath(const wchar_t *path, size_t capacity);
