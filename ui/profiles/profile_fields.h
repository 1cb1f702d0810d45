// The part of the plug-in's record that a personal profile restores, and the
// comparison that tells whether the current record still is a profile's.
#pragma once

#include "settings/private_devmode.h"

struct PageContext;

// With a source: its profile fields into the context's working copy. Without
// one: the working copy's profile fields into the driver's record. Every
// field but blockAppPostScript is a profile field; strings are copied bounded
// and end terminated whatever the source holds.
bool CopyProfileFields(PageContext *ctx, const PrivateDevmode *source);

// The fields a user would notice agree. Watermark names compare without
// regard to case, every other text exactly; the header, the account number,
// the loaded profile's name and the cover-page parts are not compared.
bool ProfileFieldsEqual(const PrivateDevmode &a, const PrivateDevmode &b);
