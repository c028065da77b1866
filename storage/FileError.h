#pragma once
// File errors as the operator reads them: the operating system's error
// number turned into a Russian cause ("на диске нет места"), for the
// journal files and for the settings file alike.
//
// An error number is the platform's own: errno on POSIX, GetLastError() on
// Windows. The texts are the same on both, so the operator reads the same
// cause for the same fault. The platform's side is in a file of its own.

#include <QString>

#include <stdexcept>

// The program's own number for a name that is a device or a pipe where a
// regular file is expected; no system number means that.
inline constexpr int kNotARegularFile = -1;

// The cause an error number stands for, in Russian, ready to follow a colon
// in a message. Numbers without a text of their own give the system's
// description with the number.
QString FileErrorCause(int ErrorCode);

// The cause for a name that is a device or a pipe where a file is expected.
QString NotARegularFileCause();

// The platform's numbers for what the program's own logic decides or asks.
namespace SystemError {
// The last error of the calling thread.
int Last();
// No right to do it (EACCES; ERROR_ACCESS_DENIED).
int AccessDenied();
// A folder where a file is expected (EISDIR; ERROR_DIRECTORY_NOT_SUPPORTED).
int IsAFolder();
// No file or folder of that name (ENOENT; ERROR_FILE_NOT_FOUND and
// ERROR_PATH_NOT_FOUND).
bool IsMissing(int ErrorCode);
} // namespace SystemError

// A file operation that failed with an OS error. what() is the cause (UTF-8);
// the owner of the file puts it into a message of its own.
class EFileError : public std::runtime_error {
public:
    explicit EFileError(int ErrorCode);
    // The calling thread's last system error.
    static EFileError Last() { return EFileError(SystemError::Last()); }
    int ErrorCode() const { return FErrorCode; }
    QString Cause() const { return FileErrorCause(FErrorCode); }

private:
    int FErrorCode;
};
