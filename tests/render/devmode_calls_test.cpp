// The driver's GetInfo and DevMode calls through renderplug.dll, with the
// records and buffers placed against inaccessible pages so that any access
// outside them faults.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "tests/host/guarded_buffer.h"
#include "tests/host/render_host.h"

using namespace testbed;
using Guard = GuardedBuffer::Guard;

namespace {

constexpr DWORD kRecordSize = 7648;
constexpr size_t kPublicSize = sizeof(DEVMODEW);

// A devmode as the driver hands one over, laid out in `bytes`: the public
// part, `before` bytes of the driver's own, then the plug-in's `extra` bytes.
// Returns where the plug-in's bytes start.
uint8_t *LayDevmode(uint8_t *bytes, size_t before, size_t extra) {
    auto *dm = reinterpret_cast<DEVMODEW *>(bytes);
    std::memset(dm, 0, kPublicSize);
    dm->dmSize = static_cast<WORD>(kPublicSize);
    dm->dmSpecVersion = DM_SPECVERSION;
    dm->dmDriverExtra = static_cast<WORD>(before + extra);
    return bytes + kPublicSize + before;
}

class RenderDevmode : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(host.Load(&error)) << Narrow(error); }

    HRESULT Call(DWORD mode, void *in, void *out, void *publicIn = nullptr) {
        OEMDMPARAM param{};
        param.cbSize = sizeof(param);
        param.pPublicDMIn = static_cast<DEVMODEW *>(publicIn);
        param.pOEMDMIn = in;
        param.pOEMDMOut = out;
        param.cbBufSize = kRecordSize;
        return host.plugin()->DevMode(mode, &param);
    }

    // The plug-in's own defaults, written into a zeroed record.
    std::vector<uint8_t> Defaults() {
        std::vector<uint8_t> d(kRecordSize, 0);
        EXPECT_EQ(Call(OEMDM_DEFAULT, nullptr, d.data()), S_OK);
        return d;
    }

    RenderHost host;
    std::wstring error;
};

PrivateDevmode *Record(std::vector<uint8_t> &bytes) { return reinterpret_cast<PrivateDevmode *>(bytes.data()); }

}  // namespace

TEST_F(RenderDevmode, SizeTouchesNeitherRecord) {
    GuardedBuffer nothing(0);
    ASSERT_TRUE(IsNoAccess(nothing.data()));
    OEMDMPARAM param{};
    param.pOEMDMIn = nothing.data();
    param.pOEMDMOut = nothing.data();
    ASSERT_EQ(host.plugin()->DevMode(OEMDM_SIZE, &param), S_OK);
    EXPECT_EQ(param.cbBufSize, kRecordSize);
}

TEST_F(RenderDevmode, DefaultFillsExactlyTheRecord) {
    for (Guard guard : {Guard::After, Guard::Before}) {
        GuardedBuffer out(kRecordSize, guard);
        ASSERT_EQ(Call(OEMDM_DEFAULT, nullptr, out.data()), S_OK);
        auto *dm = out.as<PrivateDevmode>();
        EXPECT_EQ(dm->header.dwSize, kRecordSize);
        EXPECT_EQ(std::memcmp(&dm->header.dwSignature, "VGNP", 4), 0);
        EXPECT_EQ(dm->header.dwVersion, 10u);
        EXPECT_EQ(dm->pageSizePolicy, 2);
    }
}

TEST_F(RenderDevmode, ConvertAndMergeTakeTheRecordAndValidateIt) {
    std::vector<uint8_t> devmode(kPublicSize + kRecordSize);
    uint8_t *inBytes = LayDevmode(devmode.data(), 0, kRecordSize);
    std::vector<uint8_t> defaults = Defaults();
    std::memcpy(inBytes, defaults.data(), kRecordSize);
    auto *in = reinterpret_cast<PrivateDevmode *>(inBytes);
    in->watermarks[1].angle = 30.0;
    in->watermarks[0].angle = 200.0;
    in->outputDestination = 8;
    in->header.dwSize = 2000;  // an earlier, shorter record
    in->fax.coverPageParts = 8;  // beyond the earlier record: not taken

    for (DWORD mode : {OEMDM_CONVERT, OEMDM_MERGE}) {
        SCOPED_TRACE(mode);
        std::vector<uint8_t> out = Defaults();
        ASSERT_EQ(Call(mode, in, out.data(), devmode.data()), S_OK);
        EXPECT_EQ(Record(out)->watermarks[1].angle, 30.0);
        EXPECT_EQ(Record(out)->watermarks[0].angle, 0.0);
        EXPECT_EQ(Record(out)->outputDestination, 0u);
        EXPECT_EQ(Record(out)->fax.coverPageParts, 7u);
        EXPECT_EQ(Record(out)->header.dwSize, kRecordSize);
    }
}

