// The POSIX side of one program per folder: the folder's real path, the
// peer's credentials of the local (Unix) socket; the desktop decides about
// the foreground by itself.

#include "StationInstancePlatform.h"

#include <QFileInfo>
#include <QLocalSocket>

#include <sys/socket.h>

QString FolderIdentity(const QString &Folder)
{
    return QFileInfo(Folder).canonicalFilePath();
}

qint64 LocalServerProcess(const QLocalSocket &Socket)
{
    struct ucred peer {};
    socklen_t size = sizeof peer;
    if (::getsockopt(int(Socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return 0;
    return peer.pid;
}

void LendForeground(const QLocalSocket &) {}
