#include "tests/stress/corruption/profile_path.h"

#include <cstring>
#include <cwchar>
#include <vector>

#include "tests/host/fake_driver_tree.h"
#include "tests/stress/corruption/record_checks.h"
#include "tests/stress/corruption/record_inputs.h"
#include "tests/stress/corruption/registry_inputs.h"
#include "tests/stress/corruption/watch.h"
#include "ui/sheets/page_context.h"
#include "ui/profiles/item_values.h"
#include "ui/profiles/store.h"

namespace stress {
namespace {

using testbed::FakeDriverTree;

class ProfilePath : public Path {
public:
    explicit ProfilePath(Environment &env) : Path("profile load"), env_(env), context_(sizeof(PageContext)) {}

    bool Start(std::string *error) override {
        if (!context_.ok()) {
            *error = "no guarded memory";
            return false;
        }
        param_ = env_.ui->SheetParam(env_.printer.get());
        param_.pOEMDM = &driverDm_;
        MakeDefaultPrivateDevmode(&driverDm_);
        for (const OPTITEM &item : tree_.items) {
            wchar_t name[kProfileNameChars];
            ItemValueName(item, name);
            itemNames_.push_back(name);
        }
        return true;
    }

    std::string Run(Rng &rng, Guard guard) override {
        // The context as the sheet allocates it (zeroed, plain memory), here
        // against an inaccessible page on one side and canaries on the other.
        ctx_ = reinterpret_cast<PageContext *>(context_.Window(sizeof(PageContext), guard));
        std::memset(static_cast<void *>(ctx_), 0, sizeof(PageContext));
        ctx_->params = &param_;
        ctx_->driverItems = tree_.items;
        ctx_->driverItemCount = FakeDriverTree::kItemCount;

        static const wchar_t *const names[] = {L"Report", L"Draft copies", L"Q"};
        const wchar_t *name = rng.Pick(names);
        const std::wstring key = env_.DriverKey() + L"\\Profiles\\" + name;

        // The stored record: mostly a corrupted record as REG_BINARY, else a
        // value of any type and size.
        RecordInput record = CorruptRecord(rng);
        RegistryValue devData;
        if (rng.Chance(70)) {
            devData.type = REG_BINARY;
            devData.data = record.bytes;
            devData.kind = record.kind;
        } else {
            devData = CorruptValue(rng, REG_BINARY, sizeof(PrivateDevmode), record.bytes);
        }
        SetKind(devData.kind);
        WriteRegistryValue(key, kCustomDevDataValue, &devData);
        // Some of the items' values too.
        for (const std::wstring &item : itemNames_) {
            if (!rng.Chance(40)) continue;
            std::vector<uint8_t> good(4, 0);
            good[0] = static_cast<uint8_t>(rng.Below(8));
            RegistryValue v = CorruptValue(rng, rng.Chance(50) ? REG_DWORD : REG_SZ, rng.Chance(50) ? 4 : 130, good);
            WriteRegistryValue(key, item.c_str(), &v);
        }

        ctx_->work = ValidRecord(rng);
        std::wmemset(tree_.bannerText, L'B', FakeDriverTree::kBannerChars - 1);
        tree_.bannerText[FakeDriverTree::kBannerChars - 1] = L'\0';
        tree_.bannerText[FakeDriverTree::kBannerChars] = kBannerSentinel;
        env_.ui->core.updateCalls.clear();

        LoadProfile(ctx_, name, env_.printer.get());
        if (!context_.CanariesIntact()) return "bytes beside the page context were written";
        std::string failure = CheckValidRecord(ctx_->work);
        if (!failure.empty()) return "working record after loading: " + failure;
        failure = CheckItems();
        if (!failure.empty()) return failure;
        ProfileMatchesSettings(name, env_.printer.get(), ctx_);
        if (!context_.CanariesIntact()) return "bytes beside the page context were written";
        return CheckItems();
    }

private:
    static constexpr wchar_t kBannerSentinel = L'\xBEEF';

    // Every item holds a selection it offers, and the edit box's text ends
    // inside the driver's buffer.
    std::string CheckItems() const {
        for (DWORD i = 0; i < FakeDriverTree::kItemCount; ++i) {
            const OPTITEM &item = tree_.items[i];
            if (!item.pOptType || i == FakeDriverTree::kBannerText) continue;
            const OPTTYPE &type = *item.pOptType;
            LONG low = 0, high = static_cast<LONG>(type.Count) - 1;
            if (type.Type == TVOT_UDARROW) {
                low = type.pOptParam[1].IconID;
                high = static_cast<LONG>(type.pOptParam[1].lParam);
            }
            if (type.Type == TVOT_PUSHBUTTON) continue;
            if (item.Sel < low || item.Sel > high)
                return "item " + std::to_string(i) + " holds selection " + std::to_string(item.Sel);
        }
        if (tree_.bannerText[FakeDriverTree::kBannerChars] != kBannerSentinel)
            return "the edit box's text ran past the driver's buffer";
        if (!std::wmemchr(tree_.bannerText, L'\0', FakeDriverTree::kBannerChars))
            return "the edit box's text is not terminated";
        return {};
    }

    Environment &env_;
    FakeDriverTree tree_;
    OEMUIPSPARAM param_{};
    PrivateDevmode driverDm_{};
    Arena context_;
    PageContext *ctx_ = nullptr;
    std::vector<std::wstring> itemNames_;
};

}  // namespace

std::unique_ptr<Path> MakeProfilePath(Environment &env) { return std::make_unique<ProfilePath>(env); }

}  // namespace stress
