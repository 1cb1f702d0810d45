#include "ui/watermark/text.h"

#include <strsafe.h>
#include <winspool.h>

#include <cwchar>

#include "platform/escape_codes.h"
#include "platform/raii.h"
#include "resources/resource.h"
#include "ui/frame/module.h"

namespace {

// The variables in the order in which a token is matched against them.
enum Variable : int {
    VAR_USERNAME,
    VAR_DATESHORT,
    VAR_DATELONG,
    VAR_DATEDDMMYYYY,
    VAR_TIME,
    VAR_TIMEMIL,
    VAR_TIMEHRMN,
    VAR_PAGENUMBER,
    VAR_HOSTNAME,
    VAR_PRINTER,
    VAR_MODELNAME,
    VAR_COUNT,
};

// Tokens come from the string table so that a translated table renames them.
constexpr UINT kTokenIds[VAR_COUNT] = {
    IDS_VAR_USERNAME, IDS_VAR_DATESHORT, IDS_VAR_DATELONG, IDS_VAR_DATEDDMMYYYY,
    IDS_VAR_TIME,     IDS_VAR_TIMEMIL,   IDS_VAR_TIMEHRMN, IDS_VAR_PAGENUMBER,
    IDS_VAR_HOSTNAME, IDS_VAR_PRINTER,   IDS_VAR_MODELNAME,
};

struct Expansion {
    HANDLE printer;
    HDC dc;
    int pageNumber;
    SYSTEMTIME time;
    ExpansionMode mode;
    wchar_t delimiter;
    const wchar_t *percent;  // what "%%" stands for
    size_t percentLength;
    wchar_t *result;         // kWatermarkTextChars characters
    size_t count;
};

// Literal text may fill the result up to its last character but one; the
// last is the terminator's.
bool AppendText(Expansion *e, const wchar_t *s, size_t n) {
    if (e->count + n + 1 > kWatermarkTextChars) return false;
    wmemcpy(e->result + e->count, s, n);
    e->count += n;
    return true;
}

// A variable's value gets one character less room than literal text.
bool AppendValue(Expansion *e, const wchar_t *value) {
    size_t n = wcsnlen(value, kWatermarkTextChars);
    if (e->count + n + 1 >= kWatermarkTextChars) return false;
    return AppendText(e, value, n);
}

// Each date or time value is formatted twice: once for its length, once into
// a buffer of exactly that length.
bool FormatDate(const SYSTEMTIME &t, DWORD flags, const wchar_t *format, wchar_t *value, size_t chars) {
    int n = GetDateFormatW(LOCALE_USER_DEFAULT, flags, &t, format, nullptr, 0);
    if (n <= 0 || static_cast<size_t>(n) > chars) return false;
    return GetDateFormatW(LOCALE_USER_DEFAULT, flags, &t, format, value, n) > 0;
}

bool FormatTime(const SYSTEMTIME &t, const wchar_t *format, wchar_t *value, size_t chars) {
    int n = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &t, format, nullptr, 0);
    if (n <= 0 || static_cast<size_t>(n) > chars) return false;
    return GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &t, format, value, n) > 0;
}

bool PrinterInfoName(HANDLE printer, bool model, wchar_t *value, size_t chars) {
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    if (needed < sizeof(PRINTER_INFO_2W)) return false;
    unique_process_heap_ptr buffer(HeapAlloc(GetProcessHeap(), 0, needed));
    if (!buffer) return false;
    if (!GetPrinterW(printer, 2, static_cast<BYTE *>(buffer.get()), needed, &needed)) return false;
    const auto *info = static_cast<const PRINTER_INFO_2W *>(buffer.get());
    const wchar_t *name = model ? info->pDriverName : info->pPrinterName;
    return name && SUCCEEDED(StringCchCopyW(value, chars, name));
}

bool HostName(wchar_t *value, size_t chars) {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = ARRAYSIZE(name);
    if (!GetComputerNameW(name, &size)) return false;
    return SUCCEEDED(StringCchCopyW(value, chars, name));
}

bool LoggedOnUserName(wchar_t *value, size_t chars) {
    DWORD size = static_cast<DWORD>(chars);
    return GetUserNameW(value, &size) != 0;
}

// The job's user as the spooler records it; the device context knows its job
// only through the rendering plug-in.
bool JobUserName(const Expansion &e, wchar_t *value, size_t chars) {
    if (!e.dc) return false;
    int jobId = ExtEscape(e.dc, static_cast<int>(ESC_GET_JOB_ID), 0, nullptr, 0, nullptr);
    if (jobId <= 0) return false;
    return QueryJobUserName(e.printer, static_cast<DWORD>(jobId), value, chars);
}

bool EvaluateVariable(const Expansion &e, Variable v, wchar_t *value, size_t chars) {
    switch (v) {
    case VAR_USERNAME:
        return e.mode == EXPAND_PRINT ? JobUserName(e, value, chars) : LoggedOnUserName(value, chars);
    case VAR_DATESHORT:
        return FormatDate(e.time, DATE_SHORTDATE, nullptr, value, chars);
    case VAR_DATELONG:
        return FormatDate(e.time, DATE_LONGDATE, nullptr, value, chars);
    case VAR_DATEDDMMYYYY:
        return FormatDate(e.time, 0, L"dd/MM/yyyy", value, chars);
    case VAR_TIME:
        return FormatTime(e.time, nullptr, value, chars);
    case VAR_TIMEMIL:
        return FormatTime(e.time, L"HH':'mm':'ss", value, chars);
    case VAR_TIMEHRMN:
        return FormatTime(e.time, L"h':'mm tt", value, chars);
    case VAR_PAGENUMBER:
        return SUCCEEDED(StringCchPrintfW(value, chars, L"%d", e.pageNumber));
    case VAR_HOSTNAME:
        return HostName(value, chars);
    case VAR_PRINTER:
        return PrinterInfoName(e.printer, false, value, chars);
    case VAR_MODELNAME:
        return PrinterInfoName(e.printer, true, value, chars);
    case VAR_COUNT:
        break;
    }
    return false;
}

