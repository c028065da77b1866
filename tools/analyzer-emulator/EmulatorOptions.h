#pragma once

// Command line of the analyzer emulator.

#include "AnalyzerEmulator.h"

#include <string>
#include <vector>

namespace Emulator {

struct TRunOptions {
    TEmulatorConfig Config;
    std::string LinkPath; // symlink to create to the slave path
    std::string LogPath;  // frame log; standard error when empty
    bool Help = false;
};

// Parses the arguments after the program name. Throws std::invalid_argument
// with a message fit for the user for anything it cannot take.
TRunOptions ParseOptions(const std::vector<std::string> &Args);

std::string UsageText();

// The values sent when only a count is given: a plausible cow's milk.
const std::vector<double> &DefaultValues();

} // namespace Emulator
