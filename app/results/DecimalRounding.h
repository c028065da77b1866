#pragma once

// Rounding of a number as decimal text, shared by the number field and the
// journal's result values. The digits a conversion to text wrote are
// rounded, not the binary value, so that 2.675 rounds to 2.68 as the
// operator reads it, not to 2.67 as its binary neighbour would. Plain C++.

#include <charconv>
#include <string>
#include <string_view>

// std::to_chars of a long double with a point for the decimal separator,
// whatever the C library's locale: MinGW's standard library writes a long
// double through the C library's printf, which takes the separator from
// that locale (a comma under a Russian one), where glibc's never does.
std::string LongDoubleText(long double Value, std::chars_format Format, int Precision);

// A non-negative number as its significant decimal digits: Mantissa
// "d0d1d2..." stands for d0.d1d2... times ten to the power Exponent.
struct TDecimalDigits {
    std::string Mantissa;
    int Exponent = 0;
};

// The digits of a number in scientific notation without a sign, "d.ddde±x"
// or "de±x", as printf's %e and std::to_chars write it.
TDecimalDigits ParseScientific(std::string_view Text);

// A non-negative number rounded to a number of decimals.
struct TRoundedDecimal {
    std::string Integer;  // without leading zeros; empty for zero
    std::string Fraction; // exactly the requested number of decimals
    bool IsZero() const { return Integer.empty() && Fraction.find_first_not_of('0') == std::string::npos; }
};

// Rounds half away from zero to `Places` decimals (0 or more); a carry that
// runs out of the front adds a digit, so 9.995 to 2 places is 10.00.
TRoundedDecimal RoundDecimalDigits(const TDecimalDigits &Number, int Places);
