// Every private escape through the registered DrvEscape hook, as ExtEscape on
// the printer device context reaches it.
#include <cstring>
#include <string>
#include <vector>

#include "tests/render_escapes/escape_fixture.h"

using testbed::DriverCall;

namespace {

constexpr uint8_t kUntouched = 0xA5;

std::vector<uint8_t> Filled(size_t n) { return std::vector<uint8_t>(n, kUntouched); }

bool UntouchedFrom(const std::vector<uint8_t> &bytes, size_t from) {
    for (size_t i = from; i < bytes.size(); ++i)
        if (bytes[i] != kUntouched) return false;
    return true;
}

std::vector<uint8_t> BytesOf(const void *p, size_t n) {
    const auto *b = static_cast<const uint8_t *>(p);
    return std::vector<uint8_t>(b, b + n);
}

}  // namespace

TEST_F(EscapeTest, PrivateDevmodeIsCopiedOutOnlyIntoABufferThatHoldsIt) {
    settings()->watermarkOrder = 3;  // something the defaults do not have
    std::vector<uint8_t> out = Filled(kPrivateDevmodeSize + 16);

    EXPECT_EQ(esc->Escape(ESC_GET_PRIVATE_DEVMODE), kPrivateDevmodeSize);
    EXPECT_EQ(esc->Escape(ESC_GET_PRIVATE_DEVMODE, 0, nullptr, 0, out.data()), kPrivateDevmodeSize);
    EXPECT_EQ(esc->Escape(ESC_GET_PRIVATE_DEVMODE, 0, nullptr, kPrivateDevmodeSize - 1, out.data()),
              kPrivateDevmodeSize);
    EXPECT_EQ(esc->Escape(ESC_GET_PRIVATE_DEVMODE, 0, nullptr, kPrivateDevmodeSize, nullptr), kPrivateDevmodeSize);
    EXPECT_TRUE(UntouchedFrom(out, 0));

    EXPECT_EQ(esc->Escape(ESC_GET_PRIVATE_DEVMODE, 0, nullptr, kPrivateDevmodeSize, out.data()),
              kPrivateDevmodeSize);
    EXPECT_EQ(memcmp(out.data(), settings(), kPrivateDevmodeSize), 0);
    // A larger buffer gets the record and nothing more.
    out = Filled(out.size());
    EXPECT_EQ(esc->Escape(ESC_GET_PRIVATE_DEVMODE, 0, nullptr, static_cast<ULONG>(out.size()), out.data()),
              kPrivateDevmodeSize);
    EXPECT_EQ(memcmp(out.data(), settings(), kPrivateDevmodeSize), 0);
    EXPECT_TRUE(UntouchedFrom(out, kPrivateDevmodeSize));
    EXPECT_TRUE(esc->DriverEscapes().empty());
}

TEST_F(EscapeTest, PrivateDevmodeIsReplacedOnlyByAWholeRecord) {
    std::vector<uint8_t> incoming = BytesOf(settings(), kPrivateDevmodeSize + 1);
    auto *record = reinterpret_cast<PrivateDevmode *>(incoming.data());
    record->watermarkOrder = 3;
    record->outputDestination = DEST_FAX;
    record->holdUserName[0] = L'Q';
    const std::vector<uint8_t> before = BytesOf(settings(), kPrivateDevmodeSize);

    for (ULONG cj : {0ul, 4ul, kPrivateDevmodeSize - 1, kPrivateDevmodeSize + 1}) {
        EXPECT_EQ(esc->Escape(ESC_SET_PRIVATE_DEVMODE, cj, incoming.data(), 0, nullptr), kPrivateDevmodeSize) << cj;
        EXPECT_EQ(BytesOf(settings(), kPrivateDevmodeSize), before) << cj;
    }
    EXPECT_EQ(esc->Escape(ESC_SET_PRIVATE_DEVMODE, kPrivateDevmodeSize, nullptr, 0, nullptr), kPrivateDevmodeSize);
    EXPECT_EQ(BytesOf(settings(), kPrivateDevmodeSize), before);

    EXPECT_EQ(esc->Escape(ESC_SET_PRIVATE_DEVMODE, kPrivateDevmodeSize, incoming.data(), 0, nullptr),
              kPrivateDevmodeSize);
    // A record that is in range arrives exactly as sent.
    EXPECT_EQ(memcmp(settings(), incoming.data(), kPrivateDevmodeSize), 0);
    EXPECT_TRUE(esc->DriverEscapes().empty());
}

