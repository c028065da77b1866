// Not a test by itself: a program that ends in order when the session ends,
// for TerminationWin32Test to end from another process as Windows does.
// Usage: session_end_child <file>
// Says "ready" once it listens. On the end of the session it goes on with
// its events for a while (as the program waits for the poller's exchange),
// then writes the event's number into <file> and ends with status 0.

#include "TerminationSignals.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: session_end_child <file>\n");
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    TTerminationSignals termination;
    QObject::connect(&termination, &TTerminationSignals::Received, [&](int Event) {
        const QDeadlineTimer busy(300);
        while (!busy.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QFile out(file);
        if (out.open(QIODevice::WriteOnly))
            out.write(QByteArray::number(Event));
        out.close();
        application.exit(0);
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return application.exec();
}
