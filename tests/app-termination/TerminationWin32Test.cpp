// The end of the session and the console's interrupts on Windows: the end
// of the session arrives inside the window's answer, so that the program
// has ended in order before Windows may end the process; in this process
// and from another, as Windows sends it. Ctrl+C arrives in the event loop.
// Wine makes windows only with a display and gives console events only on
// a terminal: without them the cases say so and skip.

#include "TerminationSignals.h"
#include "WaitFor.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

#include <windows.h>

namespace {

std::vector<HWND> WindowsOf(DWORD Process, DWORD Thread = 0)
{
    struct TSearch {
        DWORD Process;
        std::vector<HWND> Found;
    } search{Process, {}};
    const auto collect = [](HWND Window, LPARAM Search) -> BOOL {
        auto &s = *reinterpret_cast<TSearch *>(Search);
        DWORD process = 0;
        ::GetWindowThreadProcessId(Window, &process);
        if (process == s.Process)
            s.Found.push_back(Window);
        return TRUE;
    };
    if (Thread)
        ::EnumThreadWindows(Thread, collect, reinterpret_cast<LPARAM>(&search));
    else
        ::EnumWindows(collect, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

// What Windows does at the end of a session: ask every top-level window,
// then tell each that the session ends.
void EndSession(const std::vector<HWND> &Windows, bool Ends, LPARAM How)
{
    for (HWND window : Windows)
        EXPECT_EQ(::SendMessageW(window, WM_QUERYENDSESSION, 0, How), TRUE) << "never stands in the way";
    for (HWND window : Windows)
        ::SendMessageW(window, WM_ENDSESSION, Ends, How);
}

TEST(TerminationWin32, TheEndOfTheSessionArrivesInsideTheWindowsAnswer)
{
    auto termination = std::make_unique<TTerminationSignals>();
    EXPECT_THROW(TTerminationSignals second, std::logic_error);
    const std::vector<HWND> windows = WindowsOf(::GetCurrentProcessId(), ::GetCurrentThreadId());
    if (windows.empty())
        GTEST_SKIP() << "no window could be made (Wine without a display)";

    std::vector<int> received;
    bool ended = false;
    QObject::connect(termination.get(), &TTerminationSignals::Received, [&](int Event) {
        // The end in order goes on with the event loop (the poller's last
        // exchange) before the answer.
        const QDeadlineTimer busy(200);
        while (!busy.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        received.push_back(Event);
        ended = true;
    });

    EndSession(windows, false, ENDSESSION_LOGOFF); // another program cancelled it
    EXPECT_TRUE(received.empty());

    // Every top-level window of the thread is told, the system's own (the
    // input method's) too; one Received for each end.
    EndSession(windows, true, ENDSESSION_LOGOFF);
    EXPECT_TRUE(ended) << "ended before the answer";
    EndSession(windows, true, 0);
    EXPECT_EQ(received, (std::vector<int>{CTRL_LOGOFF_EVENT, CTRL_SHUTDOWN_EVENT}));

    termination.reset();
    EXPECT_LT(std::count_if(windows.begin(), windows.end(), [](HWND w) { return ::IsWindow(w); }),
              std::ptrdiff_t(windows.size()))
        << "its window goes with it";
    for (HWND window : windows) {
        if (::IsWindow(window))
            ::SendMessageW(window, WM_ENDSESSION, TRUE, 0);
    }
    TTerminationSignals again; // one at a time, not one per process
}

TEST(TerminationWin32, AnotherProcessEndsInOrderBeforeItAnswers)
{
    QTemporaryDir dir;
    const QString done = dir.filePath("ended");
    QProcess child;
    // Built beside the test.
    child.start(QCoreApplication::applicationDirPath() + QStringLiteral("/session_end_child.exe"), {done});
    ASSERT_TRUE(child.waitForStarted());
    ASSERT_TRUE(WaitFor([&] { return child.canReadLine() || child.state() == QProcess::NotRunning; }));
    ASSERT_EQ(child.readLine(), "ready\r\n");
    std::vector<HWND> windows;
    WaitFor([&] { return !(windows = WindowsOf(DWORD(child.processId()))).empty(); }, 3000);
    if (windows.empty()) {
        child.kill();
        child.waitForFinished();
        GTEST_SKIP() << "no window could be made (Wine without a display)";
    }

    EndSession(windows, true, 0);
    EXPECT_TRUE(QFile::exists(done)) << "ended in order before the answer";
    ASSERT_TRUE(child.waitForFinished(10000));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0);
    QFile file(done);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray::number(CTRL_SHUTDOWN_EVENT));
}

// The console's handler runs on a thread of the system's; Received comes in
// the object's own event loop.
TEST(TerminationWin32, CtrlCArrivesInTheEventLoop)
{
    TTerminationSignals termination;
    std::vector<int> received;
    Qt::HANDLE thread = nullptr;
    QObject::connect(&termination, &TTerminationSignals::Received, [&](int Event) {
        received.push_back(Event);
        thread = QThread::currentThreadId();
    });
    if (!::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0))
        GTEST_SKIP() << "no console (Wine off a terminal): error " << ::GetLastError();
    EXPECT_TRUE(WaitFor([&] { return !received.empty(); }));
    EXPECT_EQ(received, std::vector<int>{CTRL_C_EVENT});
    EXPECT_EQ(thread, QThread::currentThreadId());
}

} // namespace