TEST_F(EscapeTest, PublicDevmodeTravelsWithoutTheDriversPrivateBytes) {
    DEVMODEW *dm = publicDevmode();
    const ULONG size = dm->dmSize;
    ASSERT_GE(size, offsetof(DEVMODEW, dmFields));
    const std::vector<uint8_t> driverExtra = BytesOf(reinterpret_cast<uint8_t *>(dm) + size, dm->dmDriverExtra);
    std::vector<uint8_t> out = Filled(size + 64);

    EXPECT_EQ(esc->Escape(ESC_GET_PUBLIC_DEVMODE), size);
    EXPECT_EQ(esc->Escape(ESC_GET_PUBLIC_DEVMODE, 0, nullptr, size - 1, out.data()), size);
    EXPECT_TRUE(UntouchedFrom(out, 0));
    EXPECT_EQ(esc->Escape(ESC_GET_PUBLIC_DEVMODE, 0, nullptr, static_cast<ULONG>(out.size()), out.data()), size);
    EXPECT_EQ(memcmp(out.data(), dm, size), 0);
    EXPECT_TRUE(UntouchedFrom(out, size));

    std::vector<uint8_t> incoming(out.begin(), out.begin() + size);
    auto *changed = reinterpret_cast<DEVMODEW *>(incoming.data());
    const short flipped = dm->dmOrientation == DMORIENT_LANDSCAPE ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE;
    changed->dmOrientation = flipped;
    EXPECT_EQ(esc->Escape(ESC_SET_PUBLIC_DEVMODE, size - 1, incoming.data(), 0, nullptr), size);
    EXPECT_NE(dm->dmOrientation, flipped);
    EXPECT_EQ(esc->Escape(ESC_SET_PUBLIC_DEVMODE, size, nullptr, 0, nullptr), size);
    EXPECT_NE(dm->dmOrientation, flipped);

    EXPECT_EQ(esc->Escape(ESC_SET_PUBLIC_DEVMODE, size, incoming.data(), 0, nullptr), size);
    EXPECT_EQ(dm->dmOrientation, flipped);
    EXPECT_EQ(BytesOf(reinterpret_cast<uint8_t *>(dm) + size, dm->dmDriverExtra), driverExtra);
    EXPECT_TRUE(esc->DriverEscapes().empty());
}

TEST_F(EscapeTest, PagesAreCountedFromAReset) {
    state()->eventPageCount = 7;
    EXPECT_EQ(esc->Escape(ESC_RESET_PAGES), 0u);
    EXPECT_EQ(esc->Escape(ESC_GET_PAGE), 0u);
    EXPECT_EQ(esc->Escape(ESC_NEXT_PAGE), 1u);
    EXPECT_EQ(esc->Escape(ESC_NEXT_PAGE), 2u);
    EXPECT_EQ(esc->Escape(ESC_NEXT_PAGE), 3u);
    EXPECT_EQ(esc->Escape(ESC_GET_PAGE), 3u);
    EXPECT_EQ(state()->eventPageCount, 3);
    // The counter wraps like the 32 bits the caller gets, without undefined overflow.
    state()->eventPageCount = INT32_MAX;
    EXPECT_EQ(static_cast<int>(esc->Escape(ESC_NEXT_PAGE)), INT32_MIN);
    EXPECT_TRUE(esc->DriverEscapes().empty());
}

