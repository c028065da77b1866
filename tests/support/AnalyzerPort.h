#pragma once

// The analyzer emulator on a line the station opens by name, and the
// station's clock, as the tests of the poller and the window use them:
//
//     TTestAnalyzer analyzer(config);     // serves at once, until destroyed
//     StartPolling(PortName(analyzer));
//     analyzer.Fetches(), .Acks(), .Events()
//     analyzer.Runner().Stop();           // no answers any more
//     Emulator::TFakeClock                // the station's clocks
//
// On POSIX the emulator serves a pseudo-terminal of its own
// (AnalyzerPortPosix.h); on Windows the far end of a null-modem pair of COM
// ports (AnalyzerPortWin32.h). CMake names the platform's header.

#include NIVARA_ANALYZER_PORT_H
