#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <vector>

#include "settings/devmode_calls.h"
#include "settings/private_devmode.h"

namespace {

PrivateDevmode Defaults() {
    PrivateDevmode dm;
    std::memset(&dm, 0, sizeof(dm));
    MakeDefaultPrivateDevmode(&dm);
    return dm;
}

PrivateDevmode Merge(const PrivateDevmode &in) {
    PrivateDevmode out = Defaults();
    OEMDMPARAM p{};
    p.pOEMDMIn = const_cast<PrivateDevmode *>(&in);
    p.pOEMDMOut = &out;
    EXPECT_EQ(AnswerDevMode(OEMDM_MERGE, &p), S_OK);
    return out;
}

}  // namespace

TEST(PrivateDevmodeDefaults, HeaderAndFieldDefaults) {
    PrivateDevmode dm;
    std::memset(&dm, 0xAB, sizeof(dm));
    ASSERT_TRUE(MakeDefaultPrivateDevmode(&dm));
    EXPECT_EQ(dm.header.dwSize, 7648u);
    EXPECT_EQ(std::memcmp(&dm.header.dwSignature, "VGNP", 4), 0);
    EXPECT_EQ(dm.header.dwVersion, 10u);
    EXPECT_EQ(dm.pageSizePolicy, 2);
    EXPECT_EQ(dm.compensatePrinterOffsets, 1u);
    EXPECT_EQ(dm.fax.coverPageParts, 7u);
    EXPECT_STREQ(dm.watermarks[1].faceName, L"Arial");
    EXPECT_EQ(dm.watermarks[0].pointSize, 72u);
    EXPECT_EQ(dm.watermarks[0].intensity, 100);
    EXPECT_EQ(dm.watermarks[0].units, 1);
    EXPECT_EQ(dm.outputFilePath[0], 0);
    EXPECT_EQ(dm.fax.comments[0], 0);
    EXPECT_EQ(dm.color.colorThrift, 0u);
    // Nothing of what the buffer held survives, not even the fields no
    // default names.
    EXPECT_EQ(dm.watermarkOverPage, 0u);
    EXPECT_EQ(dm.profileLoaded, 0u);
    EXPECT_EQ(dm.loadedProfileName[0], 0);
}

// A fresh allocation of the driver, or a buffer holding another user's
// record, gives exactly the defaults: no string tail, profile name or padding
// byte of the old contents is left behind.
TEST(PrivateDevmodeDefaults, NothingOfTheOldContentsSurvives) {
    const PrivateDevmode zeroed = Defaults();
    PrivateDevmode dm;
    std::memset(&dm, 0xAB, sizeof(dm));
    ASSERT_TRUE(MakeDefaultPrivateDevmode(&dm));
    EXPECT_EQ(std::memcmp(&dm, &zeroed, sizeof(dm)), 0);

    PrivateDevmode held = Defaults();
    wcscpy(held.watermarks[0].name, L"CONFIDENTIAL");
    wcscpy(held.loadedProfileName, L"Team");
    held.profileLoaded = 1;
    held.watermarkOverPage = 1;
    PrivateDevmode foreign = Defaults();
    foreign.header.dwSignature = 0x12345678;
    ASSERT_TRUE(ConvertPrivateDevmode(&foreign, &held));
    EXPECT_EQ(std::memcmp(&held, &zeroed, sizeof(held)), 0);
}

TEST(PrivateDevmodeDefaults, NullPointersFailAndWriteNothing) {
    EXPECT_FALSE(MakeDefaultWatermark(nullptr));
    EXPECT_FALSE(MakeDefaultFaxInfo(nullptr));
    EXPECT_FALSE(MakeDefaultColorSettings(nullptr));
    EXPECT_FALSE(MakeDefaultPrivateDevmode(nullptr));
    EXPECT_FALSE(ValidateWatermark(nullptr));
    EXPECT_FALSE(ValidatePrivateDevmode(nullptr));
    PrivateDevmode dm = Defaults();
    EXPECT_FALSE(ConvertPrivateDevmode(nullptr, &dm));
    EXPECT_FALSE(ConvertPrivateDevmode(&dm, nullptr));
}

TEST(PrivateDevmodeConvert, ForeignSignatureGivesExactDefaults) {
    PrivateDevmode in;
    std::memset(&in, 0x5A, sizeof(in));
    in.header.dwSignature = 0x12345678;
    PrivateDevmode out = Defaults();
    out.outputDestination = 5;
    ASSERT_TRUE(ConvertPrivateDevmode(&in, &out));
    PrivateDevmode expected = Defaults();
    expected.watermarkOverPage = out.watermarkOverPage;
    std::memcpy(expected.loadedProfileName, out.loadedProfileName, sizeof(out.loadedProfileName));
    expected.profileLoaded = out.profileLoaded;
    EXPECT_EQ(std::memcmp(&expected, &out, sizeof(out)), 0);
}

TEST(PrivateDevmodeConvert, ShorterRecordKeepsPrefixAndDefaultsBeyond) {
    PrivateDevmode in = Defaults();
    std::vector<unsigned char> bytes(sizeof(in));
    std::memset(bytes.data(), 0x11, bytes.size());
    std::memcpy(bytes.data(), &in.header, sizeof(in.header));
    reinterpret_cast<PrivateDevmode *>(bytes.data())->header.dwSize = 2000;
    reinterpret_cast<PrivateDevmode *>(bytes.data())->header.dwVersion = 7;
    PrivateDevmode out = Defaults();
    ASSERT_TRUE(ConvertPrivateDevmode(reinterpret_cast<PrivateDevmode *>(bytes.data()), &out));
    const unsigned char *o = reinterpret_cast<const unsigned char *>(&out);
    for (size_t i = 12; i < 2000; ++i) ASSERT_EQ(o[i], 0x11) << "byte " << i;
    PrivateDevmode def = Defaults();
    EXPECT_EQ(std::memcmp(o + 2580, reinterpret_cast<const unsigned char *>(&def) + 2580, 4748), 0);
    EXPECT_EQ(out.header.dwSize, 7648u);
    EXPECT_EQ(out.header.dwVersion, 10u);
}

