#include "WaitFor.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

bool WaitFor(const std::function<bool()> &Done, int TimeoutMs)
{
    QDeadlineTimer deadline(TimeoutMs);
    QTimer tick; // wakes the wait below to look at Done again
    tick.start(10);
    while (!Done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return Done();
}
