#include "tests/stress/corruption/record_checks.h"

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "tests/stress/corruption/record_fields.h"
#include "tests/stress/corruption/record_inputs.h"

namespace stress {

std::string CheckStrings(const PrivateDevmode &dm) {
    for (size_t i = 0; i < kStringFieldCount; ++i) {
        const StringField &f = kStringFields[i];
        if (!std::wmemchr(StringAt(dm, f), L'\0', f.chars)) return std::string("unterminated ") + f.name;
    }
    return {};
}

std::string CheckValidRecord(const PrivateDevmode &dm) {
    if (dm.header.dwSize != kPrivateDevmodeSize || dm.header.dwSignature != kPrivateDevmodeSignature ||
        dm.header.dwVersion != kPrivateDevmodeVersion) {
        char text[96];
        snprintf(text, sizeof(text), "header %lu/0x%08lx/%lu", static_cast<unsigned long>(dm.header.dwSize),
                 static_cast<unsigned long>(dm.header.dwSignature), static_cast<unsigned long>(dm.header.dwVersion));
        return text;
    }
    std::string strings = CheckStrings(dm);
    if (!strings.empty()) return strings;
    if (dm.profileLoaded > 1) return "profileLoaded " + std::to_string(dm.profileLoaded);
    PrivateDevmode copy;
    std::memcpy(&copy, &dm, sizeof(copy));
    ValidatePrivateDevmode(&copy);
    if (std::memcmp(&copy, &dm, sizeof(copy)) != 0)
        return "out of range: validation changes " + FirstDifference(&dm, &copy, sizeof(copy));
    return {};
}

PrivateDevmode ExpectedConversion(const std::vector<uint8_t> &in) {
    PrivateDevmode out = DefaultRecord();
    uint32_t signature = 0, size = 0;
    std::memcpy(&size, in.data(), 4);
    std::memcpy(&signature, in.data() + 4, 4);
    if (signature == kPrivateDevmodeSignature) {
        const size_t n = size < sizeof(out) ? size : sizeof(out);
        std::memcpy(&out, in.data(), n);
    }
    out.header.dwSize = kPrivateDevmodeSize;
    out.header.dwSignature = kPrivateDevmodeSignature;
    out.header.dwVersion = kPrivateDevmodeVersion;
    return out;
}

std::string FirstDifference(const void *a, const void *b, size_t size) {
    const uint8_t *x = static_cast<const uint8_t *>(a), *y = static_cast<const uint8_t *>(b);
    for (size_t i = 0; i < size; ++i)
        if (x[i] != y[i]) {
            char text[64];
            snprintf(text, sizeof(text), "byte %zu (0x%02x, expected 0x%02x)", i, x[i], y[i]);
            return text;
        }
    return "nothing";
}

}  // namespace stress
