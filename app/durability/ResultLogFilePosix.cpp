// The POSIX side of the result log's file: pwrite(2) and fdatasync(2), and
// the folder synced after the file is opened, for a name just made.

#include "ResultLogFile.h"

#include "DurableFile.h"
#include "ResultLog.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int TResultLogFile::Open(const QString &FileName)
{
    Close();
    const int fd = ::open(QFile::encodeName(FileName).constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return errno;
    FHandle = fd;
    DurableFile::SyncFolder(QFileInfo(FileName).absolutePath());
    return 0;
}

void TResultLogFile::Close() noexcept
{
    if (FHandle >= 0)
        ::close(int(FHandle));
    FHandle = -1;
}

int TResultLogFile::Truncate(qint64 Length)
{
    return ::ftruncate(int(FHandle), off_t(Length)) == 0 ? 0 : errno;
}

int TResultLogFile::WriteAt(qint64 Offset, QByteArrayView Bytes)
{
    qint64 written = 0;
    while (written < Bytes.size()) {
        const ssize_t n =
            ::pwrite(int(FHandle), Bytes.data() + written, size_t(Bytes.size() - written), off_t(Offset + written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        written += n;
    }
    return 0;
}

int TResultLogFile::Sync()
{
    return ::fdatasync(int(FHandle)) == 0 ? 0 : errno;
}

TJournalFileStamp TJournalFileStamp::Of(const QString &FileName)
{
    struct stat st {};
    if (::stat(QFile::encodeName(FileName).constData(), &st) != 0)
        return {};
    return {true, qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec,
            quint64(st.st_ino)};
}
