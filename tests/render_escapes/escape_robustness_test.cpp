// Any program holding the device context can send any escape with any
// buffers. Random calls, with every buffer and every job record placed against
// an inaccessible page, must neither fault nor disturb what the device relies
// on. The seed is fixed (ESCAPE_SEED overrides it) and printed, so a failure
// can be replayed.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "platform/raii.h"
#include "tests/host/guarded_buffer.h"
#include "tests/render_escapes/escape_fixture.h"

using testbed::GuardedBuffer;
using testbed::GuardedJobRecords;

namespace {

constexpr uint32_t kDefaultSeed = 0x5EC0DE;
constexpr int kCalls = 200000;
constexpr size_t kArenaSize = 16384;

uint32_t Seed() {
    char text[32]{};
    DWORD n = GetEnvironmentVariableA("ESCAPE_SEED", text, sizeof(text));
    if (n == 0 || n >= sizeof(text)) return kDefaultSeed;
    return static_cast<uint32_t>(strtoul(text, nullptr, 0));
}

// The call in progress, for the report of a fault.
struct CurrentCall {
    bool active;
    int iteration;
    bool startDoc;
    ULONG code, cjIn, cjOut;  // for a StartDoc: code = job id, cjIn = name length
    const void *pvIn, *pvOut;
} current;

LONG CALLBACK ReportFault(EXCEPTION_POINTERS *info) {
    if (current.active && info->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION) {
        fprintf(stderr, "fault in call %d: %s 0x%lx cjIn %lu pvIn %p cjOut %lu pvOut %p, address %p\n",
                current.iteration, current.startDoc ? "StartDoc job" : "escape", current.code, current.cjIn,
                current.pvIn, current.cjOut, current.pvOut,
                reinterpret_cast<void *>(info->ExceptionRecord->ExceptionInformation[1]));
        fflush(stderr);
        current.active = false;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

// Buffers of any size up to the arena's, ending at an inaccessible page or
// starting right after one.
class Arena {
public:
    Arena() : after_(kArenaSize, GuardedBuffer::Guard::After), before_(kArenaSize, GuardedBuffer::Guard::Before) {}
    bool ok() const { return after_.ok() && before_.ok(); }
    uint8_t *Window(size_t size, bool guardAfter) {
        return guardAfter ? after_.data() + kArenaSize - size : before_.data();
    }

private:
    GuardedBuffer after_, before_;
};

class Caller {
public:
    Caller(uint32_t seed, testbed::EscapeHost &esc) : rng_(seed), esc_(esc), noise_(2 * kArenaSize) {
        for (uint8_t &b : noise_) b = static_cast<uint8_t>(rng_());
    }

    ULONG Pick(std::initializer_list<ULONG> values) { return values.begin()[rng_() % values.size()]; }
    bool Chance(unsigned percent) { return rng_() % 100 < percent; }

    ULONG PickCode() {
        switch (rng_() % 4) {
        case 0:
        case 1: return 0x10000 + rng_() % 0x27;  // the channel's range and its neighbours
        case 2: return Pick({QUERYESCSUPPORT, PASSTHROUGH, 20, 33, POSTSCRIPT_DATA, POSTSCRIPT_IGNORE,
                             POSTSCRIPT_PASSTHROUGH, 4116, POSTSCRIPT_IDENTIFY, POSTSCRIPT_INJECTION, 4121});
        default: return static_cast<ULONG>(rng_());
        }
    }

    ULONG PickSize() {
        const ULONG publicSize = esc_.publicDevmode()->dmSize;
        switch (rng_() % 3) {
        case 0: return rng_() % 24;
        case 1:
            return Pick({2, 4, 15, 16, 17, publicSize - 1, publicSize, publicSize + 1, kPrivateDevmodeSize - 1,
                         kPrivateDevmodeSize, kPrivateDevmodeSize + 1, kDeviceStateSize - 1, kDeviceStateSize,
                         kDeviceStateSize + 1, 2632});
        default: return rng_() % (kArenaSize + 1);
        }
    }

    // Input bytes: noise, or a record of the device with a few bytes changed,
    // so that the setters take some of them.
    void FillInput(uint8_t *in, ULONG size, ULONG code) {
        memcpy(in, noise_.data() + rng_() % kArenaSize, size);
        const void *record = nullptr;
        ULONG recordSize = 0;
        if (code == ESC_SET_PUBLIC_DEVMODE) record = esc_.publicDevmode(), recordSize = esc_.publicDevmode()->dmSize;
        if (code == ESC_SET_PRIVATE_DEVMODE) record = esc_.settings(), recordSize = kPrivateDevmodeSize;
        if (code == ESC_SET_DEVICE_STATE) record = esc_.state(), recordSize = kDeviceStateSize;
        if (record && Chance(60)) {
            memcpy(in, record, size < recordSize ? size : recordSize);
            for (int i = 0; i < 4 && size; ++i) in[rng_() % size] = static_cast<uint8_t>(rng_());
        }
        if (code == QUERYESCSUPPORT && size >= 4) {
            const uint32_t asked = PickCode();
            memcpy(in, &asked, sizeof(asked));
        }
    }

    void Call(int iteration, Arena &in, Arena &out) {
        const ULONG code = PickCode();
        const ULONG cjIn = PickSize(), cjOut = PickSize();
        uint8_t *pvIn = Chance(15) ? nullptr : in.Window(cjIn, Chance(50));
        uint8_t *pvOut = Chance(15) ? nullptr : out.Window(cjOut, Chance(50));
        if (pvIn) FillInput(pvIn, cjIn, code);
        current = {true, iteration, false, code, cjIn, cjOut, pvIn, pvOut};
        esc_.Escape(code, cjIn, pvIn, cjOut, pvOut);
        current.active = false;
    }

    // A document name of any length, ending right at an inaccessible page.
    void StartDoc(int iteration, Arena &names) {
        const DWORD jobId = static_cast<DWORD>(rng_());
        wchar_t *name = nullptr;
        const size_t chars = rng_() % 600;
        if (!Chance(10)) {
            name = reinterpret_cast<wchar_t *>(names.Window((chars + 1) * sizeof(wchar_t), true));
            for (size_t i = 0; i < chars; ++i) name[i] = static_cast<wchar_t>(1 + rng_() % 0xFFFE);
            name[chars] = L'\0';
        }
        current = {true, iteration, true, jobId, static_cast<ULONG>(chars), 0, name, nullptr};
        esc_.StartDoc(name, jobId);
        current.active = false;
    }

    uint32_t Next() { return rng_(); }

private:
    std::mt19937 rng_;
    testbed::EscapeHost &esc_;
    std::vector<uint8_t> noise_;
};

template <size_t N>
bool Terminated(const wchar_t (&s)[N]) {
    return wcsnlen(s, N) < N;
}

bool PrivateStringsTerminated(const PrivateDevmode &dm) {
    for (const WatermarkRecord &wm : dm.watermarks)
        if (!Terminated(wm.name) || !Terminated(wm.text) || !Terminated(wm.faceName)) return false;
    const FaxInfo &f = dm.fax;
    return Terminated(dm.outputFilePath) && Terminated(dm.holdUserName) && Terminated(dm.holdPin) &&
           Terminated(dm.accountNumber) && Terminated(dm.loadedProfileName) && Terminated(f.recipientFaxNumber) &&
           Terminated(f.stationId) && Terminated(f.recipientName) && Terminated(f.senderName) &&
           Terminated(f.senderCompany) && Terminated(f.senderAddress) && Terminated(f.reservedText) &&
           Terminated(f.senderFaxNumber) && Terminated(f.senderVoice) && Terminated(f.senderEmail) &&
           Terminated(f.comments);
}

// What the job's PJL and the core driver read of the public record.
bool PublicValuesSane(const DEVMODEW &dm) {
    return dm.dmCopies >= 0 && dm.dmDuplex >= 0 && dm.dmDuplex <= DMDUP_HORIZONTAL && Terminated(dm.dmDeviceName) &&
           Terminated(dm.dmFormName);
}

}  // namespace

TEST_F(EscapeTest, RandomEscapesNeitherFaultNorBreakTheDevice) {
    const uint32_t seed = Seed();
    printf("escape robustness seed: 0x%X (set ESCAPE_SEED to replay another)\n", seed);
    RecordProperty("seed", static_cast<int>(seed));

    GuardedJobRecords guarded(esc->device());
    Arena in, out, names;
    ASSERT_TRUE(guarded.ok() && in.ok() && out.ok() && names.ok());
    PVOID handler = AddVectoredExceptionHandler(1, ReportFault);
    auto removeHandler = scope_exit([&] { RemoveVectoredExceptionHandler(handler); });

    const DeviceState initial = *state();
    const WORD publicSize = publicDevmode()->dmSize, publicExtra = publicDevmode()->dmDriverExtra;
    Caller caller(seed, *esc);
    SetPagesPerSheet("4");

    for (int i = 0; i < kCalls; ++i) {
        if (caller.Next() % 50 == 0)
            caller.StartDoc(i, names);
        else
            caller.Call(i, in, out);
        if (i % 997 == 0) SetPagesPerSheet(caller.Next() % 2 ? "Booklet" : "6");

        const DeviceState &s = *state();
        const PrivateDevmode &dm = *settings();
        const bool intact = s.size == initial.size && s.driverVersion == initial.driverVersion &&
                            s.driverFunctionCount == initial.driverFunctionCount &&
                            s.driverFunctions == initial.driverFunctions && s.coreHelper == initial.coreHelper &&
                            Terminated(s.documentName) && Terminated(s.userName) &&
                            dm.header.dwSize == kPrivateDevmodeSize && PrivateStringsTerminated(dm) &&
                            publicDevmode()->dmSize == publicSize && publicDevmode()->dmDriverExtra == publicExtra &&
                            PublicValuesSane(*publicDevmode());
        if (!intact) {
            FAIL() << "device broken by call " << i << ": " << (current.startDoc ? "StartDoc job" : "escape")
                   << " 0x" << std::hex << current.code << std::dec << " cjIn " << current.cjIn << " cjOut "
                   << current.cjOut;
        }
        if (i % 1000 == 0) {
            host.driverCalls.clear();
            host.core().optionsCalls.clear();
        }
    }
}
