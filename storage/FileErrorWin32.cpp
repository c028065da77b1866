// The Windows side of the file errors: GetLastError() numbers, with the
// same texts as on POSIX wherever the fault is the same.

#include "FileError.h"

#include <windows.h>

namespace {

// Not in every SDK's headers (Windows 8 and later).
constexpr int kDirectoryNotSupported = 336; // ERROR_DIRECTORY_NOT_SUPPORTED
constexpr int kDiskQuotaExceeded = 1295;    // ERROR_DISK_QUOTA_EXCEEDED

// The system's own description, in the language of its user interface.
QString SystemText(int ErrorCode)
{
    wchar_t text[512];
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                          DWORD(ErrorCode), 0, text, DWORD(std::size(text)), nullptr);
    QString result = QString::fromWCharArray(text, int(length)).trimmed();
    if (result.endsWith(u'.'))
        result.chop(1);
    return result.isEmpty() ? QStringLiteral("нет описания") : result;
}

} // namespace

QString FileErrorCause(int ErrorCode)
{
    switch (ErrorCode) {
    case kNotARegularFile: return NotARegularFileCause();
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case kDiskQuotaExceeded: return QStringLiteral("на диске нет места");
    case ERROR_WRITE_PROTECT: return QStringLiteral("диск защищён от записи");
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD: return QStringLiteral("нет прав доступа");
    case ERROR_FILE_READ_ONLY: return QStringLiteral("файл только для чтения");
    // Another program (Excel, a second editor) has the file open and does
    // not let others write it: the commonest cause at a station.
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return QStringLiteral("файл открыт в другой программе");
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return QStringLiteral("папка или файл не найдены");
    case kDirectoryNotSupported: return QStringLiteral("это папка, а не файл");
    case ERROR_NOT_READY: return QStringLiteral("устройство не готово (нет диска или носителя)");
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_DIRECTORY: return QStringLiteral("недопустимое имя файла или папки");
    case ERROR_FILENAME_EXCED_RANGE: return QStringLiteral("слишком длинное имя файла");
    case ERROR_FILE_TOO_LARGE: return QStringLiteral("файл слишком велик");
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT: return QStringLiteral("ошибка ввода-вывода (неисправность диска или носителя)");
    case ERROR_TOO_MANY_OPEN_FILES: return QStringLiteral("открыто слишком много файлов");
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_NETNAME_DELETED:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_NETWORK_UNREACHABLE: return QStringLiteral("сетевая папка недоступна");
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_UNIT: return QStringLiteral("устройство недоступно");
    default: return QStringLiteral("системная ошибка %1 (%2)").arg(ErrorCode).arg(SystemText(ErrorCode));
    }
}

namespace SystemError {

int Last()
{
    return int(::GetLastError());
}

int AccessDenied()
{
    return ERROR_ACCESS_DENIED;
}

int IsAFolder()
{
    return kDirectoryNotSupported;
}

bool IsMissing(int ErrorCode)
{
    return ErrorCode == ERROR_FILE_NOT_FOUND || ErrorCode == ERROR_PATH_NOT_FOUND;
}

} // namespace SystemError
