// The POSIX side of reading a regular file: open(2) with O_NONBLOCK, so that
// a FIFO does not block the opening, and fstat(2) on what was opened.

#include "RegularFile.h"

#include "FileError.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool TRegularFileReader::Open(const QString &FileName)
{
    Close();
    const int fd = ::open(QFile::encodeName(FileName).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (SystemError::IsMissing(errno))
            return false;
        throw EFileError(errno);
    }
    FHandle = fd;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        Close();
        throw EFileError(error);
    }
    if (!S_ISREG(info.st_mode)) {
        Close();
        throw EFileError(S_ISDIR(info.st_mode) ? EISDIR : kNotARegularFile);
    }
    FSize = qint64(info.st_size);
    return true;
}

qint64 TRegularFileReader::Read(char *Data, qint64 Room)
{
    for (;;) {
        const ssize_t n = ::read(int(FHandle), Data, size_t(Room));
        if (n >= 0)
            return qint64(n);
        if (errno != EINTR)
            throw EFileError(errno);
    }
}

void TRegularFileReader::Close() noexcept
{
    if (FHandle >= 0)
        ::close(int(FHandle));
    FHandle = -1;
    FSize = 0;
}
