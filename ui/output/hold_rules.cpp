#include "ui/output/hold_rules.h"

#include <cwchar>
#include <cwctype>

#include "resources/resource.h"
#include "settings/private_devmode.h"

namespace {

constexpr size_t kPinChars = 4;

}  // namespace

HoldAllowed HoldPermissions(uint32_t destination) {
    switch (destination) {
    case DEST_CONFIDENTIAL:
        return {true, true, true};
    case DEST_RESERVE:
    case DEST_REPEAT:
    case DEST_VERIFY:
        return {false, true, true};
    default:
        return {false, false, false};
    }
}


UINT CheckHoldUserName(const wchar_t *name) {
    if (IsBlankText(name)) return IDS_ERR_USER_NAME_EMPTY;
    if (wcschr(name, L'"')) return IDS_ERR_USER_NAME_QUOTE;
    return 0;
}

UINT CheckHoldPin(const wchar_t *pin) {
    if (!pin || wcslen(pin) != kPinChars) return IDS_ERR_PIN_LENGTH;
    for (size_t i = 0; i < kPinChars; ++i)
        if (pin[i] < L'1' || pin[i] > L'6') return IDS_ERR_PIN_CHARACTERS;
    return 0;
}
