// What the hooks refuse: calls without the job's records, and records a caller
// could use to break the device or make later readers run past a buffer.
#include <cstring>
#include <cwchar>
#include <vector>

#include "tests/host/guarded_buffer.h"
#include "tests/render_escapes/escape_fixture.h"

using testbed::GuardedBuffer;
using testbed::GuardedJobRecords;

namespace {

std::vector<uint8_t> BytesOf(const void *p, size_t n) {
    const auto *b = static_cast<const uint8_t *>(p);
    return std::vector<uint8_t>(b, b + n);
}

class EscapeWithoutDriverFunctionsTest : public EscapeTest {
protected:
    EscapeWithoutDriverFunctionsTest() : EscapeTest(Options()) {}
    static testbed::RenderHostOptions Options() {
        testbed::RenderHostOptions options;
        options.driverHasEscape = false;
        options.driverHasStartDoc = false;
        return options;
    }
};

}  // namespace

TEST_F(EscapeTest, HooksAnswerNothingWithoutTheJobsRecords) {
    DEVOBJ *dev = esc->device().dev();
    auto expectRefused = [&](const char *what, bool startDocRefused) {
        SCOPED_TRACE(what);
        host.driverCalls.clear();
        uint32_t asked = ESC_GET_PAGE;
        std::vector<uint8_t> out(kPrivateDevmodeSize, 0x5A);
        EXPECT_EQ(esc->Escape(ESC_GET_PRIVATE_DEVMODE, 0, nullptr, kPrivateDevmodeSize, out.data()), 0u);
        EXPECT_EQ(out, std::vector<uint8_t>(kPrivateDevmodeSize, 0x5A));
        EXPECT_EQ(esc->Escape(ESC_NEXT_PAGE), 0u);
        EXPECT_EQ(esc->Escape(QUERYESCSUPPORT, sizeof(asked), &asked, 0, nullptr), 0u);
        EXPECT_EQ(esc->Escape(0x10007), 0u);
        EXPECT_EQ(esc->StartDoc(L"refused?", 3), startDocRefused ? FALSE : TRUE);
        if (startDocRefused) {
            EXPECT_TRUE(host.driverCalls.empty());
        }
        EXPECT_TRUE(esc->DriverEscapes().empty());
    };

    PVOID privateDm = dev->pOEMDM;
    dev->pOEMDM = nullptr;
    expectRefused("no private record", true);
    dev->pOEMDM = privateDm;

    PDEVMODEW publicDm = dev->pPublicDM;
    dev->pPublicDM = nullptr;
    expectRefused("no public devmode", false);  // the document name needs no devmode
    dev->pPublicDM = publicDm;

    DeviceState *state = esc->state();
    dev->pdevOEM = nullptr;
    expectRefused("no device state", true);
    dev->pdevOEM = state;

    const uint32_t functionCount = state->driverFunctionCount;
    state->driverFunctionCount = 0;
    expectRefused("no driver functions", true);
    state->driverFunctionCount = functionCount;
    EXPECT_EQ(state->eventPageCount, 0);
    EXPECT_EQ(state->jobId, 3u);  // only from the call that had everything

    SURFOBJ bare{};
    host.driverCalls.clear();
    EXPECT_EQ(esc->EscapeOn(&bare, ESC_NEXT_PAGE, 0, nullptr, 0, nullptr), 0u);
    EXPECT_EQ(esc->EscapeOn(nullptr, ESC_NEXT_PAGE, 0, nullptr, 0, nullptr), 0u);
    EXPECT_FALSE(esc->StartDocOn(&bare, L"x", 1));
    EXPECT_FALSE(esc->StartDocOn(nullptr, L"x", 1));
    EXPECT_EQ(state->eventPageCount, 0);
    EXPECT_TRUE(host.driverCalls.empty());
}

