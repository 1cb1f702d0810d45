// Dynamic watermark text: variables, modes, the size protocol, and the
// buffer limits (checked against a no-access page right after the buffer).
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <optional>
#include <string>

#include "platform/raii.h"
#include "tests/host/wine_printer.h"
#include "tests/ui_watermark/printer_suite.h"
#include "tests/ui_watermark/fake_job.h"
#include "ui/watermark/text.h"

namespace {

// Wednesday, 15 September 2021, 14:05:09.
constexpr SYSTEMTIME kTime{2021, 9, 3, 15, 14, 5, 9, 0};
constexpr ExpansionMode kModes[] = {EXPAND_PRINT, EXPAND_PREVIEW, EXPAND_CHECK};

std::wstring Date(DWORD flags, const wchar_t *format) {
    wchar_t buf[256];
    int n = GetDateFormatW(LOCALE_USER_DEFAULT, flags, &kTime, format, buf, 256);
    return n > 0 ? buf : L"<date failed>";
}

std::wstring Time(const wchar_t *format) {
    wchar_t buf[256];
    int n = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &kTime, format, buf, 256);
    return n > 0 ? buf : L"<time failed>";
}

// A buffer whose last character is the last byte before a no-access page, so
// that a write or read one character past it faults.
class GuardedBuffer {
public:
    explicit GuardedBuffer(size_t chars) : chars_(chars) {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        size_t bytes = chars * sizeof(wchar_t);
        size_t dataPages = (bytes + si.dwPageSize - 1) / si.dwPageSize;
        size_t total = (dataPages + 1) * si.dwPageSize;
        base_ = static_cast<BYTE *>(VirtualAlloc(nullptr, total, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD old = 0;
        BYTE *guard = base_ + dataPages * si.dwPageSize;
        VirtualProtect(guard, si.dwPageSize, PAGE_NOACCESS, &old);
        data_ = reinterpret_cast<wchar_t *>(guard - bytes);
        for (size_t i = 0; i < chars; ++i) data_[i] = L'#';
    }
    ~GuardedBuffer() { VirtualFree(base_, 0, MEM_RELEASE); }
    GuardedBuffer(const GuardedBuffer &) = delete;
    GuardedBuffer &operator=(const GuardedBuffer &) = delete;

    wchar_t *data() { return data_; }
    size_t chars() const { return chars_; }
    bool Untouched() const {
        for (size_t i = 0; i < chars_; ++i)
            if (data_[i] != L'#') return false;
        return true;
    }

private:
    size_t chars_;
    BYTE *base_ = nullptr;
    wchar_t *data_ = nullptr;
};

class WatermarkText : public PrinterSuite {
protected:

    // The result, or nothing when the expansion fails; a failure must also
    // report size 0.
    static std::optional<std::wstring> Expand(const std::wstring &text, ExpansionMode mode, int page = 1,
                                              HDC dc = nullptr) {
        wchar_t out[kWatermarkTextChars + 16];
        size_t size = ARRAYSIZE(out);
        if (!ExpandWatermarkText(printer(), dc, text.c_str(), page, &kTime, mode, out, &size)) {
            EXPECT_EQ(size, 0u) << "a failed expansion reports size 0";
            return std::nullopt;
        }
        std::wstring result(out);
        EXPECT_EQ(size, result.size() + 1);
        return result;
    }

};


}  // namespace

TEST_F(WatermarkText, LiteralTextAndPercentSigns) {
    for (ExpansionMode mode : kModes) {
        EXPECT_EQ(Expand(L"50%% off", mode), L"50% off") << mode;
        EXPECT_EQ(Expand(L"%%%%", mode), L"%%") << mode;
        EXPECT_EQ(Expand(L"CONFIDENTIAL copy", mode), L"CONFIDENTIAL copy") << mode;
        EXPECT_EQ(Expand(L"", mode), L"") << mode;
    }
}

TEST_F(WatermarkText, DatesAndTimesInTheUserLocale) {
    const struct {
        const wchar_t *token;
        std::wstring value;
    } cases[] = {
        {L"%dateshort%", Date(DATE_SHORTDATE, nullptr)},
        {L"%datelong%", Date(DATE_LONGDATE, nullptr)},
        {L"%dateddmmyyyy%", L"15/09/2021"},
        {L"%time%", Time(nullptr)},
        {L"%timemil%", L"14:05:09"},
        {L"%timehrmn%", Time(L"h':'mm tt")},
    };
    for (ExpansionMode mode : {EXPAND_PRINT, EXPAND_PREVIEW}) {
        for (const auto &c : cases) EXPECT_EQ(Expand(c.token, mode), c.value) << c.token;
        EXPECT_EQ(Expand(L"%Time% %DateLong%", mode), Time(nullptr) + L" " + Date(DATE_LONGDATE, nullptr));
    }
}

TEST_F(WatermarkText, TokensMatchWithoutRegardToCaseButExactly) {
    EXPECT_EQ(Expand(L"%TIME%", EXPAND_PRINT), Time(nullptr));
    EXPECT_EQ(Expand(L"%Time%", EXPAND_PRINT), Time(nullptr));
    EXPECT_EQ(Expand(L"%TimeMil%", EXPAND_PRINT), L"14:05:09");
    EXPECT_EQ(Expand(L"%PageNumber%", EXPAND_PRINT, 7), L"7");
    // Neither a longer nor a shorter name is a variable.
    EXPECT_EQ(Expand(L"%times%", EXPAND_PRINT), std::nullopt);
    EXPECT_EQ(Expand(L"%tim%", EXPAND_PRINT), std::nullopt);
    EXPECT_EQ(Expand(L"%timemilx%", EXPAND_CHECK), std::nullopt);
}

TEST_F(WatermarkText, PageNumber) {
    EXPECT_EQ(Expand(L"Page %pagenumber%", EXPAND_PRINT, 12), L"Page 12");
    EXPECT_EQ(Expand(L"%pagenumber%/%pagenumber%", EXPAND_PRINT, 1234567), L"1234567/1234567");
}

TEST_F(WatermarkText, UnknownVariablesFailOrAreDroppedInThePreview) {
    EXPECT_EQ(Expand(L"%foo% bar", EXPAND_CHECK), std::nullopt);
    EXPECT_EQ(Expand(L"%foo% bar", EXPAND_PRINT), std::nullopt);
    EXPECT_EQ(Expand(L"%foo% bar", EXPAND_PREVIEW), L" bar");
    EXPECT_EQ(Expand(L"a%foo%b%pagenumber%c", EXPAND_PREVIEW, 3), L"ab3c");
}

TEST_F(WatermarkText, UnclosedVariables) {
    EXPECT_EQ(Expand(L"Draft %time", EXPAND_CHECK), std::nullopt);
    EXPECT_EQ(Expand(L"Draft %time", EXPAND_PRINT), std::nullopt);
    EXPECT_EQ(Expand(L"Draft %time", EXPAND_PREVIEW), L"Draft ");
    EXPECT_EQ(Expand(L"Draft %time now", EXPAND_PREVIEW), L"Draft now");
    EXPECT_EQ(Expand(L"Draft %time now and later", EXPAND_PREVIEW), L"Draft now and later");
    EXPECT_EQ(Expand(L"%", EXPAND_PREVIEW), L"");
    EXPECT_EQ(Expand(L"100%", EXPAND_CHECK), std::nullopt);
}

TEST_F(WatermarkText, UserNameByMode) {
    EXPECT_EQ(Expand(L"%Username%", EXPAND_CHECK), L"");
    EXPECT_EQ(Expand(L"User: %USERNAME%!", EXPAND_CHECK), L"User: !");

    wchar_t user[256];
    DWORD n = 256;
    ASSERT_TRUE(GetUserNameW(user, &n));
    EXPECT_EQ(Expand(L"User:  %Username%", EXPAND_PREVIEW), std::wstring(L"User:  ") + user);
}

TEST_F(WatermarkText, PrintedUserNameIsTheJobsUser) {
    HDC dc = testbed::CreatePrinterDc();
    ASSERT_NE(dc, nullptr);
    {
        FakeJob job(42, L"alice");
        ASSERT_TRUE(job.ok());
        EXPECT_EQ(Expand(L"User:  %Username%", EXPAND_PRINT, 1, dc), L"User:  alice");
        EXPECT_EQ(job.escapeCalls(), 1);
        EXPECT_EQ(job.jobQueries(), 2) << "one call for the size, one to fill";
        EXPECT_EQ(job.lastQueriedJob(), 42u);
        // Preview and check never ask the job.
        Expand(L"%Username%", EXPAND_PREVIEW, 1, dc);
        Expand(L"%Username%", EXPAND_CHECK, 1, dc);
        EXPECT_EQ(job.escapeCalls(), 1);
        // Without a device context there is no job to ask.
        EXPECT_EQ(Expand(L"%Username%", EXPAND_PRINT), std::nullopt);
    }
    {
        FakeJob noRenderer(0, L"alice");
        EXPECT_EQ(Expand(L"%Username%", EXPAND_PRINT, 1, dc), std::nullopt);
        EXPECT_EQ(noRenderer.jobQueries(), 0);
        EXPECT_EQ(Expand(L"Page %pagenumber%", EXPAND_PRINT, 2, dc), L"Page 2");
    }
    {
        FakeJob noUser(42, nullptr);
        EXPECT_EQ(Expand(L"%Username%", EXPAND_PRINT, 1, dc), std::nullopt);
    }
    {
        // A user name that leaves no room for the rest of the text fails it.
        std::wstring longName(2041, L'u');
        FakeJob longUser(42, longName.c_str());
        EXPECT_EQ(Expand(L"%Username%", EXPAND_PRINT, 1, dc), longName);
        EXPECT_EQ(Expand(L"User: %Username%", EXPAND_PRINT, 1, dc), std::nullopt);
        wchar_t small[8];
        EXPECT_FALSE(QueryJobUserName(printer(), 42, small, ARRAYSIZE(small)))
            << "a name that does not fit is a failure, not a cut name";
    }
    DeleteDC(dc);
}

// The spooler's own record of a job that the printer device context started.
TEST_F(WatermarkText, JobUserNameFromTheSpooler) {
    HDC dc = testbed::CreatePrinterDc();
    ASSERT_NE(dc, nullptr);
    std::wstring out = testbed::ScratchDir(L"jobuser") + L"\\job.ps";
    DOCINFOW di{sizeof(di), L"job user", out.c_str(), nullptr, 0};
    int job = StartDocW(dc, &di);
    ASSERT_GT(job, 0);

    wchar_t name[256] = L"";
    bool found = QueryJobUserName(printer(), static_cast<DWORD>(job), name, 256);
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) {
        // Wine's spooler keeps no user with its jobs; no name is no success.
        EXPECT_FALSE(found);
    } else {
        wchar_t expected[256];
        DWORD n = 256;
        ASSERT_TRUE(GetUserNameW(expected, &n));
        EXPECT_TRUE(found);
        EXPECT_STREQ(name, expected);
    }
    EXPECT_FALSE(QueryJobUserName(printer(), 0x7FFFFFF0u, name, 256)) << "no such job";
    EXPECT_FALSE(QueryJobUserName(nullptr, static_cast<DWORD>(job), name, 256));

