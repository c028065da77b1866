#include "FileStamp.h"

#include <QFile>

#include <sys/stat.h>

TFileStamp FileStampOf(const QString &FileName)
{
    TFileStamp stamp;
    struct stat info {};
    if (::stat(QFile::encodeName(FileName).constData(), &info) == 0) {
        stamp.Device = uint64_t(info.st_dev);
        stamp.File = uint64_t(info.st_ino);
        stamp.Size = int64_t(info.st_size);
        stamp.ModifiedNs = int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    }
    return stamp;
}