// The header's size is the devmode author's word; the devmode's own sizes
// say what the caller holds. The record here claims more than that, with
// the end of the devmode against an inaccessible page.
TEST_F(RenderDevmode, ConvertReadsNoFurtherThanTheDevmodeHolds) {
    const std::vector<uint8_t> defaults = Defaults();
    for (size_t held : {size_t{0}, size_t{4}, size_t{11}, size_t{12}, size_t{700}, size_t{kRecordSize - 1}}) {
        SCOPED_TRACE(held);
        constexpr size_t kDriverOwn = 36;
        GuardedBuffer devmode(kPublicSize + kDriverOwn + held);
        ASSERT_TRUE(devmode.ok());
        uint8_t *in = LayDevmode(devmode.data(), kDriverOwn, held);
        std::vector<uint8_t> claimed = defaults;
        Record(claimed)->header.dwSize = 9000;
        Record(claimed)->watermarks[0].intensity = 55;  // at bytes 688-689: held from 700 on
        std::memcpy(in, claimed.data(), held);

        std::vector<uint8_t> out = Defaults();
        Record(out)->watermarks[0].intensity = 77;
        ASSERT_EQ(Call(OEMDM_CONVERT, in, out.data(), devmode.data()), S_OK);
        EXPECT_EQ(Record(out)->header.dwSize, kRecordSize);
        EXPECT_EQ(Record(out)->watermarks[0].intensity, held >= 700 ? 55u : 100u);
        EXPECT_EQ(Record(out)->pageSizePolicy, 2) << "the defaults beyond what was held";
    }

    // A record outside the devmode's private bytes, or no devmode: nothing
    // is read, and the defaults stand.
    std::vector<uint8_t> devmode(kPublicSize + kRecordSize);
    uint8_t *inside = LayDevmode(devmode.data(), 0, kRecordSize);
    std::memcpy(inside, defaults.data(), kRecordSize);
    reinterpret_cast<PrivateDevmode *>(inside)->watermarks[0].intensity = 55;
    GuardedBuffer nothing(0);
    struct Case {
        const char *what;
        void *in;
        void *publicIn;
    } cases[] = {{"record in the public part", devmode.data() + 8, devmode.data()},
                 {"record past the private bytes", devmode.data() + devmode.size(), devmode.data()},
                 {"no devmode", nothing.data(), nullptr}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> out = Defaults();
        Record(out)->watermarks[0].intensity = 77;
        ASSERT_EQ(Call(OEMDM_CONVERT, c.in, out.data(), c.publicIn), S_OK);
        EXPECT_EQ(Record(out)->watermarks[0].intensity, 100u);
    }
}