TEST_F(EscapeTest, SheetsFollowThePagesPerSheetOption) {
    esc->Escape(ESC_RESET_PAGES);
    for (int i = 0; i < 5; ++i) esc->Escape(ESC_NEXT_PAGE);

    const struct {
        const char *option;
        ULONG sheets;
    } cases[] = {{"4", 2}, {"Booklet", 5}, {"booklet", 5}, {"1", 5}, {"2", 3}, {"6", 1}, {"none", 5}};
    for (const auto &c : cases) {
        SetPagesPerSheet(c.option);
        EXPECT_EQ(esc->Escape(ESC_GET_SHEETS), c.sheets) << c.option;
    }

    // Without the option, or without the driver's helper, every page is a sheet.
    SetPagesPerSheet("4");
    IPrintCorePS2 *helper = state()->coreHelper;
    state()->coreHelper = nullptr;
    EXPECT_EQ(esc->Escape(ESC_GET_SHEETS), 5u);
    state()->coreHelper = helper;
    host.core().RemoveFeature("%PagePerSheet");
    EXPECT_EQ(esc->Escape(ESC_GET_SHEETS), 5u);

    SetPagesPerSheet("4");
    esc->Escape(ESC_RESET_PAGES);
    EXPECT_EQ(esc->Escape(ESC_GET_SHEETS), 0u);
    EXPECT_EQ(esc->Escape(ESC_NEXT_PAGE), 1u);
    EXPECT_EQ(esc->Escape(ESC_GET_SHEETS), 1u);
    EXPECT_TRUE(esc->DriverEscapes().empty());
}

TEST_F(EscapeTest, DeviceStateAndJobTimeAreCopiedOutWhole) {
    state()->eventPageCount = 12;
    std::vector<uint8_t> out = Filled(kDeviceStateSize + 8);
    EXPECT_EQ(esc->Escape(ESC_GET_DEVICE_STATE), kDeviceStateSize);
    EXPECT_EQ(esc->Escape(ESC_GET_DEVICE_STATE, 0, nullptr, kDeviceStateSize - 1, out.data()), kDeviceStateSize);
    EXPECT_TRUE(UntouchedFrom(out, 0));
    EXPECT_EQ(esc->Escape(ESC_GET_DEVICE_STATE, 0, nullptr, static_cast<ULONG>(out.size()), out.data()),
              kDeviceStateSize);
    EXPECT_EQ(memcmp(out.data(), state(), kDeviceStateSize), 0);
    EXPECT_TRUE(UntouchedFrom(out, kDeviceStateSize));

    std::vector<uint8_t> time = Filled(sizeof(SYSTEMTIME) + 1);
    EXPECT_EQ(esc->Escape(ESC_GET_JOB_TIME), 16u);
    EXPECT_EQ(esc->Escape(ESC_GET_JOB_TIME, 0, nullptr, 15, time.data()), 16u);
    EXPECT_TRUE(UntouchedFrom(time, 0));
    EXPECT_EQ(esc->Escape(ESC_GET_JOB_TIME, 0, nullptr, static_cast<ULONG>(time.size()), time.data()), 16u);
    EXPECT_EQ(memcmp(time.data(), &state()->jobStartTime, 16), 0);
    EXPECT_TRUE(UntouchedFrom(time, 16));
    EXPECT_TRUE(esc->DriverEscapes().empty());
}

