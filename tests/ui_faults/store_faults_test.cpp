// Every write path of the stores, run once through and then once more for
// each registry call it makes, with that call failing: what is stored
// afterwards is exactly the old state or exactly the new one, and the
// operation says which.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <iterator>

#include "tests/ui_faults/faults_fixture.h"

using namespace faults;
using testbed::FakeDriverTree;

namespace {

// NumberOfWaterMarks against the values that are there.
bool CountMatchesValues(const RegistryState &state) {
    auto driver = state.keys.find(L"");
    auto watermarks = state.keys.find(L"Watermarks");
    if (driver == state.keys.end()) return false;
    auto count = driver->second.find(L"NumberOfWaterMarks");
    size_t values = watermarks == state.keys.end() ? 0 : watermarks->second.size();
    if (count == driver->second.end()) return values == 0;
    DWORD stored = 0;
    if (count->second.data.size() != sizeof(stored)) return false;
    std::memcpy(&stored, count->second.data.data(), sizeof(stored));
    return stored == values;
}

bool Writes(const std::vector<const char *> &trace) {
    for (const char *f : trace)
        if (!std::strcmp(f, "RegSetValueExW") || !std::strcmp(f, "RegDeleteValueW") || !std::strcmp(f, "RegDeleteKeyW"))
            return true;
    return false;
}

class StoreFaults : public FaultsTest {
protected:
    // `op` once untouched (counting its calls), then once for each call with
    // that one failing. `nextOpen` is what the next use of the store does
    // first (it may finish what a failed clean-up left).
    void FailEachCall(const char *path, const std::function<bool()> &op,
                      const std::function<void()> &nextOpen = nullptr, const RegistryState *from = nullptr) {
        const RegistryState &initial_ = from ? *from : this->initial_;
        RegistryFaults registry(GetModuleHandleW(nullptr));
        ASSERT_TRUE(registry.ok());
        ASSERT_TRUE(WriteState(HKEY_CURRENT_USER, DriverKey(), initial_));
        registry.Arm(0);
        const bool through = op();
        registry.Disarm();
        const int total = registry.calls();
        const std::string calls = Summary(registry.trace());
        ASSERT_TRUE(through) << path;
        ASSERT_GT(total, 0) << path << ": no registry call was seen";
        ASSERT_TRUE(Writes(registry.trace())) << path << ": the write itself was not seen (" << calls << ")";
        const RegistryState after = ReadState(HKEY_CURRENT_USER, DriverKey());
        ASSERT_NE(after, initial_) << path << " changed nothing";
        ASSERT_TRUE(!initial_.exists || CountMatchesValues(initial_));
        EXPECT_TRUE(CountMatchesValues(after)) << path;

        int reported = 0, succeeded = 0, finishedLater = 0;
        for (int n = 1; n <= total; ++n) {
            ASSERT_TRUE(WriteState(HKEY_CURRENT_USER, DriverKey(), initial_));
            registry.Arm(n);
            const bool result = op();
            registry.Disarm();
            const std::string failed = registry.failed() ? registry.failed() : "nothing";
            EXPECT_NE(failed, "nothing") << path << ": call " << n << " was not made";
            RegistryState state = ReadState(HKEY_CURRENT_USER, DriverKey());
            if (state != initial_ && state != after && nextOpen) {
                nextOpen();
                state = ReadState(HKEY_CURRENT_USER, DriverKey());
                ++finishedLater;
            }
            const bool isOld = state == initial_, isNew = state == after;
            EXPECT_TRUE(isOld || isNew) << path << ": call " << n << " (" << failed << ") failing left"
                                        << "\n  against the old state:" << Difference(initial_, state)
                                        << "\n  against the new state:" << Difference(after, state);
            if (isOld || isNew) {
                EXPECT_EQ(result, isNew) << path << ": call " << n << " (" << failed << ") failing left the "
                                         << (isNew ? "new" : "old") << " state, but the result says "
                                         << (result ? "success" : "failure");
            }
            ++(result ? succeeded : reported);
        }
        std::printf("%-26s %3d registry calls (%s); failing each: %d reported failure, %d went through anyway, "
                    "%d finished by the next listing\n",
                    path, total, calls.c_str(), reported, succeeded, finishedLater);
    }