TEST_F(RenderDevmode, UnknownModesAndMissingBlocksFail) {
    std::vector<uint8_t> out = Defaults();
    SetLastError(0);
    EXPECT_EQ(Call(5, out.data(), out.data()), E_FAIL);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(host.plugin()->DevMode(OEMDM_SIZE, nullptr), E_FAIL);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// Records of every size from 0 to beyond the current one, with random
// contents, each the whole of its devmode's private bytes, are converted
// and merged from a devmode against an inaccessible page; the output too
// sits against one. A converted record is validated as a merged one is.
TEST_F(RenderDevmode, RecordsOfAnySizeAreReadOnlyWithinTheirSize) {
    const std::vector<uint8_t> defaults = Defaults();
    GuardedBuffer outAfter(kRecordSize, Guard::After), outBefore(kRecordSize, Guard::Before);
    ASSERT_TRUE(outAfter.ok() && outBefore.ok());
    std::mt19937 random(20240611);
    std::vector<uint8_t> expected(kRecordSize);

    for (DWORD size = 0; size <= 9000; ++size) {
        const DWORD length = size < 12 ? 12 : size;
        GuardedBuffer devmode(kPublicSize + length, size % 2 ? Guard::After : Guard::Before);
        ASSERT_TRUE(devmode.ok());
        uint8_t *in = LayDevmode(devmode.data(), 0, length);
        for (DWORD i = 0; i < length; ++i) in[i] = static_cast<uint8_t>(random());
        const bool foreign = size % 7 == 3;
        if (!foreign) std::memcpy(in + 4, "VGNP", 4);
        std::memcpy(in, &size, 4);
        GuardedBuffer &out = size % 3 ? outAfter : outBefore;

        std::memcpy(out.data(), defaults.data(), kRecordSize);
        ASSERT_EQ(Call(OEMDM_CONVERT, in, out.data(), devmode.data()), S_OK) << size;
        // A record of this signature is taken as far as it goes, the rest are
        // defaults; a foreign one leaves exact defaults.
        expected = defaults;
        if (!foreign) {
            const DWORD taken = size < kRecordSize ? size : kRecordSize;
            std::memcpy(expected.data(), in, taken);
            std::memcpy(expected.data() + 4, "VGNP", 4);
        }
        const DWORD recordSize = kRecordSize, version = 10;
        std::memcpy(expected.data(), &recordSize, 4);
        std::memcpy(expected.data() + 8, &version, 4);
        ValidatePrivateDevmode(reinterpret_cast<PrivateDevmode *>(expected.data()));
        ASSERT_EQ(std::memcmp(out.data(), expected.data(), kRecordSize), 0) << "convert, size " << size;

        std::memcpy(out.data(), defaults.data(), kRecordSize);
        ASSERT_EQ(Call(OEMDM_MERGE, in, out.data()), S_OK) << size;
        const PrivateDevmode *merged = out.as<PrivateDevmode>();
        ASSERT_EQ(merged->header.dwSize, kRecordSize);
        ASSERT_EQ(std::memcmp(&merged->header.dwSignature, "VGNP", 4), 0);
        // Whatever came in, every string now ends inside its array and every
        // enumerated value is in range.
        ASSERT_EQ(merged->outputFilePath[511], 0) << size;
        ASSERT_EQ(merged->fax.comments[1023], 0) << size;
        ASSERT_EQ(merged->watermarks[1].faceName[63], 0) << size;
        ASSERT_LE(merged->outputDestination, 7u) << size;
        ASSERT_LE(merged->pageSizePolicy, 7) << size;
        ASSERT_LE(merged->watermarks[0].position, 8u) << size;
        ASSERT_LE(merged->discardOutput, 1u) << size;
    }
}

TEST_F(RenderDevmode, GetInfoWritesOnlyIntoABufferLargeEnough) {
    for (Guard guard : {Guard::After, Guard::Before}) {
        GuardedBuffer four(4, guard), needed(sizeof(DWORD), guard);
        ASSERT_EQ(host.plugin()->GetInfo(OEMGI_GETSIGNATURE, four.data(), 4, needed.as<DWORD>()), S_OK);
        EXPECT_EQ(std::memcmp(four.data(), "VGNP", 4), 0);
        EXPECT_EQ(*needed.as<DWORD>(), 4u);
        ASSERT_EQ(host.plugin()->GetInfo(OEMGI_GETVERSION, four.data(), 4, needed.as<DWORD>()), S_OK);
        EXPECT_EQ(*four.as<DWORD>(), 10u);

        GuardedBuffer three(3, guard);
        std::memset(three.data(), 0x11, 3);
        SetLastError(0);
        EXPECT_EQ(host.plugin()->GetInfo(OEMGI_GETSIGNATURE, three.data(), 3, needed.as<DWORD>()), E_FAIL);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        EXPECT_EQ(*needed.as<DWORD>(), 4u);
        EXPECT_EQ(three.data()[0], 0x11);
    }
    DWORD needed = 0;
    SetLastError(0);
    EXPECT_EQ(host.plugin()->GetInfo(OEMGI_GETVERSION, nullptr, 4, &needed), E_FAIL);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
}

TEST_F(RenderDevmode, GetInfoRefusesOtherQuestions) {
    DWORD value = 0, needed = 0;
    SetLastError(0);
    EXPECT_EQ(host.plugin()->GetInfo(OEMGI_GETSIGNATURE, &value, 4, nullptr), E_FAIL);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(host.plugin()->GetInfo(OEMGI_GETINTERFACEVERSION, &value, 4, &needed), E_FAIL);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    // The renderer does not publish; it says so without touching the thread's error.
    SetLastError(ERROR_FILE_EXISTS);
    GuardedBuffer nothing(0);
    EXPECT_EQ(host.plugin()->GetInfo(OEMGI_GETPUBLISHERINFO, nothing.data(), 0, &needed), E_NOTIMPL);
    EXPECT_EQ(needed, 8u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
}