TEST_F(EscapeTest, FirstStartDocNamesTheJobAndLaterOnesOnlyTheDocument) {
    EXPECT_EQ(esc->Escape(ESC_GET_JOB_ID), 0u);
    const SYSTEMTIME marker{2001, 1, 1, 1, 1, 1, 1, 1};
    state()->jobStartTime = marker;
    SYSTEMTIME now{};
    GetLocalTime(&now);

    EXPECT_TRUE(esc->StartDoc(L"Quarterly report", 41));
    EXPECT_STREQ(state()->documentName, L"Quarterly report");
    EXPECT_EQ(esc->Escape(ESC_GET_JOB_ID), 41u);
    EXPECT_EQ(state()->jobStartTime.wYear, now.wYear);

    state()->jobStartTime = marker;
    host.startDocReply = FALSE;
    EXPECT_FALSE(esc->StartDoc(L"Annex", 42));  // the driver's answer is the hook's
    EXPECT_STREQ(state()->documentName, L"Annex");
    EXPECT_EQ(esc->Escape(ESC_GET_JOB_ID), 41u);
    EXPECT_EQ(state()->jobStartTime.wYear, 2001);

    const std::vector<DriverCall> docs = esc->DriverStartDocs();
    ASSERT_EQ(docs.size(), 2u);
    EXPECT_EQ(docs[0].surface, esc->surface());
    EXPECT_EQ(docs[0].docName, L"Quarterly report");
    EXPECT_EQ(docs[0].jobId, 41u);
    EXPECT_EQ(docs[1].docName, L"Annex");
    EXPECT_EQ(docs[1].jobId, 42u);
}

TEST_F(EscapeTest, StartDocCutsLongNamesAndKeepsTheNameWhenNoneIsGiven) {
    std::wstring longName;
    for (int i = 0; i < 300; ++i) longName += static_cast<wchar_t>(L'a' + i % 26);
    EXPECT_TRUE(esc->StartDoc(longName.c_str(), 5));
    EXPECT_EQ(std::wstring(state()->documentName), longName.substr(0, 255));

    EXPECT_TRUE(esc->StartDoc(nullptr, 6));
    EXPECT_EQ(std::wstring(state()->documentName), longName.substr(0, 255));

    const std::vector<DriverCall> docs = esc->DriverStartDocs();
    ASSERT_EQ(docs.size(), 2u);
    EXPECT_EQ(docs[0].docName, longName);  // the driver sees the caller's name, not the cut copy
    EXPECT_FALSE(docs[1].hadDocName);
    EXPECT_EQ(docs[1].jobId, 6u);
}

TEST_F(EscapeTest, FlagSettersTakeAWholeU32AndLetTheDriverSeeTheEscape) {
    const struct {
        ULONG code;
        uint32_t DeviceState::*field;
    } setters[] = {{ESC_SET_COVER_PAGE_MODE, &DeviceState::coverPageMode},
                   {ESC_SET_SHOW_PAGE_MARK, &DeviceState::showPageMark}};
    for (const auto &s : setters) {
        SCOPED_TRACE(s.code);
        host.driverCalls.clear();
        uint8_t shortInput[2] = {1, 0};
        EXPECT_EQ(esc->Escape(s.code, sizeof(shortInput), shortInput, 0, nullptr), 4u);
        EXPECT_EQ(esc->Escape(s.code, 4, nullptr, 0, nullptr), 4u);
        EXPECT_EQ(esc->Escape(s.code), 4u);
        EXPECT_EQ(state()->*s.field, 0u);
        EXPECT_TRUE(esc->DriverEscapes().empty());

        uint32_t value = 1;
        uint8_t out[4]{};
        EXPECT_EQ(esc->Escape(s.code, sizeof(value), &value, sizeof(out), out), host.escapeReply);
        EXPECT_EQ(state()->*s.field, 1u);
        std::vector<DriverCall> calls = esc->DriverEscapes();
        ASSERT_EQ(calls.size(), 1u);
        ExpectPassedOn(calls[0], esc->surface(), s.code, &value, sizeof(value), sizeof(out), out);

        // A longer input counts with its first four bytes.
        uint32_t pair[2] = {0x22, 0x33};
        EXPECT_EQ(esc->Escape(s.code, sizeof(pair), pair, 0, nullptr), host.escapeReply);
        EXPECT_EQ(state()->*s.field, 0x22u);
    }
}

