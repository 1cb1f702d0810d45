// Which public devmodes from an escape caller may replace the job's. The
// driver validated the job's record when the job began; a replacement has to
// meet the same ranges, or the renderer (the copy count in the job's PJL,
// the duplex mode) and the core driver would act on values nobody checked.
#pragma once

#include <windows.h>

// `incoming` holds `size` bytes, `size` being the dmSize of the job's record
// `current`. The replacement keeps that size and driver extra, ends its two
// names within their arrays, names no unknown dmFields bit, and holds every
// field the bits name in its documented range; dmCopies and dmDuplex, which
// the renderer reads whatever the bits say, are in range (or 0) either way.
bool IsAcceptablePublicDevmode(const void *incoming, ULONG size, const DEVMODEW &current);
