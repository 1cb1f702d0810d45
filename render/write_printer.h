// Where the job's output bytes go: the spooler, the file named in the job's
// settings, or nowhere.
#pragma once

#include "platform/oem_abi.h"
#include "render/output_file.h"

// Sends `count` bytes of job output on their way. The File and EPS
// destinations write to the file the device's job opened at its first write
// (see OpenJobOutputFile); `paths` is the plug-in object's memory of the
// latest job's path. *written is the count taken: what went to the spooler,
// or all of it when it went to the file or was discarded. Every failure is
// S_FALSE.
HRESULT WriteJobOutput(const DEVOBJ *dev, const void *buffer, DWORD count, DWORD *written, OutputPathMemory *paths);
