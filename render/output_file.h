// The output file of a job with the File or EPS destination: opened once, at
// the job's first write, and written through that one handle until the
// device's job ends, so that nothing done to the folders after the open can
// send the rest of the job elsewhere.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "platform/raii.h"

// Which path the latest job of a plug-in object opened its file at. A job
// that names that path again appends to the file; any other path is created
// afresh. Device contexts of one object may print on different threads, so
// the memory is one 64-bit print of the path, swapped atomically: no lock,
// and nothing a thread could read while another frees it. Two paths with the
// same print (a chance of 2^-64) append where they would have truncated.
class OutputPathMemory {
public:
    // Whether `path` is the one the latest job's file was opened at.
    bool IsLatest(const wchar_t *path) const;
    void Remember(const wchar_t *path);

private:
    volatile LONG64 latest_ = 0;  // 0: no job has opened its file yet
};

// Opens the job's output file at `path` (a field of `capacity` characters
// from the job's settings). Refused paths and identities open nothing; the
// result is then empty.
unique_hfile OpenJobOutputFile(const wchar_t *path, size_t capacity, OutputPathMemory &memory);

// Appends all `count` bytes to the open file; false when any is not written.
bool WriteWhole(HANDLE file, const void *buffer, DWORD count);
