#pragma once
// Starting instance_child (InstanceChild.cpp), built beside the tests, and
// reading what it says.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>

#include <memory>

inline std::unique_ptr<QProcess> StartInstanceChild(const QStringList &Args)
{
    auto child = std::make_unique<QProcess>();
    child->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child->start(QCoreApplication::applicationDirPath() + QStringLiteral("/instance_child"), Args);
    child->waitForStarted();
    return child;
}

// The child's next line, without its line end; empty when it ends first or
// says nothing within Ms.
inline QString NextLine(QProcess &Child, int Ms = 20000)
{
    const QDeadlineTimer deadline(Ms);
    while (!Child.canReadLine() && Child.state() != QProcess::NotRunning && !deadline.hasExpired())
        Child.waitForReadyRead(50);
    return Child.canReadLine() ? QString::fromUtf8(Child.readLine()).trimmed() : QString();
}

// Whether the child has ended within Ms. Reading its last line may already
// have seen the end, and QProcess::waitForFinished says false for a child
// that has finished before it is called.
inline bool Ended(QProcess &Child, int Ms = 10000)
{
    return Child.state() == QProcess::NotRunning || Child.waitForFinished(Ms);
}

inline void Kill(QProcess &Child)
{
    Child.kill();
    Child.waitForFinished(10000);
}
