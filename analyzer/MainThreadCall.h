#pragma once

#include <QObject>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

// Wakes the context thread for a waiting call. Lives on the context thread,
// so Qt drops a wake that is still queued when it is deleted.
class TMainThreadCallReceiver : public QObject {
    Q_OBJECT
public:
    explicit TMainThreadCallReceiver(std::function<void()> Serve) : FServe(std::move(Serve)) {}

public slots:
    void Serve() { FServe(); }

private:
    std::function<void()> FServe;
};

// A synchronous call from a worker thread into the main thread. The worker
// queues the call on the main thread's event loop and blocks until it has run
// there; any event loop of that thread serves it, also the nested loop of a
// modal box or dialog.
//
// The main thread may be about to wait for the worker (destruction of the
// owner) or may never run its loop again. Cancel() covers both: from then on
// calls are refused at once, and a worker already waiting is released, so the
// main thread can join the worker without serving anything.
class TMainThreadCall {
public:
    // Construct on the thread that is to run the calls.
    TMainThreadCall();
    ~TMainThreadCall();

    TMainThreadCall(const TMainThreadCall &) = delete;
    TMainThreadCall &operator=(const TMainThreadCall &) = delete;

    // Worker thread: runs Fn on the main thread and waits for it to return.
    // Returns true when Fn has run, false when the call was cancelled first
    // (then Fn has not run, or has not yet returned). An exception that
    // escapes Fn is caught on the main thread, where it must not reach Qt's
    // event dispatch, and rethrown here. One call at a time.
    bool Call(std::function<void()> Fn);

    // Main thread: refuses every further call and releases a waiting worker.
    void Cancel();

    // Main thread: a call is running right now, further down this thread's
    // stack (Fn has opened a modal loop). The worker waits for it, so the
    // main thread must not wait for the worker from here.
    bool Serving() const;

private:
    struct TState {
        std::mutex Mutex;                // guards every field below
        std::condition_variable Changed; // Done or Cancelled has been set
        std::function<void()> Pending;   // queued, not yet taken by the main thread
        bool Done = false;               // the current call has returned
        bool Cancelled = false;
        bool Serving = false;     // the main thread is inside Serve
        std::exception_ptr Error; // what escaped the current call
    };
    static void Serve(std::shared_ptr<TState> State);

    // Shared with the receiver, which Fn may destroy while it runs.
    std::shared_ptr<TState> FState;
    std::unique_ptr<TMainThreadCallReceiver> FReceiver;
};