TEST_F(EscapeTest, ManualDuplexFlagsAreKeptByEscapes) {
    EXPECT_EQ(esc->Escape(ESC_IS_MANUAL_DUPLEX), 0u);
    EXPECT_EQ(esc->Escape(ESC_BEGIN_MANUAL_DUPLEX), 1u);
    EXPECT_EQ(esc->Escape(ESC_IS_MANUAL_DUPLEX), 1u);
    EXPECT_EQ(state()->manualDuplexActive, 1u);
    EXPECT_EQ(esc->Escape(ESC_END_MANUAL_DUPLEX), 1u);
    EXPECT_EQ(esc->Escape(ESC_IS_MANUAL_DUPLEX), 0u);

    state()->duplexSideRequests = 0xFFFE;
    EXPECT_EQ(esc->Escape(ESC_REQUEST_SIDE_ONE), 1u);
    EXPECT_EQ(state()->duplexSideRequests, 1u);  // the whole field, not one bit
    EXPECT_EQ(esc->Escape(ESC_REQUEST_SIDE_TWO), 1u);
    EXPECT_EQ(state()->duplexSideRequests, 3u);
    state()->duplexSideRequests = 0;
    EXPECT_EQ(esc->Escape(ESC_REQUEST_SIDE_TWO), 1u);
    EXPECT_EQ(state()->duplexSideRequests, 2u);

    EXPECT_EQ(esc->Escape(ESC_HAS_MANUAL_DUPLEX), 1u);
    host.core().RemoveFeature("HasManualDuplex");
    EXPECT_EQ(esc->Escape(ESC_HAS_MANUAL_DUPLEX), 0u);
    host.core().SetFeature("HasManualDuplex", {"True"}, "True");
    state()->coreHelper = nullptr;
    EXPECT_EQ(esc->Escape(ESC_HAS_MANUAL_DUPLEX), 0u);
    EXPECT_TRUE(esc->DriverEscapes().empty());
}

TEST_F(EscapeTest, QueryEscSupportAnnouncesTheChannelsCodesAndAsksTheDriverForOthers) {
    for (ULONG code : {ESC_GET_PUBLIC_DEVMODE, ESC_GET_PRIVATE_DEVMODE, ESC_NEXT_PAGE, ESC_RESET_PAGES, ESC_GET_PAGE,
                       ESC_GET_DEVICE_STATE, ESC_MANUAL_DUPLEX_PROMPT, ESC_REQUEST_SIDE_ONE, ESC_REQUEST_SIDE_TWO,
                       ESC_HAS_MANUAL_DUPLEX, ESC_BEGIN_MANUAL_DUPLEX, ESC_IS_MANUAL_DUPLEX, ESC_END_MANUAL_DUPLEX,
                       ESC_SET_SHOW_PAGE_MARK}) {
        uint32_t asked = code;
        EXPECT_EQ(esc->Escape(QUERYESCSUPPORT, sizeof(asked), &asked, 0, nullptr), 1u) << std::hex << code;
    }
    EXPECT_TRUE(esc->DriverEscapes().empty());

    // Codes the hook answers without announcing them, and codes it does not know.
    for (ULONG code : {ESC_SET_COVER_PAGE_MODE, ESC_GET_SHEETS, ESC_SET_PRIVATE_DEVMODE, ESC_GET_JOB_ID,
                       ESC_WATERMARK_REQUEST, 0x10007ul, 0x10025ul, static_cast<ULONG>(POSTSCRIPT_PASSTHROUGH)}) {
        host.driverCalls.clear();
        uint32_t asked = code;
        EXPECT_EQ(esc->Escape(QUERYESCSUPPORT, sizeof(asked), &asked, 0, nullptr), host.escapeReply);
        std::vector<DriverCall> calls = esc->DriverEscapes();
        ASSERT_EQ(calls.size(), 1u) << std::hex << code;
        ExpectPassedOn(calls[0], esc->surface(), QUERYESCSUPPORT, &asked, sizeof(asked), 0, nullptr);
    }

    // Anything but exactly one u32 is no question at all.
    host.driverCalls.clear();
    uint32_t pair[2] = {ESC_GET_PAGE, 0};
    EXPECT_EQ(esc->Escape(QUERYESCSUPPORT, 3, pair, 0, nullptr), 0u);
    EXPECT_EQ(esc->Escape(QUERYESCSUPPORT, 8, pair, 0, nullptr), 0u);
    EXPECT_EQ(esc->Escape(QUERYESCSUPPORT, 4, nullptr, 0, nullptr), 0u);
    EXPECT_TRUE(esc->DriverEscapes().empty());
}

