#include "StationInstance.h"

#include "StationInstancePlatform.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

namespace {

const QByteArray kBringForward = "bring-forward\n";
const QByteArray kDone = "ok\n";

} // namespace

TStationInstance::TStationInstance(const QString &LogFileName, QObject *Parent)
    : QObject(Parent), FFolder(QFileInfo(LogFileName).absolutePath()), FLock(LockFileName(LogFileName))
{
}

TStationInstance::~TStationInstance() = default;

QString TStationInstance::LockFileName(const QString &LogFileName)
{
    return QFileInfo(LogFileName).dir().filePath(QStringLiteral("Nivara.lock"));
}

QString TStationInstance::ServerName(const QString &Folder)
{
    QString canonical = FolderIdentity(Folder);
    if (canonical.isEmpty())
        canonical = QDir::cleanPath(QFileInfo(Folder).absoluteFilePath());
    // The user's home stands for the user: one folder shared by two users is
    // two names, and neither can stand in the other's way.
    const QByteArray key = (canonical + QLatin1Char('\n') + QDir::homePath()).toUtf8();
    return QStringLiteral("Nivara-") +
           QString::fromLatin1(QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(24));
}

TStartVerdict TStationInstance::Claim(std::chrono::milliseconds AnswerWait)
{
    switch (FLock.TryLock()) {
    case TExclusiveFileLock::TResult::Locked:
        // Holding the lock, any socket of that name is a crashed program's.
        Listen(true);
        return TStartVerdict::Run;
    case TExclusiveFileLock::TResult::HeldElsewhere: {
        // A holder that has just ended may keep its lock a moment longer
        // (Windows frees a dead process's locks when it gets round to it):
        // while nobody answers, the lock is tried again, so that a start
        // right after a crash runs instead of reporting a silent holder.
        const QDeadlineTimer deadline(AnswerWait);
        do {
            const auto slice =
                std::min(std::chrono::milliseconds(deadline.remainingTime()), std::chrono::milliseconds(500));
            if (AskRunningOne(slice))
                return TStartVerdict::BroughtForward;
            if (FLock.TryLock() == TExclusiveFileLock::TResult::Locked) {
                Listen(true);
                return TStartVerdict::Run;
            }
        } while (!deadline.hasExpired());
        return TStartVerdict::NotAnswering;
    }
    case TExclusiveFileLock::TResult::Failed: break;
    }
    // No lock can be had here (a folder that cannot be written, where the log
    // cannot be kept either and the window says so): the socket still finds
    // a program running in it.
    if (AskRunningOne(std::min(AnswerWait, std::chrono::milliseconds(1000))))
        return TStartVerdict::BroughtForward;
    Listen(false);
    return TStartVerdict::Run;
}

bool TStationInstance::AskRunningOne(std::chrono::milliseconds Wait) const
{
    // The holder may be between taking the lock and listening: try again
    // until the wait is over.
    const QDeadlineTimer deadline(Wait);
    const QString name = ServerName(FFolder);
    do {
        QLocalSocket socket;
        socket.connectToServer(name);
        if (socket.waitForConnected(int(std::max<qint64>(deadline.remainingTime(), 1)))) {
            // Before asking: the window may be raised as soon as it is asked.
            LendForeground(socket);
            socket.write(kBringForward);
            socket.flush();
            while (!socket.canReadLine() && socket.state() == QLocalSocket::ConnectedState &&
                   socket.waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 1)))) {
            }
            if (socket.canReadLine() && socket.readLine() == kDone)
                return true;
            if (deadline.hasExpired())
                return false;
        }
        QThread::msleep(100);
    } while (!deadline.hasExpired());
    return false;
}

void TStationInstance::Listen(bool RemoveStale)
{
    const QString name = ServerName(FFolder);
    FServer = new QLocalServer(this);
    FServer->setSocketOptions(QLocalServer::UserAccessOption);
    if (RemoveStale)
        QLocalServer::removeServer(name);
    // Without the socket the program still runs; a later start then finds
    // the lock alone and says that the folder's program does not answer.
    if (!FServer->listen(name) && FServer->serverError() == QAbstractSocket::AddressInUseError && !RemoveStale) {
        QLocalServer::removeServer(name);
        FServer->listen(name);
    }
    connect(FServer, &QLocalServer::newConnection, this, &TStationInstance::Answer);
}

void TStationInstance::Answer()
{
    while (QLocalSocket *socket = FServer->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            if (socket->readLine() == kBringForward) {
                if (OnBringForward)
                    OnBringForward();
                socket->write(kDone);
                socket->flush();
            }
            socket->disconnectFromServer();
        });
    }
}
