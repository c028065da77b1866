#pragma once

// The analyzer's own number format and the six-byte real in which decoded
// values are kept. Everything here is a pure function without state.

#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>

// A field that does not spell a valid analyzer number. The poller catches it
// per value and stores zero instead.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr const char *kInvalidFP8Text = "Invalid FP8 format";
inline constexpr const char *kInvalidFPText = "Invalid FP format";

// Six-byte real: r0 is the exponent biased by 129 (0 means zero), r1..r5 hold
// a 39-bit fraction, least significant byte first, with the sign in the top
// bit of r5. Every value of it is exact in a double, so both directions of
// conversion are exact for every value the analyzer can send.
struct Real6 {
    std::array<uint8_t, 6> Bytes{};

    // Throws std::range_error for a magnitude of 2^127 or more and for NaN or
    // infinity. Magnitudes below 2^-128 become zero; anything that needs more
    // than 40 significant bits is rounded to nearest, ties to even.
    static Real6 FromFloat(long double value);
    long double ToFloat() const;
    double ToDouble() const { return static_cast<double>(ToFloat()); }

    bool IsZero() const { return Bytes[0] == 0; }
    // Byte-wise: two encodings of zero with different leftovers differ.
    bool operator==(const Real6 &) const = default;
};
static_assert(sizeof(Real6) == 6, "Real6 is stored as six bytes");

// An FP8 field: eight bytes in arrival order, each carrying one hexadecimal
// digit of the FP word in its low nibble, least significant digit first.
using TFP8Field = std::array<uint8_t, 8>;

// Decoders. Raise EConvertError "Invalid FP format" for a non-zero word
// without its integer bit, and (FP8 only) "Invalid FP8 format" for a byte
// below 0x7F.
Real6 FPToReal6(uint32_t word);
long double FPToFloat(uint32_t word);
uint32_t FP8ToFP(std::span<const uint8_t, 8> field);
long double FP8ToFloat(std::span<const uint8_t, 8> field);

// Encoders, the inverse of the decoders, for the emulator and for tests.
// FloatToFP rounds to the 22 fraction bits of the format (nearest, ties to
// even), gives 0 for zero and for magnitudes below 2^-128, and throws
// std::range_error for a magnitude of 2^127 or more, NaN or infinity.
uint32_t FloatToFP(long double value);
// HighNibble (its top four bits only) fills the unused half of every byte;
// the default 0x80 keeps each byte above the 0x7F floor.
TFP8Field FPToFP8(uint32_t word, uint8_t HighNibble = 0x80);
TFP8Field FloatToFP8(long double value, uint8_t HighNibble = 0x80);
