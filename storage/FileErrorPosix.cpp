// The POSIX side of the file errors: errno numbers.

#include "FileError.h"

#include <cerrno>
#include <cstring>

QString FileErrorCause(int ErrorCode)
{
    switch (ErrorCode) {
    case kNotARegularFile: return NotARegularFileCause();
    case ENOSPC:
    case EDQUOT: return QStringLiteral("на диске нет места");
    case EROFS: return QStringLiteral("диск доступен только для чтения");
    case EACCES:
    case EPERM: return QStringLiteral("нет прав доступа");
    case ENOENT: return QStringLiteral("папка или файл не найдены");
    case ENOTDIR: return QStringLiteral("часть пути не является папкой");
    case EISDIR: return QStringLiteral("это папка, а не файл");
    case EIO: return QStringLiteral("ошибка ввода-вывода (неисправность диска или носителя)");
    case ENAMETOOLONG: return QStringLiteral("слишком длинное имя файла");
    case EFBIG: return QStringLiteral("файл слишком велик");
    case ELOOP: return QStringLiteral("слишком много символических ссылок в пути");
    case EMFILE:
    case ENFILE: return QStringLiteral("открыто слишком много файлов");
    case EBUSY:
    case ETXTBSY: return QStringLiteral("файл занят");
    case ENXIO:
    case ENODEV: return QStringLiteral("устройство недоступно");
    default:
        return QStringLiteral("системная ошибка %1 (%2)")
            .arg(ErrorCode)
            .arg(QString::fromLocal8Bit(std::strerror(ErrorCode)));
    }
}

namespace SystemError {

int Last()
{
    return errno;
}

int AccessDenied()
{
    return EACCES;
}

int IsAFolder()
{
    return EISDIR;
}

bool IsMissing(int ErrorCode)
{
    return ErrorCode == ENOENT;
}

} // namespace SystemError
