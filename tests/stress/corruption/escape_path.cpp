#include "tests/stress/corruption/escape_path.h"

#include <cstring>

#include "platform/escape_codes.h"
#include "tests/stress/corruption/record_checks.h"
#include "tests/stress/corruption/record_inputs.h"
#include "tests/stress/corruption/watch.h"

namespace stress {
namespace {

constexpr ULONG kRecord = sizeof(PrivateDevmode);
constexpr ULONG kOutCapacity = 9000;
constexpr uint8_t kUntouched = 0xCD;

class EscapePath : public Path {
public:
    explicit EscapePath(Environment &env)
        : Path("ESC_SET_PRIVATE_DEVMODE"), env_(env), in_(0x10000), out_(kOutCapacity) {}

    bool Start(std::string *error) override {
        escapes_ = std::make_unique<testbed::EscapeHost>(*env_.render);
        if (!escapes_->ok() || !in_.ok() || !out_.ok()) {
            *error = "no escape hooks or no guarded memory";
            return false;
        }
        // The job's own records against inaccessible pages too.
        records_ = std::make_unique<testbed::GuardedJobRecords>(escapes_->device());
        if (!records_->ok()) {
            *error = "job records could not be guarded";
            return false;
        }
        return true;
    }

    std::string Run(Rng &rng, Guard guard) override {
        RecordInput input = CorruptRecord(rng);
        SetKind(input.kind);
        PrivateDevmode *job = escapes_->settings();

        // Mostly the size the escape takes; otherwise any other.
        static const ULONG oddSizes[] = {0, 1, 4, 12, kRecord - 1, kRecord + 1, kRecord * 2};
        ULONG cjIn = static_cast<ULONG>(kRecord);
        if (rng.Chance(25)) cjIn = rng.Chance(50) ? rng.Pick(oddSizes) : static_cast<ULONG>(input.bytes.size());
        uint8_t *in = in_.Window(cjIn, guard);
        const size_t n = cjIn < input.bytes.size() ? cjIn : input.bytes.size();
        std::memcpy(in, input.bytes.data(), n);
        std::memset(in + n, 0, cjIn - n);
        void *pvIn = rng.Chance(3) ? nullptr : in;

        PrivateDevmode before;
        std::memcpy(&before, job, kRecord);
        ULONG reply = escapes_->Escape(ESC_SET_PRIVATE_DEVMODE, cjIn, pvIn, 0, nullptr);
        if (reply != kRecord) return "SET replied " + std::to_string(reply);
        if (!in_.CanariesIntact()) return "bytes beside the escape's input were written";
        if (pvIn && std::memcmp(in, input.bytes.data(), n) != 0) return "the escape's input was written";
        const bool taken = pvIn && cjIn == kRecord;
        if (!taken && std::memcmp(&before, job, kRecord) != 0)
            return "a refused record changed the job's record at " + FirstDifference(job, &before, kRecord);
        std::string failure = CheckValidRecord(*job);
        if (!failure.empty()) return "job record after SET: " + failure;

        // Read back into a buffer of any size.
        static const ULONG outSizes[] = {0, 1, kRecord - 1, kRecord, kRecord, kRecord, kRecord + 1, kOutCapacity};
        const ULONG cjOut = rng.Chance(80) ? rng.Pick(outSizes) : static_cast<ULONG>(rng.Below(kOutCapacity + 1));
        uint8_t *out = out_.Window(cjOut, Opposite(guard));
        std::memset(out, kUntouched, cjOut);
        void *pvOut = rng.Chance(3) ? nullptr : out;
        reply = escapes_->Escape(ESC_GET_PRIVATE_DEVMODE, 0, nullptr, cjOut, pvOut);
        if (reply != kRecord) return "GET replied " + std::to_string(reply);
        if (!out_.CanariesIntact()) return "bytes beside the escape's output were written";
        const size_t copied = pvOut && cjOut >= kRecord ? kRecord : 0;
        if (copied && std::memcmp(out, job, kRecord) != 0) return "GET copied something else than the record";
        for (size_t i = copied; i < cjOut; ++i)
            if (out[i] != kUntouched) return "GET wrote byte " + std::to_string(i) + " of " + std::to_string(cjOut);
        return {};
    }

private:
    Environment &env_;
    std::unique_ptr<testbed::EscapeHost> escapes_;
    std::unique_ptr<testbed::GuardedJobRecords> records_;
    Arena in_, out_;
};

}  // namespace

std::unique_ptr<Path> MakeEscapePath(Environment &env) { return std::make_unique<EscapePath>(env); }

}  // namespace stress
