#pragma once

// The POSIX side of AnalyzerPort.h: the analyzer emulator on a
// pseudo-terminal of its own, which a test may also unplug
// (Runner().CloseLine()) or hold (THeldTerminalNumber).

#include "FakeClock.h"
#include "PtyAnalyzer.h"

#include <QString>

#include <fcntl.h>
#include <unistd.h>

using TTestAnalyzer = Emulator::PtyAnalyzer;

// The port name the station opens to reach the emulated analyzer.
inline QString PortName(const Emulator::PtyAnalyzer &Analyzer)
{
    return QString::fromStdString(Analyzer.Path());
}

// Keeps an emulator's pseudo-terminal number taken after its line vanishes,
// until released. Freed, the number goes to the next terminal anyone opens
// (another test's analyzer, with ctest -j2), and a link still naming it would
// lead a reconnecting station there, taking that analyzer in exclusive mode.
// Take it before the station opens the line, so that the station's exclusive
// mode does not keep it out; it is never read. POSIX.
class THeldTerminalNumber {
public:
    explicit THeldTerminalNumber(const Emulator::PtyAnalyzer &Analyzer)
        : FFd(::open(Analyzer.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC))
    {
    }
    ~THeldTerminalNumber() { Release(); }
    THeldTerminalNumber(const THeldTerminalNumber &) = delete;
    THeldTerminalNumber &operator=(const THeldTerminalNumber &) = delete;

    bool IsHeld() const { return FFd >= 0; }
    void Release()
    {
        if (FFd >= 0)
            ::close(FFd);
        FFd = -1;
    }

private:
    int FFd;
};
