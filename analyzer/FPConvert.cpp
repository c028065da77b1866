#include "FPConvert.h"

#include <cmath>

namespace {

constexpr int kReal6Bias = 129;
constexpr int kReal6FractionBits = 39;
constexpr uint64_t kReal6FractionMask = (uint64_t{1} << kReal6FractionBits) - 1;

constexpr uint32_t kFPIntegerBit = 0x00400000;
constexpr uint32_t kFPSignBit = 0x00800000;
constexpr uint32_t kFPFractionMask = 0x003FFFFF;
constexpr int kFPFractionBits = 22;

constexpr uint8_t kFP8LowestByte = 0x7F;

// Splits a finite non-zero magnitude into an integer significand of
// `bits + 1` bits (leading one included), rounded to nearest even, and the
// exponent of that leading one.
void Normalize(long double magnitude, int bits, uint64_t &significand, int &exponent)
{
    int e = 0;
    const long double m = std::frexp(magnitude, &e); // m in [0.5, 1)
    long double scaled = std::nearbyint(std::ldexp(m, bits + 1));
    exponent = e - 1;
    if (scaled >= std::ldexp(1.0L, bits + 1)) { // rounding carried over
        scaled = std::ldexp(1.0L, bits);
        ++exponent;
    }
    significand = static_cast<uint64_t>(scaled);
}

} // namespace

Real6 Real6::FromFloat(long double value)
{
    if (!std::isfinite(value))
        throw std::range_error("Real6: not a finite number");
    Real6 r;
    if (value == 0)
        return r;
    uint64_t significand = 0;
    int exponent = 0;
    Normalize(std::fabs(value), kReal6FractionBits, significand, exponent);
    const int biased = exponent + kReal6Bias;
    if (biased > 0xFF)
        throw std::range_error("Real6: value out of range");
    if (biased < 1)
        return r; // underflow: zero
    uint64_t bits = significand & kReal6FractionMask;
    if (std::signbit(value))
        bits |= uint64_t{1} << kReal6FractionBits;
    r.Bytes[0] = static_cast<uint8_t>(biased);
    for (int i = 1; i <= 5; ++i)
        r.Bytes[i] = static_cast<uint8_t>(bits >> (8 * (i - 1)));
    return r;
}

long double Real6::ToFloat() const
{
    if (Bytes[0] == 0)
        return 0.0L; // a negative sign is lost
    uint64_t bits = 0;
    for (int i = 5; i >= 1; --i)
        bits = (bits << 8) | Bytes[i];
    const bool negative = (bits >> kReal6FractionBits) & 1;
    const uint64_t significand = (bits & kReal6FractionMask) | (uint64_t{1} << kReal6FractionBits);
    const long double magnitude =
        std::ldexp(static_cast<long double>(significand), Bytes[0] - kReal6Bias - kReal6FractionBits);
    return negative ? -magnitude : magnitude;
}

Real6 FPToReal6(uint32_t word)
{
    Real6 r;
    if (word == 0)
        return r;
    if ((word & kFPIntegerBit) == 0)
        throw EConvertError(kInvalidFPText);
    // Exponent byte read as signed, rebiased; E = +127 wraps to 0, i.e. zero.
    r.Bytes[0] = static_cast<uint8_t>((word >> 24) + 0x81);
    uint64_t bits = uint64_t{word & kFPFractionMask} << (kReal6FractionBits - kFPFractionBits);
    if (word & kFPSignBit)
        bits |= uint64_t{1} << kReal6FractionBits;
    for (int i = 1; i <= 5; ++i)
        r.Bytes[i] = static_cast<uint8_t>(bits >> (8 * (i - 1)));
    return r;
}

long double FPToFloat(uint32_t word)
{
    return FPToReal6(word).ToFloat();
}

uint32_t FP8ToFP(std::span<const uint8_t, 8> field)
{
    // Every byte passes the range test before any digit is looked at.
    for (uint8_t b : field)
        if (b < kFP8LowestByte)
            throw EConvertError(kInvalidFP8Text);
    uint32_t word = 0;
    for (int k = 7; k >= 0; --k)
        word = (word << 4) | (field[k] & 0x0F);
    return word;
}

long double FP8ToFloat(std::span<const uint8_t, 8> field)
{
    return FPToFloat(FP8ToFP(field));
}

uint32_t FloatToFP(long double value)
{
    if (!std::isfinite(value))
        throw std::range_error("FP: not a finite number");
    if (value == 0)
        return 0;
    uint64_t significand = 0;
    int exponent = 0;
    Normalize(std::fabs(value), kFPFractionBits, significand, exponent);
    if (exponent > 126) // E = +127 would read back as zero
        throw std::range_error("FP: value out of range");
    if (exponent < -128)
        return 0;
    uint32_t word = (static_cast<uint32_t>(static_cast<uint8_t>(static_cast<int8_t>(exponent))) << 24) |
                    static_cast<uint32_t>(significand); // leading one lands on bit 22
    if (std::signbit(value))
        word |= kFPSignBit;
    return word;
}

TFP8Field FPToFP8(uint32_t word, uint8_t HighNibble)
{
    TFP8Field field{};
    for (int k = 0; k < 8; ++k)
        field[k] = static_cast<uint8_t>((HighNibble & 0xF0) | ((word >> (4 * k)) & 0x0F));
    return field;
}

TFP8Field FloatToFP8(long double value, uint8_t HighNibble)
{
    return FPToFP8(FloatToFP(value), HighNibble);
}
