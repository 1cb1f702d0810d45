#include "ui/sheets/text_checks.h"

#include <cwctype>

bool IsBlankText(const wchar_t *text) {
    if (!text) return true;
    for (const wchar_t *p = text; *p; ++p)
        if (!iswspace(*p)) return false;
    return true;
}
