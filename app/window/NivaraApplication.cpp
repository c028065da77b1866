#include "NivaraApplication.h"

#include "AppError.h"
#include "TerminationSignals.h"

#include <QSessionManager>
#include <QThread>

#include <cstdio>
#include <exception>
#include <unistd.h>

TNivaraApplication::TNivaraApplication(int &argc, char **argv) : QApplication(argc, argv) {}

TNivaraApplication::~TNivaraApplication() = default;

bool TNivaraApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        ShowApplicationError(QString::fromUtf8(error.what()));
    } catch (...) {
        ShowApplicationError(QStringLiteral("Unknown error"));
    }
    return false;
}

void TNivaraApplication::EndOnTermination(std::function<void()> EndSession)
{
    FEndSession = std::move(EndSession);
    if (!FTerminationSignals) {
        FTerminationSignals = std::make_unique<TTerminationSignals>();
        // Directly: on Windows the process may be ended as soon as the end of
        // the session has been answered, so the end in order runs inside it.
        connect(
            FTerminationSignals.get(), &TTerminationSignals::Received, this, [this] { Terminate(); },
            Qt::DirectConnection);
#ifndef QT_NO_SESSIONMANAGER
        connect(this, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) { Terminate(); });
#endif
    }
}

void TNivaraApplication::Terminate()
{
    // A second signal while the first one's end waits for the poller.
    if (FTerminating)
        return;
    FTerminating = true;
    SetApplicationErrorSink({}); // the standard error output
    // Whatever goes wrong on the way, the program still ends.
    if (FEndSession)
        RunReportingErrors(FEndSession);
    // Inside a modal box or dialog the code after it would go on as if the
    // operator had answered, which could discard work; everything that has
    // to reach the disk is there now, so the process ends on the spot. With
    // no end handler yet the window is still being built (a box of its
    // start-up is open): nothing to write, and exit() would only end that
    // box's loop and let the start-up go on.
    if (!FEndSession || QThread::currentThread()->loopLevel() > 1) {
        std::fflush(nullptr);
        ::_exit(0);
    }
    exit(0);
}
