#include "render/option_reply.h"

#include <climits>
#include <cstring>

namespace {

constexpr char kFeature[] = "%PagePerSheet";
constexpr char kBooklet[] = "booklet";

// Length of the string at `s`, never looking at or past s[limit].
size_t BoundedLength(const char *s, size_t limit) {
    size_t n = 0;
    while (n < limit && s[n] != '\0') ++n;
    return n;
}

bool EqualsIgnoringCase(const char *s, size_t length, const char *lowerWord, size_t wordLength) {
    if (length != wordLength) return false;
    for (size_t i = 0; i < length; ++i) {
        char c = s[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != lowerWord[i]) return false;
    }
    return true;
}

int LeadingNumber(const char *s, size_t length) {
    int value = 0;
    for (size_t i = 0; i < length && s[i] >= '0' && s[i] <= '9'; ++i) {
        int digit = s[i] - '0';
        if (value > (INT_MAX - digit) / 10) return INT_MAX;
        value = value * 10 + digit;
    }
    return value;
}

}  // namespace

bool PagesPerSheetFromReply(const char *reply, size_t size, int *pages) {
    if (!reply || !pages) return false;
    size_t featureLength = BoundedLength(reply, size);
    // The feature's own terminator must lie inside the reply for an option to follow.
    if (featureLength >= size) return false;
    if (featureLength != sizeof(kFeature) - 1 || memcmp(reply, kFeature, featureLength) != 0) return false;
    const char *option = reply + featureLength + 1;
    size_t optionLength = BoundedLength(option, size - featureLength - 1);
    if (EqualsIgnoringCase(option, optionLength, kBooklet, sizeof(kBooklet) - 1)) {
        *pages = 1;
        return true;
    }
    *pages = LeadingNumber(option, optionLength);
    return true;
}
