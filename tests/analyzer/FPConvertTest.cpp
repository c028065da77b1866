#include "FPConvert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

struct FP8Case {
    const char *name;
    TFP8Field field;
    uint32_t word;
    long double value; // ignored when error is set
    const char *error; // expected EConvertError text, or nullptr
};

const FP8Case kFP8Cases[] = {
    {"One", {0x80, 0x80, 0x80, 0x80, 0x80, 0x84, 0x80, 0x80}, 0x00400000, 1.0L, nullptr},
    {"Three", {0x80, 0x80, 0x80, 0x80, 0x80, 0x86, 0x81, 0x80}, 0x01600000, 3.0L, nullptr},
    {"FatOf345", {0x86, 0x86, 0x86, 0x86, 0x8E, 0x86, 0x81, 0x80}, 0x016E6666, 3.44999980926513671875L, nullptr},
    {"MinusThreeQuarters", {0x80, 0x80, 0x80, 0x80, 0x80, 0x8E, 0x8F, 0x8F}, 0xFFE00000, -0.75L, nullptr},
    {"Zero", {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80}, 0, 0.0L, nullptr},
    {"ExponentPlus127IsZero", {0x80, 0x80, 0x80, 0x80, 0x80, 0x84, 0x8F, 0x87}, 0x7F400000, 0.0L, nullptr},
    {"All7F", {0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F, 0x7F}, 0xFFFFFFFF, -0.99999988079071044921875L, nullptr},
    {"NoIntegerBit", {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x81, 0x80}, 0x01000000, 0, kInvalidFPText},
    {"ByteBelow7F", {0x80, 0x80, 0x80, 0x80, 0x80, 0x7E, 0x80, 0x80}, 0, 0, kInvalidFP8Text},
    // Further edge cases of the format.
    {"ZeroDigitsUnderAnyHighNibbles", {0xF0, 0xA0, 0x90, 0xB0, 0xC0, 0xF0, 0xE0, 0xD0}, 0, 0.0L, nullptr},
    {"HighNibblesIgnored", {0xF0, 0xA0, 0x90, 0xB0, 0xC0, 0xF4, 0xE0, 0xD0}, 0x00400000, 1.0L, nullptr},
    {"SignOnlyIsMalformed", {0x80, 0x80, 0x80, 0x80, 0x80, 0x88, 0x80, 0x80}, 0x00800000, 0, kInvalidFPText},
    {"ExponentPlus127NegativeIsZero", {0x8F, 0x80, 0x80, 0x80, 0x80, 0x8C, 0x8F, 0x87}, 0x7FC0000F, 0.0L, nullptr},
    {"SmallestMagnitude",
     {0x80, 0x80, 0x80, 0x80, 0x80, 0x84, 0x80, 0x88},
     0x80400000,
     std::ldexp(1.0L, -128),
     nullptr},
    {"LargestMagnitude",
     {0x8F, 0x8F, 0x8F, 0x8F, 0x8F, 0x87, 0x8E, 0x87},
     0x7E7FFFFF,
     std::ldexp(static_cast<long double>(0x7FFFFF), 126 - 22),
     nullptr},
    {"LastByteBelow7F", {0x80, 0x80, 0x80, 0x80, 0x80, 0x84, 0x80, 0x00}, 0, 0, kInvalidFP8Text},
    // The range test comes first even when the digits also spell a bad word.
    {"RangeTestBeforeWordTest", {0x7E, 0x80, 0x80, 0x80, 0x80, 0x80, 0x81, 0x80}, 0, 0, kInvalidFP8Text},
};

class FP8DecodeTest : public ::testing::TestWithParam<FP8Case> {};

TEST_P(FP8DecodeTest, DecodesOrRejects)
{
    const FP8Case &c = GetParam();
    if (c.error) {
        try {
            FP8ToFloat(c.field);
            FAIL() << "no error raised";
        } catch (const EConvertError &e) {
            EXPECT_STREQ(e.what(), c.error);
        }
        return;
    }
    EXPECT_EQ(FP8ToFP(c.field), c.word);
    const long double v = FP8ToFloat(c.field);
    EXPECT_EQ(v, c.value);
    EXPECT_FALSE(std::signbit(v) && v == 0) << "zero must come out positive";
    // The same number through Real6 and a double, both exact.
    EXPECT_EQ(FPToReal6(c.word).ToFloat(), c.value);
    EXPECT_EQ(static_cast<long double>(FPToReal6(c.word).ToDouble()), c.value);
}