TEST_F(EscapeWithoutDriverFunctionsTest, HooksAnswerForADriverThatLacksTheFunction) {
    uint32_t one = 1;
    EXPECT_EQ(esc->Escape(0x10007), 0u);
    EXPECT_EQ(esc->Escape(ESC_SET_COVER_PAGE_MODE, sizeof(one), &one, 0, nullptr), 0u);
    EXPECT_EQ(state()->coverPageMode, 1u);
    uint32_t asked = ESC_GET_PAGE;
    EXPECT_EQ(esc->Escape(QUERYESCSUPPORT, sizeof(asked), &asked, 0, nullptr), 1u);
    EXPECT_EQ(esc->Escape(ESC_NEXT_PAGE), 1u);
    EXPECT_TRUE(esc->StartDoc(L"Alone", 8));
    EXPECT_STREQ(state()->documentName, L"Alone");
    EXPECT_TRUE(host.driverCalls.empty());
}

TEST_F(EscapeTest, ReplacedDeviceStateKeepsItsSizeDriverTableAndHelper) {
    const DeviceState before = *state();
    DeviceState incoming{};
    ASSERT_EQ(esc->Escape(ESC_GET_DEVICE_STATE, 0, nullptr, sizeof(incoming), &incoming), kDeviceStateSize);
    incoming.size = 1;
    incoming.driverVersion = 0xBAD;
    incoming.driverFunctionCount = 1000;
    incoming.driverFunctions = reinterpret_cast<DRVFN *>(0x10);
    incoming.coreHelper = reinterpret_cast<IPrintCorePS2 *>(0x20);
    incoming.eventPageCount = 9;
    incoming.jobId = 77;
    incoming.manualDuplexActive = 1;
    for (wchar_t &c : incoming.documentName) c = L'd';
    for (wchar_t &c : incoming.userName) c = L'u';

    EXPECT_EQ(esc->Escape(ESC_SET_DEVICE_STATE, kDeviceStateSize, &incoming, 0, nullptr), kDeviceStateSize);
    EXPECT_EQ(state()->size, before.size);
    EXPECT_EQ(state()->driverVersion, before.driverVersion);
    EXPECT_EQ(state()->driverFunctionCount, before.driverFunctionCount);
    EXPECT_EQ(state()->driverFunctions, before.driverFunctions);
    EXPECT_EQ(state()->coreHelper, before.coreHelper);
    EXPECT_EQ(state()->eventPageCount, 9);
    EXPECT_EQ(state()->jobId, 77u);
    EXPECT_EQ(state()->manualDuplexActive, 1u);
    EXPECT_EQ(wcslen(state()->documentName), 255u);
    EXPECT_EQ(wcslen(state()->userName), 1023u);

    // The hooks still reach the driver and its helper.
    EXPECT_EQ(esc->Escape(0x10007), host.escapeReply);
    EXPECT_EQ(esc->DriverEscapes().size(), 1u);
    EXPECT_EQ(esc->Escape(ESC_HAS_MANUAL_DUPLEX), 1u);
}

TEST_F(EscapeTest, DeviceStateOfAnyOtherSizeIsIgnored) {
    const std::vector<uint8_t> before = BytesOf(state(), kDeviceStateSize);
    std::vector<uint8_t> incoming(kDeviceStateSize + 1, 0x11);
    // 2632 is the narrow layout: a 32-bit sender's state does not fit a 64-bit device.
    for (ULONG cj : {0ul, 4ul, 2632ul, kDeviceStateSize - 1, kDeviceStateSize + 1}) {
        if (cj == kDeviceStateSize) continue;
        EXPECT_EQ(esc->Escape(ESC_SET_DEVICE_STATE, cj, incoming.data(), 0, nullptr), kDeviceStateSize) << cj;
        EXPECT_EQ(BytesOf(state(), kDeviceStateSize), before) << cj;
    }
    EXPECT_EQ(esc->Escape(ESC_SET_DEVICE_STATE, kDeviceStateSize, nullptr, 0, nullptr), kDeviceStateSize);
    EXPECT_EQ(BytesOf(state(), kDeviceStateSize), before);
}