TEST_F(EscapeTest, ApplicationPostScriptIsRefusedOnlyWhileBlocked) {
    const ULONG postScriptEscapes[] = {POSTSCRIPT_DATA, POSTSCRIPT_PASSTHROUGH, POSTSCRIPT_IDENTIFY,
                                       POSTSCRIPT_INJECTION};
    char data[] = "\x06\x00 erasepage";

    settings()->blockAppPostScript = 1;
    for (ULONG code : postScriptEscapes) {
        uint32_t asked = code;
        EXPECT_EQ(esc->Escape(QUERYESCSUPPORT, sizeof(asked), &asked, 0, nullptr), 0u) << code;
        EXPECT_EQ(esc->Escape(code, sizeof(data), data, 0, nullptr), 0u) << code;
    }
    EXPECT_TRUE(esc->DriverEscapes().empty());

    settings()->blockAppPostScript = 0;
    for (ULONG code : postScriptEscapes) {
        host.driverCalls.clear();
        uint32_t asked = code;
        EXPECT_EQ(esc->Escape(QUERYESCSUPPORT, sizeof(asked), &asked, 0, nullptr), host.escapeReply) << code;
        EXPECT_EQ(esc->Escape(code, sizeof(data), data, 0, nullptr), host.escapeReply) << code;
        std::vector<DriverCall> calls = esc->DriverEscapes();
        ASSERT_EQ(calls.size(), 2u);
        ExpectPassedOn(calls[1], esc->surface(), code, data, sizeof(data), 0, nullptr);
    }
}

TEST_F(EscapeTest, CodesTheHookDoesNotAnswerReachTheDriverUnchanged) {
    uint8_t in[24];
    for (size_t i = 0; i < sizeof(in); ++i) in[i] = static_cast<uint8_t>(i * 7 + 1);
    std::vector<uint8_t> out = Filled(32);
    for (ULONG code : {ESC_WATERMARK_REQUEST, ESC_MANUAL_DUPLEX_PROMPT, 0x10000ul, 0x10007ul, 0x1000Ful, 0x10011ul,
                       0x10017ul, 0x10025ul, static_cast<ULONG>(PASSTHROUGH), 20ul, 0xFFFFFFFFul}) {
        host.driverCalls.clear();
        EXPECT_EQ(esc->Escape(code, sizeof(in), in, static_cast<ULONG>(out.size()), out.data()), host.escapeReply);
        std::vector<DriverCall> calls = esc->DriverEscapes();
        ASSERT_EQ(calls.size(), 1u) << std::hex << code;
        ExpectPassedOn(calls[0], esc->surface(), code, in, sizeof(in), static_cast<ULONG>(out.size()), out.data());

        host.driverCalls.clear();
        EXPECT_EQ(esc->Escape(code, 5, nullptr, 9, nullptr), host.escapeReply);
        calls = esc->DriverEscapes();
        ASSERT_EQ(calls.size(), 1u);
        ExpectPassedOn(calls[0], esc->surface(), code, nullptr, 5, 9, nullptr);
    }
    EXPECT_TRUE(UntouchedFrom(out, 0));
}