INSTANTIATE_TEST_SUITE_P(Table, FP8DecodeTest, ::testing::ValuesIn(kFP8Cases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(FPConvert, Real6BytesOfDecodedValues)
{
    // 1.0: exponent 129, empty fraction, sign clear.
    EXPECT_EQ(FPToReal6(0x00400000).Bytes, (std::array<uint8_t, 6>{0x81, 0, 0, 0, 0, 0}));
    // -0.75: E = -1 -> 128; fraction 0x200000 << 17 = bit 38; sign in bit 39.
    EXPECT_EQ(FPToReal6(0xFFE00000).Bytes, (std::array<uint8_t, 6>{0x80, 0, 0, 0, 0, 0xC0}));
    // Zero and E = +127 both have the zero exponent byte.
    EXPECT_EQ(FPToReal6(0).Bytes[0], 0);
    EXPECT_EQ(FPToReal6(0x7F400000).Bytes[0], 0);
}

TEST(FPConvert, Real6RoundTripsEveryKindOfValue)
{
    const long double values[] = {1.0L,
                                  -1.0L,
                                  20.0L,
                                  1028.0L,
                                  3.44999980926513671875L,
                                  -0.52L,
                                  0.1L,
                                  std::ldexp(1.0L, -128),
                                  std::ldexp(1.0L, 126) * 1.5L};
    for (long double v : values) {
        const Real6 r = Real6::FromFloat(v);
        const long double back = r.ToFloat();
        // Exact for anything with at most 40 significant bits, within half
        // a unit of the 39-bit fraction otherwise.
        EXPECT_NEAR(static_cast<double>(back), static_cast<double>(v), std::fabs(static_cast<double>(v)) * 0x1p-40)
            << static_cast<double>(v);
        EXPECT_EQ(Real6::FromFloat(back), r);
    }
    EXPECT_EQ(Real6::FromFloat(3.44999980926513671875L), FPToReal6(0x016E6666));
    EXPECT_EQ(Real6::FromFloat(-0.0L), Real6{});
    EXPECT_EQ(Real6::FromFloat(std::ldexp(1.0L, -130)), Real6{}) << "underflow is zero";
    EXPECT_THROW(Real6::FromFloat(std::ldexp(1.0L, 127)), std::range_error);
    EXPECT_THROW(Real6::FromFloat(NAN), std::range_error);
    EXPECT_THROW(Real6::FromFloat(INFINITY), std::range_error);
}

TEST(FPConvert, Real6ZeroExponentIgnoresOtherBytes)
{
    Real6 r;
    r.Bytes = {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(r.ToFloat(), 0.0L);
    EXPECT_FALSE(std::signbit(r.ToFloat()));
}

TEST(FPConvert, EncoderInvertsDecoder)
{
    const uint32_t words[] = {0x00400000, 0x01600000, 0x016E6666, 0xFFE00000, 0x80400000, 0x7E7FFFFF, 0x0A404000};
    for (uint32_t w : words) {
        EXPECT_EQ(FloatToFP(FPToFloat(w)), w) << std::hex << w;
        EXPECT_EQ(FP8ToFP(FPToFP8(w)), w) << std::hex << w;
    }
    EXPECT_EQ(FloatToFP(0.0L), 0u);
    // The analyzer's 3.45 is the nearest word to 3.45, the one of the sample reply.
    EXPECT_EQ(FloatToFP(3.45L), 0x016E6666u);
    EXPECT_EQ(FloatToFP8(1.0L), (TFP8Field{0x80, 0x80, 0x80, 0x80, 0x80, 0x84, 0x80, 0x80}));
    EXPECT_EQ(FPToFP8(0x00400000, 0xF7), (TFP8Field{0xF0, 0xF0, 0xF0, 0xF0, 0xF0, 0xF4, 0xF0, 0xF0}));
    // Rounding that carries into the exponent: just below 2.0 rounds up to it.
    EXPECT_EQ(FloatToFP(2.0L - std::ldexp(1.0L, -30)), 0x01400000u);
    EXPECT_THROW(FloatToFP(std::ldexp(1.0L, 127)), std::range_error);
    EXPECT_THROW(FloatToFP(NAN), std::range_error);
}

} // namespace