    std::function<void()> NextListing() {
        return [this] { ListProfiles(nullptr, printer()); };
    }
};

TEST_F(StoreFaults, WatermarkSaveOfANewName) {
    WatermarkRecord wm = Watermark(L"Fresh", L"fresh text");
    FailEachCall("watermark save (new)", [&] { return SaveWatermark(printer(), &wm); });
}

TEST_F(StoreFaults, WatermarkSaveOverAnExistingOne) {
    WatermarkRecord wm = Watermark(L"Confidential", L"changed text");
    wm.pointSize = 40;
    FailEachCall("watermark save (overwrite)", [&] { return SaveWatermark(printer(), &wm); });
}

TEST_F(StoreFaults, WatermarkRename) {
    WatermarkRecord wm = Watermark(L"Draft Two", L"text of Draft");
    FailEachCall("watermark rename", [&] { return RenameWatermark(printer(), &wm, L"Draft"); });
}

TEST_F(StoreFaults, WatermarkDelete) {
    FailEachCall("watermark delete", [&] { return DeleteWatermark(printer(), L"Confidential"); });
}

TEST_F(StoreFaults, LastUserName) {
    FailEachCall("LastUserName write", [&] { return WriteLastUserName(printer(), L"bob"); });
}

TEST_F(StoreFaults, FaxInfo) {
    FaxInfo fax = Fax(L"Grace", L"555-0199");
    FailEachCall("FaxInfo write", [&] { return WriteFaxInfo(printer(), &fax); });
}

TEST_F(StoreFaults, ProfileSave) {
    tree_[FakeDriverTree::kOrientation].Sel = 1;
    FailEachCall("profile save", [&] { return SaveProfile(tree_.items, L"Gamma", printer(), ctx_.get()); },
                 NextListing());
}

TEST_F(StoreFaults, ProfileChange) {
    tree_[FakeDriverTree::kPaperSize].Sel = 4;
    wcscpy(tree_.bannerText, L"changed");
    ctx_->work.watermarkOrder = 3;
    FailEachCall("profile change", [&] { return ReplaceProfile(tree_.items, L"Alpha", printer(), ctx_.get()); },
                 NextListing());
}

TEST_F(StoreFaults, ProfileRename) {
    FailEachCall("profile rename", [&] { return RenameProfile(L"Alpha", L"Delta", printer()); }, NextListing());
}

TEST_F(StoreFaults, ProfileDelete) {
    FailEachCall("profile delete", [&] { return DeleteProfile(L"Beta", printer()); }, NextListing());
}

// A user's first settings, copied from the default user's: all of them, or
// none, so that the next call copies them again.
TEST_F(StoreFaults, FirstSettingsFromTheDefaultUser) {
    const std::wstring defaults = L".DEFAULT\\" + DriverKey();
    RegistryState seeded = initial_;
    seeded.keys.erase(L"Profiles");  // sub-keys other than Watermarks are not copied
    for (auto it = seeded.keys.begin(); it != seeded.keys.end();)
        it = it->first.rfind(L"Profiles\\", 0) == 0 ? seeded.keys.erase(it) : std::next(it);
    ASSERT_TRUE(WriteState(HKEY_USERS, defaults, seeded));
    const RegistryState none;
    FailEachCall("first settings copy", [&] { return CopyDefaultUserSettings(printer()); }, nullptr, &none);
    uitest::DeleteTree(HKEY_USERS, defaults);
}

// A look for the factory defaults that fails must not let the settings of
// the moment overwrite them: saving never writes into an existing profile.
TEST_F(StoreFaults, SaveAfterAFailedLookLeavesTheFactoryDefaults) {
    RegistryFaults registry(GetModuleHandleW(nullptr));
    ASSERT_TRUE(registry.ok());
    tree_[FakeDriverTree::kPaperSize].Sel = 4;
    registry.ArmFunction("RegEnumKeyExW");
    const bool found = HasFactoryDefaultsProfile(printer());
    registry.Disarm();
    ASSERT_FALSE(found) << "the failed enumeration finds nothing";
    EXPECT_FALSE(SaveProfile(tree_.items, L"Factory Defaults", printer(), ctx_.get()));
    EXPECT_FALSE(SaveProfile(tree_.items, L"ALPHA", printer(), ctx_.get()));
    EXPECT_EQ(ReadState(HKEY_CURRENT_USER, DriverKey()), initial_)
        << Difference(initial_, ReadState(HKEY_CURRENT_USER, DriverKey()));
}

// What a replacement that could not clean up leaves is finished when the
// profiles are next listed: a pending key beside its profile goes, one
// without its profile takes its place; neither is ever listed.
TEST_F(StoreFaults, NextListingFinishesAReplacementLeftHalfDone) {
    const std::wstring profiles = DriverKey() + L"\\Profiles";
    RegistryState alpha = ReadState(HKEY_CURRENT_USER, profiles + L"\\Alpha");
    ASSERT_TRUE(WriteState(HKEY_CURRENT_USER, profiles + L"\\Beta.pending", alpha));
    ASSERT_TRUE(WriteState(HKEY_CURRENT_USER, profiles + L"\\Gamma.pending", alpha));
    HWND list = CreateWindowExW(0, L"LISTBOX", L"", WS_POPUP | LBS_SORT, 0, 0, 100, 100, nullptr, nullptr, nullptr,
                                nullptr);
    EXPECT_EQ(ListProfiles(list, printer()), 4u);
    EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 3) << "Alpha, Beta, Gamma";
    DestroyWindow(list);
    EXPECT_FALSE(uitest::KeyExists(HKEY_CURRENT_USER, profiles + L"\\Beta.pending"));
    EXPECT_FALSE(uitest::KeyExists(HKEY_CURRENT_USER, profiles + L"\\Gamma.pending"));
    EXPECT_NE(ReadState(HKEY_CURRENT_USER, profiles + L"\\Beta"), alpha) << "Beta keeps its own settings";
    EXPECT_EQ(ReadState(HKEY_CURRENT_USER, profiles + L"\\Gamma"), alpha);
}

}  // namespace
