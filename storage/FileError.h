#pragma once
// File errors as the operator reads them: the operating system's error
// number turned into a Russian cause ("на диске нет места"), for the
// journal files and for the settings file alike.

#include <QString>

#include <stdexcept>

// The cause an OS error number stands for, in Russian, ready to follow a
// colon in a message. Numbers without a text of their own give the system's
// description with the number.
QString FileErrorCause(int ErrorCode);

// The cause for a name that is a device or a pipe where a file is expected.
QString NotARegularFileCause();

// A file operation that failed with an OS error. what() is the cause (UTF-8);
// the owner of the file puts it into a message of its own.
class EFileError : public std::runtime_error {
public:
    explicit EFileError(int ErrorCode);
    int ErrorCode() const { return FErrorCode; }
    QString Cause() const { return FileErrorCause(FErrorCode); }

private:
    int FErrorCode;
};
