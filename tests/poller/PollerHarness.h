#pragma once

// An owner for the poller in tests: wires every event the way the main window
// does (a kept record that carries the device number in and each result out)
// and logs what happened, with a clock that tests move by hand.

#include "FixMeas.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

// A local clock that stands still until a test moves it.
class TFakeClock {
public:
    static constexpr double kSecond = 1.0 / 86400.0;
    double Now() const { return FNow.load(); }
    void Advance(double Seconds) { FNow = FNow.load() + Seconds * kSecond; }
    TLocalClock AsClock() { return [this] { return Now(); }; }

private:
    std::atomic<double> FNow{45'000.5}; // an afternoon in 2023
};

class TTestOwner {
public:
    TFixMeas Meas;
    TFixMeasResult PollState{};
    uint16_t DevNumber = 1;
    TFakeClock Clock;

    std::vector<std::string> Events;       // in order, consecutive repeats folded
    int GetDevNumberCount = 0;
    std::vector<TFixMeasResult> Puts;      // the record as each OnPutResult saw it
    int StopingCount = 0;
    bool StopError = false;

    // Extra work inside a handler, run after the logging.
    std::function<void()> AfterGetDevNumber, AfterPutResult, AfterErrorOpenPort, AfterStoping;

    TTestOwner() {
        Meas.SetClock(Clock.AsClock());
        Meas.OnStarting = [this](QObject *) { Log("Starting"); };
        Meas.OnGetDevNumber = [this](QObject *) {
            Log("GetDevNumber");
            ++GetDevNumberCount;
            PollState.DevNumber = DevNumber;
            Meas.SetMeasResult(PollState);
            if (AfterGetDevNumber)
                AfterGetDevNumber();
        };
        Meas.OnPutResult = [this](QObject *) {
            PollState = Meas.MeasResult();
            Puts.push_back(PollState);
            Log(PollState.AckPending ? "PutResult" : "PutAck");
            if (AfterPutResult)
                AfterPutResult();
        };
        Meas.OnErrorOpenPort = [this](QObject *) {
            Log("ErrorOpenPort");
            if (AfterErrorOpenPort)
                AfterErrorOpenPort();
        };
        Meas.OnStoping = [this](QObject *, bool Error) {
            Log(Error ? "Stoping(Error)" : "Stoping");
            ++StopingCount;
            StopError = Error;
            if (AfterStoping)
                AfterStoping();
        };
    }

    // Runs the event loop until Done holds or the generous deadline passes.
    template <class Pred> bool WaitFor(Pred Done, int TimeoutMs = 15'000) {
        QDeadlineTimer Deadline(TimeoutMs);
        while (!Done() && !Deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 20);
        return Done();
    }
    // The owner's way of waiting for the end: the event loop runs while Active.
    bool WaitUntilIdle(int TimeoutMs = 15'000) {
        return WaitFor([this] { return !Meas.Active(); }, TimeoutMs);
    }
    bool StopAndWait(int TimeoutMs = 15'000) {
        Meas.Stop();
        return WaitUntilIdle(TimeoutMs);
    }

private:
    void Log(const std::string &Event) {
        if (Events.empty() || Events.back() != Event)
            Events.push_back(Event);
    }
};
