// Watermark names as option names. A stored name may hold any character, an
// option's local name must be an XML NCName, so the name is encoded as XML
// names are: a character that may not stand where it stands becomes _xHHHH_
// (its UTF-16 unit in upper-case hex), and an underscore that starts "_x" is
// escaped the same way so that decoding is exact.
#pragma once

#include <string>

std::wstring EncodeLocalName(const wchar_t *name);
// False when `encoded` is empty, holds a malformed escape or decodes to a NUL.
bool DecodeLocalName(const wchar_t *encoded, std::wstring *name);
