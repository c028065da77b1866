#pragma once

// An owner for the poller in tests: wires every event the way the main window
// does (a kept record that carries the device number in and each result out)
// and logs what happened, with a clock that tests move by hand.

#include "AnalyzerPort.h"
#include "FixMeas.h"
#include "WaitFor.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

// Wraps a run's port to tell whether the device is open, from any thread.
class TWatchedPort final : public IPollPort {
public:
    TWatchedPort(std::unique_ptr<IPollPort> Inner, std::atomic<bool> &IsOpen)
        : FInner(std::move(Inner)), FIsOpen(IsOpen)
    {
    }
    void Open() override
    {
        FInner->Open();
        FIsOpen = true;
    }
    void Close() override
    {
        FInner->Close();
        FIsOpen = false;
    }
    bool Present() const override { return FInner->Present(); }
    void ClearBuffer(bool Input, bool Output) override { FInner->ClearBuffer(Input, Output); }
    int32_t Write(const void *Buffer, int32_t Count) override { return FInner->Write(Buffer, Count); }
    int32_t Read(void *Buffer, int32_t Count) override { return FInner->Read(Buffer, Count); }

private:
    std::unique_ptr<IPollPort> FInner;
    std::atomic<bool> &FIsOpen;
};

class TTestOwner {
public:
    TFixMeasResult PollState{};
    uint16_t DevNumber = 1;
    Emulator::TFakeClock Clock;

    std::vector<std::string> Events; // in order, consecutive repeats folded
    int GetDevNumberCount = 0;
    std::vector<TFixMeasResult> Puts; // the record as each OnPutResult saw it
    int StopingCount = 0;
    bool StopError = false;

    std::atomic<bool> PortOpen{false}; // the run's port, when started by StartOn
    bool PortOpenInStoping = true;

    // Extra work inside a handler, run after the logging.
    std::function<void()> AfterGetDevNumber, AfterPutResult, AfterErrorOpenPort, AfterStoping;

    // Last, so that the handlers' data outlive the component (its destruction
    // still fires OnStoping). DestroyPoller ends it early.
    std::unique_ptr<TFixMeas> Poller = std::make_unique<TFixMeas>();
    TFixMeas &Meas = *Poller;

    TTestOwner()
    {
        Meas.SetClock(Clock.AsClock());
        Meas.SetMonotonicClock(Clock.AsMonotonicClock());
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
            PortOpenInStoping = PortOpen;
            if (AfterStoping)
                AfterStoping();
        };
    }

    // Starts a run on the emulated analyzer through the real serial port.
    void StartOn(const Emulator::PtyAnalyzer &Analyzer) { StartOnPort(PortName(Analyzer)); }
    void StartOnPort(const QString &Name)
    {
        Meas.SetPort(Name);
        Meas.SetPortFactory([this](const QString &Name) -> std::unique_ptr<IPollPort> {
            return std::make_unique<TWatchedPort>(CreatePollComPort(Name), PortOpen);
        });
        Meas.Start();
    }
    void DestroyPoller() { Poller.reset(); }

    // The owner's way of waiting for the end: the event loop runs while Active.
    bool WaitUntilIdle(int TimeoutMs = 15'000)
    {
        return WaitFor([this] { return !Meas.Active(); }, TimeoutMs);
    }
    bool StopAndWait(int TimeoutMs = 15'000)
    {
        Meas.Stop();
        return WaitUntilIdle(TimeoutMs);
    }

private:
    void Log(const std::string &Event)
    {
        if (Events.empty() || Events.back() != Event)
            Events.push_back(Event);
    }
};
