#include "tests/stress/corruption/record_inputs.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "tests/stress/corruption/record_fields.h"

namespace stress {
namespace {

constexpr size_t kRecord = sizeof(PrivateDevmode);

void PutU32(std::vector<uint8_t> &b, size_t offset, uint32_t v) {
    if (offset + 4 <= b.size()) std::memcpy(b.data() + offset, &v, 4);
}

void FillText(Rng &rng, wchar_t *text, size_t chars, bool terminate) {
    const size_t length = terminate ? rng.Below(chars) : chars;
    for (size_t i = 0; i < length; ++i) {
        switch (rng.Below(4)) {
            case 0:
                text[i] = static_cast<wchar_t>(0xD800 + rng.Below(0x800));
                break;  // lone surrogates
            case 1:
                text[i] = static_cast<wchar_t>(1 + rng.Below(0xFFFF));
                break;
            default:
                text[i] = static_cast<wchar_t>(L' ' + rng.Below(95));
                break;
        }
    }
    if (terminate) text[length] = L'\0';
}

std::vector<uint8_t> Bytes(const PrivateDevmode &dm, size_t length) {
    std::vector<uint8_t> b(length, 0);
    std::memcpy(b.data(), &dm, length < kRecord ? length : kRecord);
    return b;
}

// A value a number field can hold that its readers may never have seen.
uint32_t OddValue(Rng &rng) {
    static const uint32_t values[] = {2,      3,       4,          5,          6,          7,         8,      9,
                                      10,     100,     0x7F,       0x80,       0xFF,       0x100,     0x7FFF, 0x8000,
                                      0xFFFF, 0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFE, 0xFFFFFFFF};
    return rng.Chance(70) ? rng.Pick(values) : rng.U32();
}

double OddDouble(Rng &rng) {
    static const double values[] = {std::numeric_limits<double>::quiet_NaN(),
                                    -std::numeric_limits<double>::quiet_NaN(),
                                    std::numeric_limits<double>::signaling_NaN(),
                                    std::numeric_limits<double>::infinity(),
                                    -std::numeric_limits<double>::infinity(),
                                    std::numeric_limits<double>::max(),
                                    -std::numeric_limits<double>::max(),
                                    std::numeric_limits<double>::denorm_min(),
                                    -0.0,
                                    180.0,
                                    -180.0,
                                    180.00000000001,
                                    -180.00000000001,
                                    1e300,
                                    -1e300,
                                    2147483648.0,
                                    -2147483649.0,
                                    1e9,
                                    -1e9};
    if (rng.Chance(80)) return rng.Pick(values);
    uint64_t bits = rng.Next();
    double d;
    std::memcpy(&d, &bits, sizeof(d));
    return d;
}

void CorruptStrings(Rng &rng, PrivateDevmode &dm) {
    const size_t n = 1 + rng.Below(5);
    for (size_t i = 0; i < n; ++i) {
        const StringField &f = kStringFields[rng.Below(kStringFieldCount)];
        wchar_t *text = reinterpret_cast<wchar_t *>(reinterpret_cast<uint8_t *>(&dm) + f.offset);
        FillText(rng, text, f.chars, /*terminate=*/false);
    }
}

void CorruptNumbers(Rng &rng, PrivateDevmode &dm) {
    const size_t n = 1 + rng.Below(8);
    for (size_t i = 0; i < n; ++i) {
        const NumberField &f = kNumberFields[rng.Below(kNumberFieldCount)];
        const uint32_t v = OddValue(rng);
        std::memcpy(reinterpret_cast<uint8_t *>(&dm) + f.offset, &v, f.width);
    }
}

void CorruptDoubles(Rng &rng, PrivateDevmode &dm) {
    const size_t n = 1 + rng.Below(6);
    for (size_t i = 0; i < n; ++i) {
        const double v = OddDouble(rng);
        std::memcpy(reinterpret_cast<uint8_t *>(&dm) + kDoubleFields[rng.Below(kDoubleFieldCount)].offset, &v, 8);
    }
}

void FlipBits(Rng &rng, std::vector<uint8_t> &b) {
    const size_t n = 1 + rng.Below(64);
    for (size_t i = 0; i < n; ++i) b[rng.Below(b.size())] ^= static_cast<uint8_t>(1u << rng.Below(8));
}

// The header variants: the signature matches or not, dwSize below the
// header, inside the record, exactly it, beyond it; any version.
void CorruptHeader(Rng &rng, std::vector<uint8_t> &b) {
    static const uint32_t sizes[] = {0,    1,    4,    8,    11,   12,      13,         24,         727,
                                     728,  1432, 2000, 2580, 7327, 7328,    7387,       7643,       7644,
                                     7647, 7648, 7649, 7652, 8192, 0x10000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
    static const uint32_t versions[] = {0, 1, 9, 10, 11, 0xFFFF, 0xFFFFFFFF};
    const uint32_t size = rng.Chance(80) ? rng.Pick(sizes) : rng.U32();
    // What a reader may take of the record: the buffer always holds that.
    const size_t readable = size < 12 ? 12 : (size > kRecord ? kRecord : size);
    b.resize(size > kRecord && size <= 0x10000 ? size : readable, 0);
    PutU32(b, 0, size);
    switch (rng.Below(5)) {
        case 0:
            break;  // the signature stays
        case 1:
            PutU32(b, 4, 0);
            break;
        case 2:
            PutU32(b, 4, kPrivateDevmodeSignature ^ (1u << rng.Below(32)));
            break;
        case 3:
            PutU32(b, 4, rng.U32());
            break;
        case 4:
            std::memcpy(b.data() + 4, "PNGV", 4);
            break;  // the bytes reversed
    }
    PutU32(b, 8, rng.Chance(70) ? rng.Pick(versions) : rng.U32());
}

}  // namespace

void Noise(Rng &rng, uint8_t *bytes, size_t count) {
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        uint64_t v = rng.Next();
        std::memcpy(bytes + i, &v, 8);
    }
    for (; i < count; ++i) bytes[i] = static_cast<uint8_t>(rng.Next());
}

PrivateDevmode DefaultRecord() {
    PrivateDevmode dm;
    std::memset(&dm, 0, sizeof(dm));
    MakeDefaultPrivateDevmode(&dm);
    return dm;
}

PrivateDevmode ValidRecord(Rng &rng) {
    PrivateDevmode dm = DefaultRecord();
    dm.watermarksEnabled = static_cast<uint32_t>(rng.Below(2));
    dm.watermarkOrder = static_cast<uint32_t>(rng.Below(4));
    dm.watermarkOverPage = static_cast<uint32_t>(rng.Below(2));
    for (WatermarkRecord &wm : dm.watermarks) {
        FillText(rng, wm.name, 32, true);
        FillText(rng, wm.text, 40, true);
        wm.angle = static_cast<double>(static_cast<int>(rng.Below(361)) - 180);
        wm.pointSize = static_cast<uint32_t>(8 + rng.Below(200));
        wm.position = static_cast<uint32_t>(rng.Below(9));
        wm.intensity = static_cast<uint16_t>(1 + rng.Below(100));
        wm.effects = static_cast<uint32_t>(rng.Below(8));
        wm.fontStyle = static_cast<uint32_t>(rng.Below(4));
    }
    dm.outputDestination = static_cast<uint32_t>(rng.Below(8));
    FillText(rng, dm.holdUserName, 25, true);
    FillText(rng, dm.fax.comments, 200, true);
    FillText(rng, dm.loadedProfileName, 40, true);
    dm.profileLoaded = static_cast<uint32_t>(rng.Below(2));
    dm.color.balanceCyan = static_cast<int32_t>(rng.Below(11)) - 5;
    return dm;
}

RecordInput CorruptRecord(Rng &rng) {
    RecordInput in;
    PrivateDevmode dm = ValidRecord(rng);
    switch (rng.Below(10)) {
        case 0: {
            in.kind = "random bytes";
            in.bytes.resize(12 + rng.Below(9000));
            Noise(rng, in.bytes.data(), in.bytes.size());
            // Mostly a record of this signature, so that readers take it.
            if (rng.Chance(60)) std::memcpy(in.bytes.data() + 4, &kPrivateDevmodeSignature, 4);
            if (rng.Chance(60)) {
                const uint32_t size = static_cast<uint32_t>(in.bytes.size() < kRecord ? in.bytes.size() : kRecord);
                PutU32(in.bytes, 0, size);
            } else if (in.bytes.size() < kRecord) {
                PutU32(in.bytes, 0, static_cast<uint32_t>(rng.Below(in.bytes.size() + 1)));
            }
            break;
        }
        case 1:
            in.kind = "bit flips";
            in.bytes = Bytes(dm, kRecord);
            FlipBits(rng, in.bytes);
            // A flip in dwSize beyond the buffer would claim bytes the caller
            // does not have; those claims are the header variants' business.
            if (reinterpret_cast<PrivateDevmode *>(in.bytes.data())->header.dwSize > kRecord)
                PutU32(in.bytes, 0, kRecord);
            break;
        case 2: {
            in.kind = "truncated";
            const uint32_t size = static_cast<uint32_t>(rng.Below(kRecord));
            in.bytes = Bytes(dm, size < 12 ? 12 : size);
            PutU32(in.bytes, 0, size);
            break;
        }
        case 3: {
            in.kind = "extended";
            const uint32_t size = static_cast<uint32_t>(kRecord + 1 + rng.Below(12000));
            in.bytes = Bytes(dm, size);
            Noise(rng, in.bytes.data() + kRecord, size - kRecord);
            PutU32(in.bytes, 0, size);
            break;
        }
        case 4:
            in.kind = "header";
            in.bytes = Bytes(dm, kRecord);
            CorruptHeader(rng, in.bytes);
            break;
        case 5:
            in.kind = "unterminated strings";
            CorruptStrings(rng, dm);
            in.bytes = Bytes(dm, kRecord);
            break;
        case 6:
            in.kind = "out-of-range values";
            CorruptNumbers(rng, dm);
            in.bytes = Bytes(dm, kRecord);
            break;
        case 7:
            in.kind = "NaN and infinite doubles";
            CorruptDoubles(rng, dm);
            in.bytes = Bytes(dm, kRecord);
            break;
        default:
            in.kind = "mixed";
            CorruptStrings(rng, dm);
            CorruptNumbers(rng, dm);
            CorruptDoubles(rng, dm);
            in.bytes = Bytes(dm, kRecord);
            FlipBits(rng, in.bytes);
            if (rng.Chance(30))
                CorruptHeader(rng, in.bytes);
            else
                PutU32(in.bytes, 0, kRecord);
            break;
    }
    return in;
}

}  // namespace stress
