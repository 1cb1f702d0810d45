#include "tests/stress/corruption/events_path.h"

#include <cstdio>
#include <cstring>

#include "platform/escape_codes.h"
#include "tests/host/gdi_events.h"
#include "tests/stress/corruption/record_checks.h"
#include "tests/stress/corruption/record_inputs.h"
#include "tests/stress/corruption/watch.h"
#include "tests/stress/corruption/wine_residue.h"

namespace stress {
namespace {

constexpr size_t kRecord = sizeof(PrivateDevmode);
// uiplug's escape that draws the watermark when the document asks for it.
constexpr int kDrawWatermarkEscape = 0x1000E;

class EventsPath : public Path {
public:
    explicit EventsPath(Environment &env) : Path("document events"), env_(env), in_(0x10000) {}

    bool Start(std::string *error) override {
        testbed::GdiJobOptions options;
        options.printer = env_.printerSetup;
        options.record = false;
        job_ = std::make_unique<testbed::GdiJob>(options);
        std::wstring why;
        if (!job_->Start(&why) || !job_->settings() || !job_->renderDevice() || !in_.ok()) {
            *error = "print job: " + Narrow(why);
            return false;
        }
        records_ = std::make_unique<testbed::GuardedJobRecords>(*job_->renderDevice());
        output_ = testbed::ScratchDir(L"stress_corruption") + L"\\job.ps";
        linedTextResidue_ = LinedTextResidue(env_.printerSetup, output_);
        return records_->ok();
    }

    std::string Run(Rng &rng, Guard guard) override {
        RecordInput input = CorruptRecord(rng);
        SetKind(input.kind);
        // The driver hands a job only merged records.
        uint8_t *in = in_.Window(input.bytes.size(), guard);
        std::memcpy(in, input.bytes.data(), input.bytes.size());
        PrivateDevmode merged = ValidRecord(rng);
        OEMDMPARAM param{};
        param.cbSize = sizeof(param);
        param.pOEMDMIn = in;
        param.pOEMDMOut = &merged;
        param.cbBufSize = kRecord;
        if (env_.render->plugin()->DevMode(OEMDM_MERGE, &param) != S_OK) return "MERGE failed";
        // Mostly watermarks to draw, with their texts (dynamic or not) as
        // the corruption left them; never a file destination, whose path
        // would be noise on this machine's disk.
        if (rng.Chance(85)) merged.watermarksEnabled = 1;
        if (rng.Chance(50) && merged.watermarkOrder == 0)
            merged.watermarkOrder = 1 + static_cast<uint32_t>(rng.Below(3));
        for (WatermarkRecord &wm : merged.watermarks)
            if (wm.text[0] == L'\0' && rng.Chance(70)) wm.text[0] = L'W';
        if (merged.outputDestination == DEST_FILE || merged.outputDestination == DEST_EPS)
            merged.outputDestination = DEST_PRINTER;
        std::string failure = CheckValidRecord(merged);
        if (!failure.empty()) return "merged record: " + failure;
        std::memcpy(job_->settings(), &merged, kRecord);

        if (job_->StartDocument(L"stress", output_) <= 0) return "StartDoc failed";
        const int pages = 1 + static_cast<int>(rng.Below(3));
        for (int page = 0; page < pages; ++page) {
            if (job_->StartPage() <= 0) return "StartPage failed";
            if (rng.Chance(30)) job_->Escape(kDrawWatermarkEscape, 0, nullptr, 0, nullptr);
            if (job_->EndPage() <= 0) return "EndPage failed";
        }
        if (job_->EndDoc() <= 0) return "EndDoc failed";
        ++documents_;
        // The host's recording driver and helper keep every call the hooks
        // passed on and every option query; those lists are the host's
        // memory, not the plug-ins'.
        testbed::RenderHost &host = *job_->renderDevice()->host;
        host.driverCalls.clear();
        host.driverCalls.shrink_to_fit();
        host.core().optionsCalls.clear();
        host.core().optionsCalls.shrink_to_fit();
        if (std::memcmp(job_->settings(), &merged, kRecord) != 0)
            return "the job changed its record at " + FirstDifference(job_->settings(), &merged, kRecord);
        return {};
    }

    std::string Note() const override {
        char text[256];
        snprintf(text, sizeof(text),
                 "%llu documents printed; %.1f s in the plug-ins, %.1f s of it drawing watermark text; "
                 "%ld underlined or struck-out texts drawn, %ld GDI objects each kept by Wine",
                 static_cast<unsigned long long>(documents_), job_->pluginSeconds, job_->textSeconds,
                 job_->linedTexts, linedTextResidue_);
        return text;
    }

    long WineGdiObjects() const override { return job_ ? job_->linedTexts * linedTextResidue_ : 0; }

private:
    uint64_t documents_ = 0;
    long linedTextResidue_ = 0;
    Environment &env_;
    std::unique_ptr<testbed::GdiJob> job_;
    std::unique_ptr<testbed::GuardedJobRecords> records_;
    Arena in_;
    std::wstring output_;
};

}  // namespace

std::unique_ptr<Path> MakeEventsPath(Environment &env) { return std::make_unique<EventsPath>(env); }

}  // namespace stress
