#include "FileError.h"

QString NotARegularFileCause()
{
    return QStringLiteral("это не обычный файл");
}

EFileError::EFileError(int ErrorCode)
    : std::runtime_error(FileErrorCause(ErrorCode).toStdString()), FErrorCode(ErrorCode)
{
}
