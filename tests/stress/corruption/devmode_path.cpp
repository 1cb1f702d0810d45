#include "tests/stress/corruption/devmode_path.h"

#include <cstring>
#include <vector>

#include "tests/stress/corruption/record_checks.h"
#include "tests/stress/corruption/record_inputs.h"
#include "tests/stress/corruption/watch.h"

namespace stress {
namespace {

constexpr size_t kRecord = sizeof(PrivateDevmode);

class DevModePath : public Path {
public:
    DevModePath(Environment &env, Plugin plugin)
        : Path(plugin == Plugin::Ui ? "uiplug DevMode" : "renderplug DevMode"),
          env_(env),
          plugin_(plugin),
          in_(sizeof(DEVMODEW) + 0x10000 + 16),
          out_(kRecord) {}

    bool Start(std::string *error) override {
        if (!in_.ok() || !out_.ok()) {
            *error = "no guarded memory";
            return false;
        }
        publicDm_.dmSize = sizeof(DEVMODEW);
        publicDm_.dmSpecVersion = DM_SPECVERSION;
        return true;
    }

    std::string Run(Rng &rng, Guard guard) override {
        static const DWORD modes[] = {OEMDM_SIZE,  OEMDM_DEFAULT, OEMDM_CONVERT, OEMDM_CONVERT, OEMDM_CONVERT,
                                      OEMDM_MERGE, OEMDM_MERGE,   OEMDM_MERGE,   OEMDM_MERGE,   OEMDM_MERGE};
        const DWORD mode = rng.Pick(modes);
        RecordInput input = CorruptRecord(rng);
        SetKind(input.kind);

        OEMDMPARAM param{};
        param.cbSize = sizeof(param);
        param.pPublicDMIn = &publicDm_;
        param.pPublicDMOut = &publicDm_;
        if (plugin_ == Plugin::Ui) {
            param.pdriverobj = &env_.ui->uiObject.object;
            param.hModule = testbed::UiPlugModule();
            // The driver names the printer; that costs registry reads, so
            // only some calls carry it.
            if (rng.Chance(10)) param.hPrinter = env_.printer.get();
        } else {
            param.hModule = env_.render->module();
        }

        const Guard outGuard = rng.Chance(50) ? guard : Opposite(guard);
        if (mode == OEMDM_SIZE) {
            // Neither record may be touched: both point at inaccessible pages.
            param.pOEMDMIn = in_.Window(0, Guard::After);
            param.pOEMDMOut = out_.Window(0, Guard::Before) - 1;
            const HRESULT hr = Call(mode, &param);
            if (hr != S_OK) return "SIZE failed";
            if (param.cbBufSize != kRecord) return "SIZE answered " + std::to_string(param.cbBufSize);
            return Canaries();
        }

        // The record is the whole of a devmode's private bytes, as the
        // driver hands it over; those sizes, not the record's header, say
        // how far it may be read.
        uint8_t *window = in_.Window(sizeof(DEVMODEW) + input.bytes.size(), guard);
        auto *devmode = reinterpret_cast<DEVMODEW *>(window);
        *devmode = publicDm_;
        // A record is read at most to its own size; the longest inputs are
        // longer than a devmode can say.
        devmode->dmDriverExtra = static_cast<WORD>(input.bytes.size() < 0xFFFF ? input.bytes.size() : 0xFFFF);
        param.pPublicDMIn = devmode;
        uint8_t *in = window + sizeof(DEVMODEW);
        std::memcpy(in, input.bytes.data(), input.bytes.size());
        auto *out = reinterpret_cast<PrivateDevmode *>(out_.Window(kRecord, outGuard));
        // DEFAULT gets whatever the driver's fresh allocation held; the other
        // modes the valid record the driver holds (a conversion takes the
        // input only when its signature is the one the output holds).
        if (mode == OEMDM_DEFAULT) {
            Noise(rng, reinterpret_cast<uint8_t *>(out), kRecord);
        } else {
            const PrivateDevmode held = ValidRecord(rng);
            std::memcpy(out, &held, kRecord);
        }
        param.pOEMDMIn = in;
        param.pOEMDMOut = out;
        param.cbBufSize = kRecord;

        const HRESULT hr = Call(mode, &param);
        if (hr != S_OK) return "DevMode failed with 0x" + std::to_string(static_cast<unsigned long>(hr));
        std::string failure = Canaries();
        if (!failure.empty()) return failure;
        if (std::memcmp(in, input.bytes.data(), input.bytes.size()) != 0) return "the input record was written";

        switch (mode) {
            case OEMDM_DEFAULT: {
                const PrivateDevmode defaults = DefaultRecord();
                if (std::memcmp(out, &defaults, kRecord) != 0)
                    return "DEFAULT left " + FirstDifference(out, &defaults, kRecord);
                return CheckValidRecord(*out);
            }
            case OEMDM_CONVERT: {
                PrivateDevmode expected = ExpectedConversion(input.bytes);
                ValidatePrivateDevmode(&expected);
                if (std::memcmp(out, &expected, kRecord) != 0)
                    return "CONVERT gave " + FirstDifference(out, &expected, kRecord);
                // The driver merges a converted record before anything reads
                // it, and that must give a valid one too.
                std::vector<uint8_t> converted(reinterpret_cast<uint8_t *>(out),
                                               reinterpret_cast<uint8_t *>(out) + kRecord);
                const PrivateDevmode held = ValidRecord(rng);
                std::memcpy(out, &held, kRecord);
                param.pOEMDMIn = converted.data();
                if (Call(OEMDM_MERGE, &param) != S_OK) return "MERGE after CONVERT failed";
                failure = Canaries();
                if (!failure.empty()) return failure;
                failure = CheckValidRecord(*out);
                return failure.empty() ? failure : "CONVERT then MERGE: " + failure;
            }
            default: {
                failure = CheckValidRecord(*out);
                if (!failure.empty()) return "MERGE: " + failure;
                PrivateDevmode expected = ExpectedConversion(input.bytes);
                ValidatePrivateDevmode(&expected);
                if (std::memcmp(out, &expected, kRecord) != 0)
                    return "MERGE gave " + FirstDifference(out, &expected, kRecord);
                return {};
            }
        }
    }

private:
    HRESULT Call(DWORD mode, OEMDMPARAM *param) {
        return plugin_ == Plugin::Ui ? env_.ui->plugin->DevMode(mode, param)
                                     : env_.render->plugin()->DevMode(mode, param);
    }
    std::string Canaries() const {
        if (!in_.CanariesIntact()) return "bytes beside the input record were written";
        if (!out_.CanariesIntact()) return "bytes beside the output record were written";
        return {};
    }

    Environment &env_;
    Plugin plugin_;
    Arena in_, out_;
    DEVMODEW publicDm_{};
};

}  // namespace

std::unique_ptr<Path> MakeDevModePath(Environment &env, Plugin plugin) {
    return std::make_unique<DevModePath>(env, plugin);
}

}  // namespace stress
