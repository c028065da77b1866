// The POSIX side of the exclusive file lock: flock(2). flock locks belong to
// the open file description, so two objects of one process exclude each other
// as two processes do, and the kernel releases the lock with the last
// descriptor, however the process ended. On NFS Linux maps it to a byte-range
// lock, which the server releases too.

#include "ExclusiveFileLock.h"

#include "FileError.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

TExclusiveFileLock::TExclusiveFileLock(QString FileName) : FFileName(std::move(FileName)) {}

TExclusiveFileLock::~TExclusiveFileLock()
{
    if (FHandle >= 0)
        ::close(int(FHandle)); // releases the lock
}

TExclusiveFileLock::TResult TExclusiveFileLock::TryLock()
{
    if (FHandle >= 0)
        return TResult::Locked;
    FErrorText.clear();
    const QByteArray path = QFile::encodeName(FFileName);
    int fd;
    do
        fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        FErrorText = FileErrorCause(errno);
        return TResult::Failed;
    }
    int locked;
    do
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return TResult::HeldElsewhere;
        FErrorText = FileErrorCause(error);
        return TResult::Failed;
    }
    FHandle = fd;
    return TResult::Locked;
}
