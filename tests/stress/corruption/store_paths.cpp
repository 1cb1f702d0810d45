#include "tests/stress/corruption/store_paths.h"

#include <cstring>
#include <cwchar>
#include <vector>

#include "tests/stress/corruption/record_checks.h"
#include "tests/stress/corruption/record_inputs.h"
#include "tests/stress/corruption/registry_inputs.h"
#include "tests/stress/corruption/watch.h"
#include "ui/output/output_store.h"
#include "ui/watermark/store.h"

namespace stress {
namespace {

template <typename T>
std::vector<uint8_t> BytesOf(const T &value) {
    const uint8_t *p = reinterpret_cast<const uint8_t *>(&value);
    return std::vector<uint8_t>(p, p + sizeof(T));
}

// A read that copies into the caller's block: taken, or the block untouched.
std::string CheckCopy(bool read, bool acceptable, const void *block, const void *before, const void *expected,
                      size_t size) {
    if (read && !acceptable) return "a value the reader must refuse was read";
    if (!read && acceptable) return "a readable value was refused";
    if (read && std::memcmp(block, expected, size) != 0) return "read gave " + FirstDifference(block, expected, size);
    if (!read && std::memcmp(block, before, size) != 0) return "a refused read changed the block";
    return {};
}

class WatermarkStorePath : public Path {
public:
    explicit WatermarkStorePath(Environment &env)
        : Path("watermark store"), env_(env), record_(sizeof(WatermarkRecord)) {}

    bool Start(std::string *error) override {
        list_ = CreateWindowExW(0, L"LISTBOX", L"", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
        if (!list_ || !record_.ok()) {
            *error = "no list box or no guarded memory";
            return false;
        }
        names_ = {L"Draft",
                  L"CONFIDENTIAL",
                  L"x",
                  std::wstring(127, L'N'),
                  std::wstring(128, L'M'),
                  std::wstring(255, L'L'),
                  L"\u00c4nderung \u2013 \U0001F600"};
        return true;
    }

    std::string Run(Rng &rng, Guard guard) override {
        const std::wstring &name = names_[rng.Below(names_.size())];
        Rng valid = rng;
        WatermarkRecord good = ValidRecord(valid).watermarks[0];
        RegistryValue value = CorruptValue(rng, REG_BINARY, sizeof(WatermarkRecord), BytesOf(good));
        SetKind(value.kind);
        const std::wstring key = env_.DriverKey() + L"\\Watermarks";
        if (rng.Chance(10)) {
            // The count beside the watermarks, of any type and size.
            RegistryValue count = CorruptValue(rng, REG_DWORD, sizeof(DWORD));
            WriteRegistryValue(env_.DriverKey(), L"NumberOfWaterMarks", &count);
            ReadWatermarkCount(env_.printer.get());
        }
        if (!WriteRegistryValue(key, name.c_str(), &value)) return {};  // a name the registry refuses

        auto *record = reinterpret_cast<WatermarkRecord *>(record_.Window(sizeof(WatermarkRecord), guard));
        Noise(rng, reinterpret_cast<uint8_t *>(record), sizeof(WatermarkRecord));
        WatermarkRecord before, expected;
        std::memcpy(&before, record, sizeof(before));
        std::memset(&expected, 0, sizeof(expected));
        std::memcpy(&expected, record, sizeof(expected));
        MakeDefaultWatermark(&expected);
        std::memcpy(&expected, value.data.data(),
                    value.data.size() < sizeof(expected) ? value.data.size() : sizeof(expected));

        const bool read = ReadWatermark(env_.printer.get(), record, name.c_str());
        if (!record_.CanariesIntact()) return "bytes beside the record were written";
        const bool acceptable =
            value.type == REG_BINARY && !value.data.empty() && value.data.size() <= sizeof(WatermarkRecord);
        std::string failure = CheckCopy(read, acceptable, record, &before, &expected, sizeof(expected));
        if (!failure.empty()) return failure;

        WatermarkExists(env_.printer.get(), name.c_str());
        const DWORD count = CountWatermarks(env_.printer.get());
        SendMessageW(list_, LB_RESETCONTENT, 0, 0);
        FillWatermarkList(env_.printer.get(), list_);
        const LRESULT listed = SendMessageW(list_, LB_GETCOUNT, 0, 0);
        if (listed < 0 || static_cast<DWORD>(listed) > count)
            return "the list shows " + std::to_string(listed) + " of " + std::to_string(count) + " watermarks";
        return {};
    }

private:
    Environment &env_;
    Arena record_;
    HWND list_ = nullptr;
    std::vector<std::wstring> names_;
};

class LastUserNamePath : public Path {
public:
    explicit LastUserNamePath(Environment &env) : Path("LastUserName"), env_(env), buffer_(256 * sizeof(wchar_t)) {}

    bool Start(std::string *error) override {
        if (!buffer_.ok()) *error = "no guarded memory";
        return buffer_.ok();
    }

