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

inline void Kill(QProcess &Child)
{
    Child.kill();
    Child.waitForFinished(10000);
}