TEST(PrivateDevmodeConvert, OversizedRecordIsCutAtTheCurrentSize) {
    std::vector<unsigned char> big(9000, 0x22);
    auto *in = reinterpret_cast<PrivateDevmode *>(big.data());
    in->header.dwSize = 9000;
    in->header.dwSignature = kPrivateDevmodeSignature;
    std::vector<unsigned char> outBuf(sizeof(PrivateDevmode) + 64, 0xEE);
    auto *out = reinterpret_cast<PrivateDevmode *>(outBuf.data());
    MakeDefaultPrivateDevmode(out);
    ASSERT_TRUE(ConvertPrivateDevmode(in, out));
    for (size_t i = sizeof(PrivateDevmode); i < outBuf.size(); ++i) ASSERT_EQ(outBuf[i], 0xEE);
    EXPECT_EQ(out->header.dwSize, 7648u);
    EXPECT_EQ(out->profileLoaded, 0x22222222u);
}

TEST(PrivateDevmodeMerge, OutOfRangeValuesAreReplaced) {
    PrivateDevmode in = Defaults();
    in.watermarks[0].angle = 200.0;
    in.watermarks[1].angle = -180.0;
    in.watermarks[0].intensity = 0;
    in.watermarks[1].intensity = 101;
    in.watermarks[0].position = 9;
    in.watermarks[0].units = 2;
    in.watermarks[0].effects = 8;
    in.watermarks[1].fontStyle = 4;
    in.pageSizePolicy = 8;
    in.outputDestination = 8;
    in.fax.resolution = 1;
    in.fax.coverPageParts = 8;
    in.compensatePrinterOffsets = 2;
    in.color.balanceCyan = -6;
    in.color.balanceMagenta = -5;
    in.color.colorThrift = 3;
    in.color.correction = 4;
    in.color.rgbText = 5;
    in.watermarksEnabled = 2;
    in.watermarkOrder = 4;
    in.watermarkViaEscape = 7;
    PrivateDevmode out = Merge(in);
    EXPECT_EQ(out.watermarks[0].angle, 0.0);
    EXPECT_EQ(out.watermarks[1].angle, -180.0);
    EXPECT_EQ(out.watermarks[0].intensity, 100);
    EXPECT_EQ(out.watermarks[1].intensity, 100);
    EXPECT_EQ(out.watermarks[0].position, 0u);
    EXPECT_EQ(out.watermarks[0].units, 1);
    EXPECT_EQ(out.watermarks[0].effects, 0u);
    EXPECT_EQ(out.watermarks[1].fontStyle, 0u);
    EXPECT_EQ(out.pageSizePolicy, 2);
    EXPECT_EQ(out.outputDestination, 0u);
    EXPECT_EQ(out.fax.resolution, 0);
    EXPECT_EQ(out.fax.coverPageParts, 7u);
    EXPECT_EQ(out.compensatePrinterOffsets, 1u);
    EXPECT_EQ(out.color.balanceCyan, 0);
    EXPECT_EQ(out.color.balanceMagenta, -5);
    EXPECT_EQ(out.color.colorThrift, 0u);
    EXPECT_EQ(out.color.correction, 0u);
    EXPECT_EQ(out.color.rgbText, 0u);
    EXPECT_EQ(out.watermarksEnabled, 0u);
    EXPECT_EQ(out.watermarkOrder, 0u);
    EXPECT_EQ(out.watermarkViaEscape, 0u);
}

TEST(PrivateDevmodeMerge, UnterminatedStringsAreCut) {
    PrivateDevmode in = Defaults();
    for (auto &c : in.holdPin) c = L'3';
    for (auto &c : in.watermarks[0].faceName) c = L'F';
    for (auto &c : in.fax.comments) c = L'c';
    for (auto &c : in.outputFilePath) c = L'p';
    PrivateDevmode out = Merge(in);
    EXPECT_STREQ(out.holdPin, L"3333");
    EXPECT_EQ(wcslen(out.watermarks[0].faceName), 63u);
    EXPECT_EQ(wcslen(out.fax.comments), 1023u);
    EXPECT_EQ(wcslen(out.outputFilePath), 511u);
}

TEST(PrivateDevmodeMerge, NanAngleIsNoAngle) {
    PrivateDevmode in = Defaults();
    in.watermarks[0].angle = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(Merge(in).watermarks[0].angle, 0.0);
}

// The profile name travels in the record like any string, and whether a
// profile was loaded is a flag.
TEST(PrivateDevmodeMerge, ProfileNameIsCutAndLoadedIsAFlag) {
    PrivateDevmode in = Defaults();
    for (auto &c : in.loadedProfileName) c = L'P';
    in.profileLoaded = 0x16777217;
    PrivateDevmode out = Merge(in);
    EXPECT_EQ(wcslen(out.loadedProfileName), 127u);
    EXPECT_EQ(out.profileLoaded, 0u);
    wcscpy(in.loadedProfileName, L"Team");
    in.profileLoaded = 1;
    out = Merge(in);
    EXPECT_STREQ(out.loadedProfileName, L"Team");
    EXPECT_EQ(out.profileLoaded, 1u);
}