    std::string Run(Rng &rng, Guard guard) override {
        constexpr size_t kChars = kHoldUserNameChars + 1;
        std::vector<uint8_t> good(kChars * sizeof(wchar_t), 0);
        for (size_t i = 0; i + 1 < kChars; ++i) good[i * 2] = static_cast<uint8_t>('A' + rng.Below(26));
        RegistryValue value = CorruptValue(rng, REG_SZ, good.size(), good);
        SetKind(value.kind);
        if (!WriteRegistryValue(env_.DriverKey(), L"LastUserName", &value))
            return "test host: the value could not be written";

        // The smallest buffer the reader takes, or a larger one.
        const size_t capacity = rng.Chance(70) ? kChars : kChars + rng.Below(200);
        auto *buffer = reinterpret_cast<wchar_t *>(buffer_.Window(capacity * sizeof(wchar_t), guard));
        Noise(rng, reinterpret_cast<uint8_t *>(buffer), capacity * sizeof(wchar_t));
        std::vector<wchar_t> before(buffer, buffer + capacity);

        const bool read = ReadLastUserName(env_.printer.get(), buffer, capacity);
        if (!buffer_.CanariesIntact()) return "bytes beside the name buffer were written";
        if (!read) {
            if (std::memcmp(buffer, before.data(), capacity * sizeof(wchar_t)) != 0)
                return "a refused read changed the buffer";
            if (value.type == REG_SZ && value.data.size() >= sizeof(wchar_t) && value.data.size() <= good.size())
                return "a name that fits was refused (" + std::to_string(value.data.size()) + " bytes)";
            return {};
        }
        if (value.type != REG_SZ || value.data.empty() || value.data.size() > good.size())
            return "a value the reader must refuse was read";
        const wchar_t *end = std::wmemchr(buffer, L'\0', kChars);
        if (!end) return "the name read is not terminated within a name's length";
        const size_t length = static_cast<size_t>(end - buffer);
        if (std::memcmp(buffer, value.data.data(), length * sizeof(wchar_t)) != 0)
            return "the name read is not the stored one";
        return {};
    }

private:
    Environment &env_;
    Arena buffer_;
};

class FaxInfoPath : public Path {
public:
    explicit FaxInfoPath(Environment &env) : Path("FaxInfo"), env_(env), block_(sizeof(FaxInfo)) {}

    bool Start(std::string *error) override {
        if (!block_.ok()) *error = "no guarded memory";
        return block_.ok();
    }

    std::string Run(Rng &rng, Guard guard) override {
        Rng valid = rng;
        const FaxInfo good = ValidRecord(valid).fax;
        RegistryValue value = CorruptValue(rng, REG_BINARY, sizeof(FaxInfo), BytesOf(good));
        SetKind(value.kind);
        if (!WriteRegistryValue(env_.DriverKey(), L"FaxInfo", &value))
            return "test host: the value could not be written";

        auto *fax = reinterpret_cast<FaxInfo *>(block_.Window(sizeof(FaxInfo), guard));
        Noise(rng, reinterpret_cast<uint8_t *>(fax), sizeof(FaxInfo));
        FaxInfo before;
        std::memcpy(&before, fax, sizeof(before));

        const bool read = ReadFaxInfo(env_.printer.get(), fax);
        if (!block_.CanariesIntact()) return "bytes beside the fax block were written";
        const bool acceptable = value.type == REG_BINARY && !value.data.empty() && value.data.size() <= sizeof(FaxInfo);
        if (read != acceptable)
            return read ? "a value the reader must refuse was read" : "a readable value was refused";
        if (!read) return std::memcmp(fax, &before, sizeof(before)) == 0 ? "" : "a refused read changed the block";
        // Every text ends inside its array: checked in a record around it.
        PrivateDevmode around = DefaultRecord();
        std::memcpy(&around.fax, fax, sizeof(FaxInfo));
        std::string failure = CheckStrings(around);
        if (!failure.empty()) return "fax read: " + failure;
        // Whatever the value held beyond the texts' ends is kept.
        FaxInfo expected;
        std::memset(&expected, 0, sizeof(expected));
        std::memcpy(&expected, value.data.data(), value.data.size());
        TerminateFaxTexts(&expected);
        if (std::memcmp(fax, &expected, sizeof(expected)) != 0)
            return "fax read gave " + FirstDifference(fax, &expected, sizeof(expected));
        return {};
    }

private:
    Environment &env_;
    Arena block_;
};

}  // namespace

std::unique_ptr<Path> MakeWatermarkStorePath(Environment &env) { return std::make_unique<WatermarkStorePath>(env); }
std::unique_ptr<Path> MakeLastUserNamePath(Environment &env) { return std::make_unique<LastUserNamePath>(env); }
std::unique_ptr<Path> MakeFaxInfoPath(Environment &env) { return std::make_unique<FaxInfoPath>(env); }

}  // namespace stress
