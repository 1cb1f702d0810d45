#include "sample/options.h"

#include <cwchar>

namespace sample {
namespace {

const wchar_t *const kDestinations[] = {L"printer",      L"file",    L"eps",    L"fax",
                                        L"confidential", L"reserve", L"repeat", L"verify"};
constexpr DWORD kDestinationCount = sizeof(kDestinations) / sizeof(kDestinations[0]);
constexpr DWORD kDestinationFax = 3;

const wchar_t *const kOrders[] = {L"none", L"all", L"odd-even", L"first-other"};
constexpr DWORD kOrderCount = sizeof(kOrders) / sizeof(kOrders[0]);

const int kPagesPerSheet[] = {1, 2, 4, 6, 9, 16};

// Limits of the job's record: the texts must fit with their terminators.
constexpr size_t kUserNameChars = 24;
constexpr size_t kFaxNumberChars = 127;
constexpr size_t kWatermarkNameChars = 127;
constexpr int kMaxCopies = 999;
constexpr int kMinDpi = 36;
constexpr int kMaxDpi = 600;

const wchar_t kUsage[] =
    L"usage: sampleprint [options]\n"
    L"  --destination NAME      printer, file, eps, fax, confidential, reserve, repeat or verify\n"
    L"                          (default confidential)\n"
    L"  --user NAME             user name of a held job, up to 24 characters (default sample)\n"
    L"  --pin DIGITS            PIN of a confidential job, four digits from 1 to 6 (default 1234)\n"
    L"  --fax-number NUMBER     recipient's fax number (destination fax)\n"
    L"  --cover-page            send a cover page with the fax\n"
    L"  --watermark-order ORDER none, all, odd-even or first-other (default all)\n"
    L"  --watermark NAME        the stored watermark for all, odd or first pages (default Draft)\n"
    L"  --second-watermark NAME the stored watermark for even or other pages (default Confidential)\n"
    L"  --rotate                turn every page by 180 degrees\n"
    L"  --copies N              copies, 1 to 999 (default 1)\n"
    L"  --pages-per-sheet N     1, 2, 4, 6, 9 or 16 (default 1)\n"
    L"  --input FILE            print this text file instead of the built-in sample document\n"
    L"  --out FOLDER            where the job file and page pictures go (default sample-out)\n"
    L"  --dpi N                 resolution of the page pictures, 36 to 600 (default 100)\n"
    L"  --help                  this text\n";

bool ParseCount(const std::wstring &text, int low, int high, int *value) {
    if (text.empty() || text.size() > 6) return false;
    int n = 0;
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        n = n * 10 + (c - L'0');
    }
    if (n < low || n > high) return false;
    *value = n;
    return true;
}

bool Lookup(const std::wstring &text, const wchar_t *const *names, DWORD count, DWORD *value) {
    for (DWORD i = 0; i < count; ++i)
        if (text == names[i]) {
            *value = i;
            return true;
        }
    return false;
}

bool IsBlank(const std::wstring &text) { return text.find_first_not_of(L" \t") == std::wstring::npos; }

// The rules the output options page applies to what a user types.
bool CheckUserName(const std::wstring &name, std::wstring *error) {
    if (IsBlank(name)) {
        *error = L"--user needs a name that is not blank";
        return false;
    }
    if (name.size() > kUserNameChars) {
        *error = L"--user takes at most 24 characters";
        return false;
    }
    if (name.find(L'"') != std::wstring::npos) {
        *error = L"--user may not contain quotation marks";
        return false;
    }
    return true;
}

bool CheckPin(const std::wstring &pin, std::wstring *error) {
    if (pin.size() != 4 || pin.find_first_not_of(L"123456") != std::wstring::npos) {
        *error = L"--pin takes four digits, each from 1 to 6";
        return false;
    }
    return true;
}

bool CheckText(const wchar_t *option, const std::wstring &text, size_t limit, std::wstring *error) {
    if (IsBlank(text)) {
        *error = std::wstring(option) + L" needs a value that is not blank";
        return false;
    }
    if (text.size() > limit) {
        *error = std::wstring(option) + L" takes at most " + std::to_wstring(limit) + L" characters";
        return false;
    }
    return true;
}

bool IsPagesPerSheet(int n) {
    for (int allowed : kPagesPerSheet)
        if (n == allowed) return true;
    return false;
}

// One option with its value (empty for a flag).
bool Apply(const std::wstring &name, const std::wstring &value, SampleOptions *o, std::wstring *error) {
    const wchar_t *option = name.c_str();
    if (name == L"--destination") {
        if (Lookup(value, kDestinations, kDestinationCount, &o->destination)) return true;
        *error = L"unknown destination '" + value + L"'";
        return false;
    }
    if (name == L"--watermark-order") {
        if (Lookup(value, kOrders, kOrderCount, &o->watermarkOrder)) return true;
        *error = L"unknown watermark order '" + value + L"'";
        return false;
    }
    if (name == L"--user") {
        o->holdUserName = value;
        return CheckUserName(value, error);
    }
    if (name == L"--pin") {
        o->holdPin = value;
        return CheckPin(value, error);
    }
    if (name == L"--fax-number") {
        o->faxNumber = value;
        return CheckText(option, value, kFaxNumberChars, error);
    }
    if (name == L"--watermark" || name == L"--second-watermark") {
        o->watermarks[name == L"--watermark" ? 0 : 1] = value;
        return CheckText(option, value, kWatermarkNameChars, error);
    }
    if (name == L"--copies") {
        if (ParseCount(value, 1, kMaxCopies, &o->copies)) return true;
        *error = L"--copies takes a number from 1 to 999";
        return false;
    }
    if (name == L"--pages-per-sheet") {
        if (ParseCount(value, 1, 16, &o->pagesPerSheet) && IsPagesPerSheet(o->pagesPerSheet)) return true;
        *error = L"--pages-per-sheet takes 1, 2, 4, 6, 9 or 16";
        return false;
    }
    if (name == L"--dpi") {
        if (ParseCount(value, kMinDpi, kMaxDpi, &o->dpi)) return true;
        *error = L"--dpi takes a number from 36 to 600";
        return false;
    }
    if (name == L"--input" || name == L"--out") {
        (name == L"--input" ? o->inputFile : o->outputDir) = value;
        if (!value.empty()) return true;
        *error = name + L" needs a path";
        return false;
    }
    *error = L"unknown option '" + name + L"'";
    return false;
}

const wchar_t *const kValueOptions[] = {L"--destination",   L"--user",           L"--pin",      L"--fax-number",
                                        L"--watermark-order", L"--watermark",     L"--second-watermark",
                                        L"--copies",          L"--pages-per-sheet", L"--input", L"--out", L"--dpi"};

bool TakesValue(const std::wstring &name) {
    for (const wchar_t *known : kValueOptions)
        if (name == known) return true;
    return false;
}

bool IsFlag(const std::wstring &name) {
    return name == L"--cover-page" || name == L"--rotate" || name == L"--help" || name == L"-h";
}

void ApplyFlag(const std::wstring &name, SampleOptions *o) {
    if (name == L"--cover-page") o->coverPage = true;
    if (name == L"--rotate") o->rotate180 = true;
    if (name == L"--help" || name == L"-h") o->help = true;
}

// Settings that only make sense together.
bool CheckCombination(const SampleOptions &o, std::wstring *error) {
    if (o.coverPage && o.destination != kDestinationFax) {
        *error = L"--cover-page needs --destination fax";
        return false;
    }
    return true;
}

}  // namespace

bool ParseOptions(const std::vector<std::wstring> &args, SampleOptions *options, std::wstring *error) {
    SampleOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        std::wstring name = args[i];
        if (IsFlag(name)) {
            ApplyFlag(name, &o);
            continue;
        }
        if (name.compare(0, 2, L"--") != 0) {
            *error = L"unexpected argument '" + name + L"'";
            return false;
        }
        std::wstring value;
        const size_t equals = name.find(L'=');
        const bool inlineValue = equals != std::wstring::npos;
        if (inlineValue) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        if (IsFlag(name)) {
            *error = name + L" takes no value";
            return false;
        }
        if (!TakesValue(name)) {
            *error = L"unknown option '" + name + L"'";
            return false;
        }
        if (!inlineValue) {
            if (i + 1 >= args.size()) {
                *error = name + L" needs a value";
                return false;
            }
            value = args[++i];
        }
        if (!Apply(name, value, &o, error)) return false;
    }
    if (!o.help && !CheckCombination(o, error)) return false;
    *options = o;
    return true;
}

const wchar_t *UsageText() { return kUsage; }

const wchar_t *DestinationName(DWORD destination) {
    return destination < kDestinationCount ? kDestinations[destination] : L"?";
}

}  // namespace sample
