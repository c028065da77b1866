#include "DecimalRounding.h"

#include <algorithm>
#include <charconv>

std::string LongDoubleText(long double Value, std::chars_format Format, int Precision)
{
    char buffer[128];
    const std::to_chars_result written = std::to_chars(buffer, buffer + sizeof buffer, Value, Format, Precision);
    // Every character of the text but the separator is a letter or digit
    // (of the number, "e", "inf", "nan") or a sign: whatever else stands
    // there, one or more bytes, is the separator.
    std::string text;
    bool inSeparator = false;
    for (const char *c = buffer; c < written.ptr; ++c) {
        const char lower = char(*c | 0x20);
        const bool own = (*c >= '0' && *c <= '9') || (lower >= 'a' && lower <= 'z') || *c == '-' || *c == '+';
        if (!own && !inSeparator)
            text += '.';
        else if (own)
            text += *c;
        inSeparator = !own;
    }
    return text;
}

TDecimalDigits ParseScientific(std::string_view Text)
{
    const std::size_t e = Text.find_first_of("eE");
    const std::string_view significand = Text.substr(0, e);
    TDecimalDigits number;
    for (const char c : significand)
        if (c != '.')
            number.Mantissa += c;
    if (e != std::string_view::npos) {
        // from_chars takes a minus but not a plus.
        std::string_view exponent = Text.substr(e + 1);
        if (!exponent.empty() && exponent.front() == '+')
            exponent.remove_prefix(1);
        std::from_chars(exponent.data(), exponent.data() + exponent.size(), number.Exponent);
    }
    return number;
}

TRoundedDecimal RoundDecimalDigits(const TDecimalDigits &Number, int Places)
{
    const std::size_t keep = std::size_t(std::max(Places, 0));
    const std::string &mantissa = Number.Mantissa;
    std::string integer, fraction;
    if (Number.Exponent >= 0) {
        const std::size_t integerLength = std::size_t(Number.Exponent) + 1;
        integer = mantissa.substr(0, integerLength);
        integer.append(integerLength - integer.size(), '0');
        if (integerLength < mantissa.size())
            fraction = mantissa.substr(integerLength);
    } else if (-(Number.Exponent + 1) > int(keep)) {
        // Even the first digit lies beyond the one that decides the rounding.
        return {std::string(), std::string(keep, '0')};
    } else {
        fraction = std::string(std::size_t(-(Number.Exponent + 1)), '0') + mantissa;
    }

    bool carry = fraction.size() > keep && fraction[keep] >= '5';
    fraction.resize(keep, '0');
    std::string digits = integer + fraction;
    for (auto it = digits.rbegin(); carry && it != digits.rend(); ++it) {
        carry = *it == '9';
        *it = carry ? '0' : char(*it + 1);
    }
    if (carry)
        digits.insert(digits.begin(), '1');

    TRoundedDecimal rounded;
    rounded.Integer = digits.substr(0, digits.size() - keep);
    rounded.Fraction = digits.substr(digits.size() - keep);
    rounded.Integer.erase(0, rounded.Integer.find_first_not_of('0'));
    return rounded;
}
