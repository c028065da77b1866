#pragma once

// The analyzer emulator on a pseudo-terminal, with a log of the frames it
// received that tests can count while the poller runs.

#include "AnalyzerEmulator.h"
#include "PtyRunner.h"

#include <QString>

#include <chrono>
#include <mutex>
#include <string>
#include <vector>

class TEmulatedAnalyzer {
public:
    using TClock = Emulator::Clock;
    struct TFrame {
        TClock::time_point Arrived;
        uint8_t Command = 0;
        std::string Line;
    };

    explicit TEmulatedAnalyzer(Emulator::TEmulatorConfig Config)
        : FEmulator(std::move(Config), TClock::now()),
          FRunner(FEmulator, [this](const std::string &Line) { Record(Line); }) {
        FRunner.Start();
    }

    QString Path() const { return QString::fromStdString(FRunner.SlavePath()); }

    int Frames(uint8_t Command) const {
        std::lock_guard Lock(FMutex);
        int Count = 0;
        for (const TFrame &Frame : FFrames)
            Count += Frame.Command == Command;
        return Count;
    }
    int Fetches() const { return Frames(0x06); }
    int Acks() const { return Frames(0x09); }
    std::vector<TFrame> Log() const {
        std::lock_guard Lock(FMutex);
        return FFrames;
    }

private:
    // "RX 91 A0 A0 A0 06  fetch: ...": the command byte is the fifth.
    void Record(const std::string &Line) {
        const auto Now = TClock::now();
        if (Line.rfind("RX ", 0) != 0 || Line.size() < 17)
            return;
        const auto Command = uint8_t(std::stoi(Line.substr(15, 2), nullptr, 16));
        std::lock_guard Lock(FMutex);
        FFrames.push_back({Now, Command, Line});
    }

    mutable std::mutex FMutex;
    std::vector<TFrame> FFrames;
    Emulator::AnalyzerEmulator FEmulator;
    Emulator::PtyRunner FRunner; // last: stops serving before the rest goes
};