    AbortDoc(dc);
    DeleteDC(dc);
}

TEST_F(WatermarkText, PrinterModelAndHostNames) {
    EXPECT_EQ(Expand(L"%printer%", EXPAND_PRINT), L"PS Test Printer");
    EXPECT_EQ(Expand(L"%PRINTER% (%ModelName%)", EXPAND_PREVIEW), L"PS Test Printer (PS Test Driver)");
    wchar_t host[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD n = ARRAYSIZE(host);
    ASSERT_TRUE(GetComputerNameW(host, &n));
    EXPECT_EQ(Expand(L"on %hostname%", EXPAND_CHECK), std::wstring(L"on ") + host);
}

TEST_F(WatermarkText, SizeProtocol) {
    const wchar_t *text = L"Page %pagenumber%";  // "Page 12": 7 characters
    size_t size = 0;
    EXPECT_TRUE(ExpandWatermarkText(printer(), nullptr, text, 12, &kTime, EXPAND_PRINT, nullptr, &size));
    EXPECT_EQ(size, 8u);

    wchar_t out[16];
    wmemset(out, L'#', 16);
    size = 7;
    EXPECT_TRUE(ExpandWatermarkText(printer(), nullptr, text, 12, &kTime, EXPAND_PRINT, out, &size));
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(std::wstring(out, 16), std::wstring(16, L'#')) << "a short buffer is not written";

    size = 8;
    EXPECT_TRUE(ExpandWatermarkText(printer(), nullptr, text, 12, &kTime, EXPAND_PRINT, out, &size));
    EXPECT_EQ(size, 8u);
    EXPECT_STREQ(out, L"Page 12");
    EXPECT_EQ(out[8], L'#');

    // Missing inputs fail without touching the size.
    size = 77;
    EXPECT_FALSE(ExpandWatermarkText(nullptr, nullptr, text, 1, &kTime, EXPAND_PREVIEW, out, &size));
    EXPECT_EQ(size, 77u);
    EXPECT_FALSE(ExpandWatermarkText(printer(), nullptr, nullptr, 1, &kTime, EXPAND_PREVIEW, out, &size));
    EXPECT_EQ(size, 77u);
    EXPECT_FALSE(ExpandWatermarkText(printer(), nullptr, text, 1, &kTime, EXPAND_PREVIEW, out, nullptr));

    // Without a time, the current one is used.
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t year[8];
    swprintf(year, 8, L"%04u", now.wYear);
    wchar_t dated[64];
    size = 64;
    ASSERT_TRUE(ExpandWatermarkText(printer(), nullptr, L"%dateddmmyyyy%", 1, nullptr, EXPAND_PREVIEW, dated, &size));
    EXPECT_EQ(std::wstring(dated).substr(6), year);
}

TEST_F(WatermarkText, CheckWatermarkText) {
    EXPECT_TRUE(CheckWatermarkText(printer(), nullptr, L"User:  %Username%"));
    EXPECT_TRUE(CheckWatermarkText(printer(), nullptr, L"%Time% %DateLong% %%"));
    EXPECT_FALSE(CheckWatermarkText(printer(), nullptr, L"%nope%"));
    EXPECT_FALSE(CheckWatermarkText(printer(), nullptr, L"50% off"));
    EXPECT_FALSE(CheckWatermarkText(printer(), nullptr, nullptr));
    EXPECT_FALSE(CheckWatermarkText(printer(), nullptr, std::wstring(2048, L'x').c_str()));
}

TEST_F(WatermarkText, SourceTextsOfTheLimitOrLongerFailInEveryMode) {
    for (ExpansionMode mode : kModes) {
        EXPECT_EQ(Expand(std::wstring(2047, L'x'), mode), std::wstring(2047, L'x')) << mode;
        EXPECT_EQ(Expand(std::wstring(2048, L'x'), mode), std::nullopt) << mode;
        EXPECT_EQ(Expand(std::wstring(5000, L'x'), mode), std::nullopt) << mode;
    }
    // An unterminated text that fills its buffer is refused without reading
    // past it.
    GuardedBuffer text(kWatermarkTextChars);
    size_t size = 16;
    EXPECT_FALSE(ExpandWatermarkText(printer(), nullptr, text.data(), 1, &kTime, EXPAND_PREVIEW, nullptr, &size));
    EXPECT_EQ(size, 0u);
    // A terminated one that ends at the page edge is read to its end only.
    text.data()[kWatermarkTextChars - 1] = L'\0';
    EXPECT_TRUE(ExpandWatermarkText(printer(), nullptr, text.data(), 1, &kTime, EXPAND_PREVIEW, nullptr, &size));
    EXPECT_EQ(size, kWatermarkTextChars);
}

// Results of every length around the limit, literal or grown by variables,
// written into buffers that end where the accessible memory ends.
TEST_F(WatermarkText, ResultsAroundTheLimitNeverWritePastTheBuffer) {
    const std::wstring longDate = Date(DATE_LONGDATE, nullptr);
    const size_t dl = longDate.size();
    ASSERT_GT(dl, 12u) << "the long date must grow the text for this test";

    struct Case {
        std::wstring text;
        size_t resultLength;        // 0 when the expansion must fail
        size_t previewLength = 0;   // when the preview drops a failing value instead
    };
    std::vector<Case> cases;
    for (size_t n = 2040; n <= 2047; ++n) cases.push_back({std::wstring(n, L'a'), n});
    // A variable first, then literal text up to and beyond the limit.
    for (size_t total = 2040; total <= 2050; ++total)
        cases.push_back({L"%datelong%" + std::wstring(total - dl, L'b'), total <= 2047 ? total : 0});
    // Literal text first: a value gets one character less room than literal
    // text, so a value that would end at the 2047th character does not fit.
    // (The preview drops what does not fit; see below.)
    for (size_t total = 2040; total <= 2049; ++total)
        cases.push_back({std::wstring(total - dl, L'c') + L"%datelong%", total <= 2046 ? total : 0, total - dl});
    // A percent sign as the last character: it needs room like any literal
    // text, terminator included.
    for (size_t before = 2044; before <= 2048; ++before)
        cases.push_back({L"%datelong%" + std::wstring(before - dl, L'd') + L"%%", before + 1 <= 2047 ? before + 1 : 0});

    for (const Case &c : cases) {
        ASSERT_LT(c.text.size(), kWatermarkTextChars);
        for (ExpansionMode mode : {EXPAND_PRINT, EXPAND_PREVIEW}) {
            size_t expected = c.resultLength;
            if (expected == 0 && mode == EXPAND_PREVIEW) expected = c.previewLength;
            SCOPED_TRACE(testing::Message() << "source " << c.text.size() << " expected " << expected << " mode "
                                            << mode);
            if (expected == 0) {
                GuardedBuffer out(kWatermarkTextChars);
                size_t size = out.chars();
                EXPECT_FALSE(ExpandWatermarkText(printer(), nullptr, c.text.c_str(), 1, &kTime, mode, out.data(),
                                                 &size));
                EXPECT_EQ(size, 0u);
                EXPECT_TRUE(out.Untouched());
                continue;
            }
            // Exactly large enough: written up to the last accessible character.
            GuardedBuffer exact(expected + 1);
            size_t size = exact.chars();
            ASSERT_TRUE(ExpandWatermarkText(printer(), nullptr, c.text.c_str(), 1, &kTime, mode, exact.data(),
                                            &size));
            EXPECT_EQ(size, expected + 1);
            EXPECT_EQ(wcslen(exact.data()), expected);
            // One character short: success, the needed size, nothing written.
            GuardedBuffer shortBuf(expected);
            size = shortBuf.chars();
            ASSERT_TRUE(ExpandWatermarkText(printer(), nullptr, c.text.c_str(), 1, &kTime, mode, shortBuf.data(),
                                            &size));
            EXPECT_EQ(size, expected + 1);
            EXPECT_TRUE(shortBuf.Untouched());
        }
    }
}
