#pragma once

// Waiting in tests on the main thread: the event loop runs (hand-offs,
// queued calls, timers, widgets) until the condition holds.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Runs the event loop until Done holds or the generous deadline passes;
// returns whether Done holds. Done is looked at again at least every 10 ms.
bool WaitFor(const std::function<bool()> &Done, int TimeoutMs = 15'000);

// For a step that would hang when the fault is there: unless destroyed
// within Limit, ends the whole test program with Message, so that the hang
// is reported by name instead of by the test runner's time-out.
class TWatchdog {
public:
    TWatchdog(std::chrono::milliseconds Limit, const char *Message);
    ~TWatchdog();
    TWatchdog(const TWatchdog &) = delete;
    TWatchdog &operator=(const TWatchdog &) = delete;

private:
    std::mutex FMutex; // guards FDone
    std::condition_variable FDoneChanged;
    bool FDone = false;
    std::thread FThread;
};
