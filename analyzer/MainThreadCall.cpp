#include "MainThreadCall.h"

#include <QMetaObject>

#include <utility>

TMainThreadCall::TMainThreadCall() : FState(std::make_shared<TState>())
{
    FReceiver = std::make_unique<TMainThreadCallReceiver>([State = FState] { Serve(State); });
}

TMainThreadCall::~TMainThreadCall()
{
    Cancel();
    // Destroyed from inside a call (its owner went away in a handler): the
    // receiver is still in its slot, so it goes once that has returned.
    if (FState->Serving)
        FReceiver.release()->deleteLater();
}

bool TMainThreadCall::Call(std::function<void()> Fn)
{
    {
        std::lock_guard Lock(FState->Mutex);
        if (FState->Cancelled)
            return false;
        FState->Pending = std::move(Fn);
        FState->Done = false;
        FState->Error = nullptr;
    }
    // The queued slot only wakes the main thread; the call itself stays in the
    // shared state, so a wake that is dropped or comes late does no harm.
    // (Queued by name: nothing crosses the threads but what the mutex guards.
    // The pointer-to-member form would share a slot object between the threads
    // whose reference count Qt keeps out of the thread sanitizer's sight.)
    QMetaObject::invokeMethod(FReceiver.get(), "Serve", Qt::QueuedConnection);

    std::unique_lock Lock(FState->Mutex);
    FState->Changed.wait(Lock, [this] { return FState->Done || FState->Cancelled; });
    const bool Ran = FState->Done;
    FState->Pending = nullptr;
    if (Ran && FState->Error)
        std::rethrow_exception(std::exchange(FState->Error, nullptr));
    return Ran;
}

void TMainThreadCall::Cancel()
{
    {
        std::lock_guard Lock(FState->Mutex);
        FState->Cancelled = true;
        FState->Pending = nullptr;
    }
    FState->Changed.notify_all();
}

bool TMainThreadCall::Serving() const
{
    std::lock_guard Lock(FState->Mutex);
    return FState->Serving;
}

// State by value: Fn may destroy the receiver that holds the other copy.
void TMainThreadCall::Serve(std::shared_ptr<TState> State)
{
    std::function<void()> Fn;
    {
        std::lock_guard Lock(State->Mutex);
        if (State->Cancelled || !State->Pending)
            return;
        Fn = std::exchange(State->Pending, nullptr);
        State->Serving = true;
    }
    // Runs unlocked: Fn may open a modal loop, or cancel this very channel.
    std::exception_ptr Error;
    try {
        Fn();
    } catch (...) {
        Error = std::current_exception();
    }
    {
        std::lock_guard Lock(State->Mutex);
        State->Error = std::move(Error);
        State->Done = true;
        State->Serving = false;
    }
    State->Changed.notify_all();
}
