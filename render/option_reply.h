// Reading the driver's reply to a GetOptions request for "%PagePerSheet".
#pragma once

#include <cstddef>

// The reply is a list of feature/option pairs ("feature\0option\0...\0"), of
// which only `size` bytes are valid; it may be cut short or unterminated.
// When its first pair is the "%PagePerSheet" feature, *pages receives the
// option's leading decimal value ("Booklet", in any case, is 1; an option
// without digits is 0) and the answer is true; otherwise false.
bool PagesPerSheetFromReply(const char *reply, size_t size, int *pages);