bool AppendVariable(Expansion *e, Variable v) {
    // Checking must not depend on who is logged on or on a job.
    if (v == VAR_USERNAME && e->mode == EXPAND_CHECK) return true;
    wchar_t value[kWatermarkTextChars];
    value[0] = L'\0';
    if (!EvaluateVariable(*e, v, value, ARRAYSIZE(value))) return false;
    return AppendValue(e, value);
}

// A token matches a variable only when the two are equal without regard to
// case; a prefix or a missing table entry never matches.
bool ResolveToken(Expansion *e, const wchar_t *token, size_t length) {
    wchar_t name[kUiStringChars];
    for (int v = 0; v < VAR_COUNT; ++v) {
        int n = LoadUiString(kTokenIds[v], name, kUiStringChars);
        if (n <= 0 || static_cast<size_t>(n) != length) continue;
        if (_wcsnicmp(name, token, length) != 0) continue;
        return AppendVariable(e, static_cast<Variable>(v));
    }
    return false;
}

// `token` runs from its opening to its closing delimiter inclusive.
bool AppendToken(Expansion *e, const wchar_t *token, size_t length) {
    if (length == 2) return AppendText(e, e->percent, e->percentLength);
    if (e->count + length > kWatermarkTextChars) return false;
    if (ResolveToken(e, token, length)) return true;
    // The preview shows what it can; printing and checking refuse the text.
    return e->mode == EXPAND_PREVIEW;
}

bool ExpandInto(Expansion *e, const wchar_t *text, size_t length) {
    size_t pos = 0;
    while (pos < length) {
        const wchar_t *rest = text + pos;
        const wchar_t *open = wmemchr(rest, e->delimiter, length - pos);
        if (!open) return AppendText(e, rest, length - pos);
        if (!AppendText(e, rest, static_cast<size_t>(open - rest))) return false;

        size_t afterOpen = static_cast<size_t>(open - text) + 1;
        const wchar_t *close = wmemchr(text + afterOpen, e->delimiter, length - afterOpen);
        if (!close) {
            // While the user is still typing a variable the preview skips the
            // unfinished word and goes on with the next.
            if (e->mode != EXPAND_PREVIEW) return false;
            const wchar_t *blank = wmemchr(text + afterOpen, L' ', length - afterOpen);
            if (!blank) return true;
            pos = static_cast<size_t>(blank - text) + 1;
            continue;
        }
        if (!AppendToken(e, open, static_cast<size_t>(close - open) + 1)) return false;
        pos = static_cast<size_t>(close - text) + 1;
    }
    return true;
}

}  // namespace

bool QueryJobUserName(HANDLE printer, DWORD jobId, wchar_t *out, size_t chars) {
    if (!printer || !out || chars == 0) return false;
    DWORD needed = 0;
    GetJobW(printer, jobId, 1, nullptr, 0, &needed);
    if (needed < sizeof(JOB_INFO_1W)) return false;
    unique_process_heap_ptr buffer(HeapAlloc(GetProcessHeap(), 0, needed));
    if (!buffer) return false;
    if (!GetJobW(printer, jobId, 1, static_cast<BYTE *>(buffer.get()), needed, &needed)) return false;
    const wchar_t *name = static_cast<const JOB_INFO_1W *>(buffer.get())->pUserName;
    return name && SUCCEEDED(StringCchCopyW(out, chars, name));
}

bool ExpandWatermarkText(HANDLE printer, HDC dc, const wchar_t *text, int pageNumber, const SYSTEMTIME *time,
                         ExpansionMode mode, wchar_t *out, size_t *sizeInOut) {
    if (!printer || !text || !sizeInOut) return false;
    size_t length = wcsnlen(text, kWatermarkTextChars);
    if (length >= kWatermarkTextChars) {
        *sizeInOut = 0;
        return false;
    }

    wchar_t percent[kUiStringChars];
    int percentLength = LoadUiString(IDS_VAR_PERCENT, percent, kUiStringChars);
    if (percentLength <= 0) {
        percent[0] = L'%';
        percent[1] = L'\0';
        percentLength = 1;
    }
    wchar_t result[kWatermarkTextChars];
    Expansion e{};
    e.printer = printer;
    e.dc = dc;
    e.pageNumber = pageNumber;
    if (time) e.time = *time;
    else GetLocalTime(&e.time);
    e.mode = mode;
    e.delimiter = percent[0];
    e.percent = percent;
    e.percentLength = static_cast<size_t>(percentLength);
    e.result = result;

    if (!ExpandInto(&e, text, length)) {
        *sizeInOut = 0;
        return false;
    }
    size_t needed = e.count + 1;
    if (out && *sizeInOut >= needed) {
        wmemcpy(out, result, e.count);
        out[e.count] = L'\0';
    }
    *sizeInOut = needed;
    return true;
}

bool CheckWatermarkText(HANDLE printer, HDC dc, const wchar_t *text) {
    wchar_t scratch[kWatermarkTextChars];
    size_t size = ARRAYSIZE(scratch);
    return ExpandWatermarkText(printer, dc, text, 1, nullptr, EXPAND_CHECK, scratch, &size);
}
