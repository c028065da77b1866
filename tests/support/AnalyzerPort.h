#pragma once

// The analyzer emulator on a pseudo-terminal, and the station's clock, as the
// tests of the poller and the window use them.

#include "FakeClock.h"
#include "PtyAnalyzer.h"

#include <QString>

// The port name the station opens to reach the emulated analyzer.
inline QString PortName(const Emulator::PtyAnalyzer &Analyzer)
{
    return QString::fromStdString(Analyzer.Path());
}
