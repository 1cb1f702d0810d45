// The rules of the output options page that do not depend on its window:
// what each destination lets the user set, and which hold user names and
// PINs a printer accepts.
#pragma once

#include "ui/sheets/text_checks.h"

#include <windows.h>

#include <cstdint>

struct HoldAllowed {
    bool pin;
    bool user;
    bool keep;
};

// Confidential print takes a PIN, user name and keep choice; reserve, repeat
// and verify print a user name and keep choice; other destinations nothing.
HoldAllowed HoldPermissions(uint32_t destination);


// The string id of the message that refuses `name`, 0 when it is accepted:
// a name must not be blank and may not contain a quotation mark, which would
// end the PJL string that carries it.
UINT CheckHoldUserName(const wchar_t *name);

// The same for a PIN: exactly four characters, each a digit from 1 to 6 (the
// keys of the printer's panel).
UINT CheckHoldPin(const wchar_t *pin);
