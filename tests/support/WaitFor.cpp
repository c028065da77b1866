#include "WaitFor.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

bool WaitFor(const std::function<bool()> &Done, int TimeoutMs)
{
    QDeadlineTimer deadline(TimeoutMs);
    QTimer tick; // wakes the wait below to look at Done again
    tick.start(10);
    while (!Done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return Done();
}

TWatchdog::TWatchdog(std::chrono::milliseconds Limit, const char *Message)
    : FThread([this, Limit, Message] {
        std::unique_lock lock(FMutex);
        if (!FDoneChanged.wait_for(lock, Limit, [this] { return FDone; })) {
            std::fprintf(stderr, "hang: %s\n", Message);
            std::abort();
        }
    })
{
}

TWatchdog::~TWatchdog()
{
    {
        std::lock_guard lock(FMutex);
        FDone = true;
    }
    FDoneChanged.notify_all();
    FThread.join();
}
