// FP8 decoding: any eight bytes either decode to a finite number that the
// encoder maps back to the same word, or raise EConvertError; nothing else.
#include "FPConvert.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size != 8)
        return -1;
    TFP8Field field;
    std::memcpy(field.data(), data, 8);
    long double value = 0;
    uint32_t word = 0;
    try {
        word = FP8ToFP(field);
        value = FP8ToFloat(field);
    } catch (const EConvertError &) {
        return 0;
    }
    if (!std::isfinite(value) || std::fabs(value) >= std::ldexp(1.0L, 127))
        std::abort();
    const Real6 stored = Real6::FromFloat(value);
    if (stored.ToFloat() != value)
        std::abort(); // storing a decoded value must be exact
    const bool zeroWord = word == 0 || (word >> 24) == 0x7F;
    if (zeroWord ? value != 0 : (FloatToFP(value) != word || !(stored == FPToReal6(word))))
        std::abort();
    return 0;
}
