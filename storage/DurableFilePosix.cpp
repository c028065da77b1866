// The POSIX side of the durable write: a temporary file made with
// O_EXCL, fdatasync, rename(2), and fsync on the folder for the new name.

#include "DurableFile.h"

#include "DurableFilePlatform.h"
#include "FileDescriptor.h"
#include "FileError.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DurableFile {

namespace {

[[noreturn]] void ThrowErrno()
{
    throw EFileError(errno);
}

void WriteAll(int Fd, QByteArrayView Bytes)
{
    const char *p = Bytes.data();
    qsizetype left = Bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(Fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ThrowErrno();
        }
        p += n;
        left -= n;
    }
}

// A device or a pipe has no data of its own to sync.
void SyncData(int Fd, bool Regular)
{
    if (::fdatasync(Fd) != 0 && (Regular || (errno != EINVAL && errno != EROFS)))
        ThrowErrno();
}

int CreateTemp(const QString &Temp, mode_t Mode, const TOptions &Options)
{
    if (Options.RefuseTemp) {
        if (const int error = Options.RefuseTemp(Temp)) {
            errno = error;
            return -1;
        }
    }
    return ::open(QFile::encodeName(Temp).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, Mode);
}

// Writes the existing file over. The whole content is known before the file
// is touched, and its room is reserved first, so that a full disk refuses
// the write while the old content is still there.
void WriteInPlace(const QByteArray &Target, const TProduce &Produce, bool Regular)
{
    const QByteArray content = Collect(Produce);
    TFileDescriptor fd(::open(Target.constData(), O_WRONLY | O_CLOEXEC));
    if (fd.Get() < 0)
        ThrowErrno();
    if (Regular && !content.isEmpty() && ::fallocate(fd.Get(), 0, 0, off_t(content.size())) != 0 &&
        errno != EOPNOTSUPP && errno != ENOSYS && errno != EINVAL)
        ThrowErrno();
    WriteAll(fd.Get(), content);
    if (Regular && ::ftruncate(fd.Get(), off_t(content.size())) != 0)
        ThrowErrno();
    SyncData(fd.Get(), Regular);
    fd.Close();
}

} // namespace

void SyncFolder(const QString &Folder)
{
    const int fd = ::open(QFile::encodeName(Folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool NameFits(const QString &Folder, const QString &Name)
{
    const long nameMax = ::pathconf(QFile::encodeName(Folder).constData(), _PC_NAME_MAX);
    return QFile::encodeName(Name).size() <= (nameMax > 0 ? nameMax : NAME_MAX);
}

TWritten WriteFile(const QString &FileName, const TProduce &Produce, const TOptions &Options)
{
    // A link stays a link: the file it names is written.
    QString targetName = FileName;
    const QFileInfo link(FileName);
    if (link.isSymLink() && link.exists())
        targetName = link.canonicalFilePath();
    const QByteArray target = QFile::encodeName(targetName);

    struct stat old {};
    const bool existed = ::stat(target.constData(), &old) == 0;
    if (!existed && errno != ENOENT)
        ThrowErrno();
    if (existed && S_ISDIR(old.st_mode))
        throw EFileError(EISDIR);
    // A file the user may not change is not replaced behind its back either.
    if (existed && ::access(target.constData(), W_OK) != 0)
        ThrowErrno();
    // A device or a pipe cannot be replaced, only written to.
    if (existed && !S_ISREG(old.st_mode)) {
        WriteInPlace(target, Produce, false);
        return TWritten::InPlace;
    }

    const QString tempName = TempFileName(targetName);
    const QByteArray temp = QFile::encodeName(tempName);
    // What a write killed before its rename left behind.
    ::unlink(temp.constData());
    const mode_t mode = existed ? (old.st_mode & 07777) : 0666;
    const int created = CreateTemp(tempName, mode, Options);
    if (created < 0) {
        const int error = errno;
        // No right to create files in the folder, but perhaps to change this
        // one. (A leftover that could not be removed is refused the same way.)
        if (existed && (error == EACCES || error == EPERM || error == EEXIST)) {
            WriteInPlace(target, Produce, true);
            return TWritten::InPlace;
        }
        throw EFileError(error);
    }

    TFileDescriptor fd(created);
    try {
        // The mode given to open is cut by the umask; the old file's is kept whole.
        if (existed)
            ::fchmod(fd.Get(), mode);
        Produce([&fd](QByteArrayView piece) { WriteAll(fd.Get(), piece); });
        SyncData(fd.Get(), true);
        fd.Close();
        if (::rename(temp.constData(), target.constData()) != 0)
            ThrowErrno();
    } catch (...) {
        ::unlink(temp.constData());
        throw;
    }
    // The rename itself reaches the disk with the folder's entry.
    SyncFolder(QFileInfo(targetName).absolutePath());
    return TWritten::Replaced;
}

} // namespace DurableFile
