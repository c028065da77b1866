#pragma once

// Waiting in tests on the main thread: the event loop runs (hand-offs,
// queued calls, timers, widgets) until the condition holds.

#include <functional>

// Runs the event loop until Done holds or the generous deadline passes;
// returns whether Done holds. Done is looked at again at least every 10 ms.
bool WaitFor(const std::function<bool()> &Done, int TimeoutMs = 15'000);
