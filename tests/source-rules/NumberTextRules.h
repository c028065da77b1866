#pragma once

// Finds number conversions whose text follows the C library's locale
// (LC_NUMERIC): Qt sets that locale from the desktop at start-up, so on a
// Russian desktop "%.2f" writes "20,00" and strtod("3.45") reads 3. Numbers
// that matter go through std::to_chars/std::from_chars, QString::number or
// QLocale instead. A textual check: it reads code, not types.

#include <string>
#include <vector>

struct TNumberTextFinding {
    int Line = 0;     // 1-based
    std::string Rule; // what was found and why it is wrong
    std::string Text; // the line
};

std::vector<TNumberTextFinding> FindLocaleDependentNumbers(const std::string &Source);
