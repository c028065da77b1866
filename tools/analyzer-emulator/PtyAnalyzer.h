#pragma once

// The analyzer emulator served on a pseudo-terminal for as long as the object
// lives, with a record of the exchange that any thread may read: for tests
// and benchmarks that run the station's side against it.

#include "AnalyzerEmulator.h"
#include "PtyRunner.h"

#include <mutex>
#include <string>
#include <vector>

namespace Emulator {

class PtyAnalyzer {
public:
    // Serves at once. Log, when given, gets the runner's log lines.
    // Throws what AnalyzerEmulator and PtyRunner throw.
    explicit PtyAnalyzer(TEmulatorConfig Config, PtyRunner::LogSink Log = {});

    // The slave side: the port the station opens.
    const std::string &Path() const { return FRunner.SlavePath(); }

    // Everything so far, in the order it happened on the line.
    std::vector<TLineEvent> Events() const;
    int Count(TLineEvent::TKind Kind) const;
    int Fetches() const { return Count(TLineEvent::TKind::Fetch); }
    int Acks() const { return Count(TLineEvent::TKind::Ack); }

    // For stopping, waiting and the vanishing fault.
    PtyRunner &Runner() { return FRunner; }

private:
    void Record(const TLineEvent &Event);

    mutable std::mutex FMutex;
    std::vector<TLineEvent> FEvents;
    AnalyzerEmulator FEmulator;
    PtyRunner FRunner; // last: stops serving before the rest goes
};

} // namespace Emulator
