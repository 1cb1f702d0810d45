// What the output options page remembers per user and printer driver, beside
// the job's own settings: the last hold user name (REG_SZ "LastUserName") and
// the fax details (REG_BINARY "FaxInfo", the FaxInfo block as it lies in
// memory), both in the driver key. Every call opens and closes its own key;
// none shows a message, and a value of the wrong type or size is not read.
#pragma once

#include <windows.h>

#include "settings/private_devmode.h"

// A hold user name has at most this many characters.
constexpr size_t kHoldUserNameChars = sizeof(PrivateDevmode::holdUserName) / sizeof(wchar_t) - 1;

// Reads the stored name into `buffer` (at least kHoldUserNameChars + 1
// characters), always terminated. False, with the buffer untouched, when
// there is no such value, it is not a REG_SZ, or it does not fit.
bool ReadLastUserName(HANDLE printer, wchar_t *buffer, size_t capacity);
// Stores `name` with its terminator. False for a null name or one longer than
// kHoldUserNameChars, and when the write fails.
bool WriteLastUserName(HANDLE printer, const wchar_t *name);

// Reads a stored value of 1..sizeof(FaxInfo) bytes (a shorter one fills the
// start, the rest is zero) and terminates every text. False, with *fax
// untouched, when there is no such REG_BINARY value or it is too large.
bool ReadFaxInfo(HANDLE printer, FaxInfo *fax);
bool WriteFaxInfo(HANDLE printer, const FaxInfo *fax);

// Force-terminates every text of a FaxInfo block.
void TerminateFaxTexts(FaxInfo *fax);