TEST_F(EscapeTest, ReplacedPrivateRecordIsMadeSafeForItsReaders) {
    // Every byte 0xFF: a size far beyond the record, no string terminated,
    // every value out of range.
    std::vector<uint8_t> hostile(kPrivateDevmodeSize, 0xFF);
    EXPECT_EQ(esc->Escape(ESC_SET_PRIVATE_DEVMODE, kPrivateDevmodeSize, hostile.data(), 0, nullptr),
              kPrivateDevmodeSize);
    const PrivateDevmode *dm = settings();
    EXPECT_EQ(dm->header.dwSize, kPrivateDevmodeSize);
    EXPECT_EQ(dm->header.dwSignature, kPrivateDevmodeSignature);
    EXPECT_EQ(wcsnlen(dm->outputFilePath, 512), 511u);
    EXPECT_EQ(wcsnlen(dm->holdPin, 5), 4u);
    EXPECT_EQ(wcsnlen(dm->watermarks[1].faceName, 64), 63u);
    EXPECT_EQ(wcsnlen(dm->fax.comments, 1024), 1023u);
    EXPECT_EQ(wcsnlen(dm->loadedProfileName, 128), 127u);
    EXPECT_LE(dm->outputDestination, static_cast<uint32_t>(DEST_VERIFY));
    EXPECT_LE(dm->blockAppPostScript, 1u);
    EXPECT_EQ(esc->Escape(ESC_GET_PRIVATE_DEVMODE), kPrivateDevmodeSize);
}

TEST_F(EscapeTest, PrivateRecordSizeIsTrustedOnlyUpToTheRecord) {
    GuardedJobRecords guarded(esc->device());
    ASSERT_TRUE(guarded.ok());
    settings()->header.dwSize = 0x10000;

    EXPECT_EQ(esc->Escape(ESC_GET_PRIVATE_DEVMODE), kPrivateDevmodeSize);
    GuardedBuffer out(0x10000);
    ASSERT_TRUE(out.ok());
    EXPECT_EQ(esc->Escape(ESC_GET_PRIVATE_DEVMODE, 0, nullptr, 0x10000, out.data()), kPrivateDevmodeSize);
    EXPECT_EQ(memcmp(out.data(), settings(), kPrivateDevmodeSize), 0);

    std::vector<uint8_t> incoming(0x10000, 0);
    memcpy(incoming.data(), settings(), kPrivateDevmodeSize);
    EXPECT_EQ(esc->Escape(ESC_SET_PRIVATE_DEVMODE, 0x10000, incoming.data(), 0, nullptr), kPrivateDevmodeSize);
    EXPECT_EQ(settings()->header.dwSize, 0x10000u);
    EXPECT_EQ(esc->Escape(ESC_SET_PRIVATE_DEVMODE, kPrivateDevmodeSize, incoming.data(), 0, nullptr),
              kPrivateDevmodeSize);
    EXPECT_EQ(settings()->header.dwSize, kPrivateDevmodeSize);
}

TEST_F(EscapeTest, PublicDevmodeKeepsTheSizeTheDriverAllocatedItFor) {
    DEVMODEW *dm = publicDevmode();
    const ULONG size = dm->dmSize;
    const std::vector<uint8_t> before = esc->device().publicDm;
    const WORD extra = dm->dmDriverExtra;

    const struct {
        WORD dmSize;
        WORD dmDriverExtra;
    } claims[] = {{static_cast<WORD>(size + 4), extra},
                  {static_cast<WORD>(size - 4), extra},
                  {static_cast<WORD>(size), static_cast<WORD>(extra + 16)},
                  {static_cast<WORD>(size), static_cast<WORD>(extra ? 0 : 8)}};
    for (const auto &claim : claims) {
        std::vector<uint8_t> incoming = BytesOf(dm, size);
        auto *record = reinterpret_cast<DEVMODEW *>(incoming.data());
        record->dmSize = claim.dmSize;
        record->dmDriverExtra = claim.dmDriverExtra;
        record->dmCopies = static_cast<short>(dm->dmCopies + 1);
        EXPECT_EQ(esc->Escape(ESC_SET_PUBLIC_DEVMODE, size, incoming.data(), 0, nullptr), size)
            << claim.dmSize << " " << claim.dmDriverExtra;
        EXPECT_EQ(esc->device().publicDm, before);
    }
}

