#include "MainThreadCall.h"
#include "WaitFor.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

namespace {

TEST(MainThreadCall, RunsOnTheMainThreadAndWaitsForIt)
{
    TMainThreadCall Channel;
    QThread *RanOn = nullptr;
    std::atomic<bool> Returned{false};
    bool Ran = false;
    std::thread Worker([&] {
        Ran = Channel.Call([&] {
            QThread::msleep(50); // the worker must still be waiting afterwards
            RanOn = QThread::currentThread();
        });
        Returned = true;
    });
    ASSERT_TRUE(WaitFor([&] { return Returned.load(); }));
    Worker.join();
    EXPECT_TRUE(Ran);
    EXPECT_EQ(RanOn, QCoreApplication::instance()->thread());
}

TEST(MainThreadCall, IsServedByANestedLoop)
{
    TMainThreadCall Channel;
    int CallsInModal = 0;
    bool InModal = false;
    std::atomic<bool> Finished{false};
    std::thread Worker;
    // The nested loop stands for a modal box opened by an event handler; the
    // worker's calls must go through while it is open.
    QTimer::singleShot(0, [&] {
        QEventLoop Modal;
        Worker = std::thread([&] {
            for (int i = 0; i < 3; ++i)
                Channel.Call([&] { CallsInModal += InModal; });
            // By name: the functor form builds its call object here, inside
            // the uninstrumented Qt, which the thread sanitizer reports.
            QMetaObject::invokeMethod(&Modal, "quit", Qt::QueuedConnection);
            Finished = true;
        });
        QTimer::singleShot(10'000, &Modal, &QEventLoop::quit);
        InModal = true;
        Modal.exec();
        InModal = false;
    });
    ASSERT_TRUE(WaitFor([&] { return Finished.load(); }));
    Worker.join();
    EXPECT_EQ(CallsInModal, 3);
}

TEST(MainThreadCall, CancelReleasesAWaitingWorkerAndRefusesLaterCalls)
{
    TMainThreadCall Channel;
    std::atomic<bool> Started{false};
    bool FirstRan = true, SecondRan = true, AnyRan = false;
    std::thread Worker([&] {
        Started = true;
        FirstRan = Channel.Call([&] { AnyRan = true; });
        SecondRan = Channel.Call([&] { AnyRan = true; });
    });
    // The main thread serves nothing, as when it waits for the worker.
    while (!Started)
        std::this_thread::yield();
    QThread::msleep(50);
    Channel.Cancel();
    Worker.join();
    QCoreApplication::processEvents(); // a stale wake finds nothing to run
    EXPECT_FALSE(FirstRan);
    EXPECT_FALSE(SecondRan);
    EXPECT_FALSE(AnyRan);
}

TEST(MainThreadCall, AnExceptionReachesTheWorkerNotTheEventLoop)
{
    TMainThreadCall Channel;
    std::atomic<bool> Returned{false};
    std::string Caught;
    std::thread Worker([&] {
        try {
            Channel.Call([] { throw std::runtime_error("handler failed"); });
        } catch (const std::exception &E) {
            Caught = E.what();
        }
        Returned = true;
    });
    ASSERT_TRUE(WaitFor([&] { return Returned.load(); }));
    Worker.join();
    EXPECT_EQ(Caught, "handler failed");
}

} // namespace