// A replacement public devmode is taken only with every field that the
// renderer or the core driver reads in its documented range and both names
// ending in their arrays; otherwise the job keeps the record it has.
TEST_F(EscapeTest, PublicDevmodeOutOfRangeLeavesTheJobsRecord) {
    DEVMODEW *dm = publicDevmode();
    const ULONG size = dm->dmSize;
    const std::vector<uint8_t> before = esc->device().publicDm;
    using Change = void (*)(DEVMODEW &d);
    const struct {
        const char *what;
        Change change;
    } refused[] = {
        {"negative copies", [](DEVMODEW &d) { d.dmCopies = -3; }},
        {"negative copies, bit clear", [](DEVMODEW &d) { d.dmFields &= ~DM_COPIES, d.dmCopies = -1; }},
        {"no copies", [](DEVMODEW &d) { d.dmFields |= DM_COPIES, d.dmCopies = 0; }},
        {"10000 copies", [](DEVMODEW &d) { d.dmFields |= DM_COPIES, d.dmCopies = 10000; }},
        {"orientation 3", [](DEVMODEW &d) { d.dmFields |= DM_ORIENTATION, d.dmOrientation = 3; }},
        {"paper size 0", [](DEVMODEW &d) { d.dmFields |= DM_PAPERSIZE, d.dmPaperSize = 0; }},
        {"paper size past the last", [](DEVMODEW &d) { d.dmFields |= DM_PAPERSIZE, d.dmPaperSize = DMPAPER_LAST + 1; }},
        {"user paper without length",
         [](DEVMODEW &d) { d.dmFields |= DM_PAPERSIZE, d.dmPaperSize = DMPAPER_USER, d.dmPaperLength = 0; }},
        {"negative paper width", [](DEVMODEW &d) { d.dmPaperWidth = -1; }},
        {"duplex 4", [](DEVMODEW &d) { d.dmFields |= DM_DUPLEX, d.dmDuplex = 4; }},
        {"duplex -1, bit clear", [](DEVMODEW &d) { d.dmFields &= ~DM_DUPLEX, d.dmDuplex = -1; }},
        {"collate 2", [](DEVMODEW &d) { d.dmFields |= DM_COLLATE, d.dmCollate = 2; }},
        {"color 3", [](DEVMODEW &d) { d.dmFields |= DM_COLOR, d.dmColor = 3; }},
        {"scale 0", [](DEVMODEW &d) { d.dmFields |= DM_SCALE, d.dmScale = 0; }},
        {"quality -5", [](DEVMODEW &d) { d.dmFields |= DM_PRINTQUALITY, d.dmPrintQuality = -5; }},
        {"N-up 3", [](DEVMODEW &d) { d.dmFields |= DM_NUP, d.dmNup = 3; }},
        {"unknown field bit", [](DEVMODEW &d) { d.dmFields |= 0x40000000; }},
        {"unterminated device name", [](DEVMODEW &d) { wmemset(d.dmDeviceName, L'D', CCHDEVICENAME); }},
        {"unterminated form name", [](DEVMODEW &d) { wmemset(d.dmFormName, L'F', CCHFORMNAME); }},
    };
    for (const auto &r : refused) {
        std::vector<uint8_t> incoming = BytesOf(dm, size);
        r.change(*reinterpret_cast<DEVMODEW *>(incoming.data()));
        EXPECT_EQ(esc->Escape(ESC_SET_PUBLIC_DEVMODE, size, incoming.data(), 0, nullptr), size) << r.what;
        EXPECT_EQ(esc->device().publicDm, before) << r.what;
    }

    // The edges of the ranges are taken.
    const Change taken[] = {
        [](DEVMODEW &d) { d.dmFields |= DM_COPIES, d.dmCopies = 9999; },
        [](DEVMODEW &d) {
            d.dmFields |= DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH;
            d.dmPaperSize = DMPAPER_USER, d.dmPaperLength = 2970, d.dmPaperWidth = 2100;
        },
        [](DEVMODEW &d) { d.dmFields |= DM_PRINTQUALITY, d.dmPrintQuality = DMRES_HIGH; },
    };
    for (Change change : taken) {
        std::vector<uint8_t> incoming = BytesOf(dm, size);
        change(*reinterpret_cast<DEVMODEW *>(incoming.data()));
        EXPECT_EQ(esc->Escape(ESC_SET_PUBLIC_DEVMODE, size, incoming.data(), 0, nullptr), size);
        EXPECT_EQ(BytesOf(dm, size), incoming);
    }
}
