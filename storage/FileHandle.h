#pragma once
// An open Win32 file handle that is closed with its owner, and the path the
// wide file functions take (the Windows side of FileDescriptor.h).

#include "FileError.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

#include <string>
#include <windows.h>

class TFileHandle {
public:
    explicit TFileHandle(HANDLE Handle = INVALID_HANDLE_VALUE) : FHandle(Handle) {}
    ~TFileHandle()
    {
        if (IsOpen())
            ::CloseHandle(FHandle);
    }
    TFileHandle(const TFileHandle &) = delete;
    TFileHandle &operator=(const TFileHandle &) = delete;

    HANDLE Get() const { return FHandle; }
    bool IsOpen() const { return FHandle != INVALID_HANDLE_VALUE && FHandle != nullptr; }
    // Closes now, for a write whose close can still report an error.
    // Throws EFileError.
    void Close()
    {
        const HANDLE handle = FHandle;
        FHandle = INVALID_HANDLE_VALUE;
        if (!::CloseHandle(handle))
            throw EFileError::Last();
    }
    // Hands the handle over to the caller, who closes it.
    HANDLE Release() noexcept
    {
        const HANDLE handle = FHandle;
        FHandle = INVALID_HANDLE_VALUE;
        return handle;
    }
    // Closes now, for a file being given up after a failure.
    void Abandon() noexcept
    {
        if (IsOpen())
            ::CloseHandle(FHandle);
        FHandle = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE FHandle;
};

// Path as CreateFileW and its kin take it: absolute, with backslashes, and
// behind the \\?\ prefix once it comes near MAX_PATH (a journal deep in
// folders, a long name), as Qt does for its own files. Names are UTF-16
// throughout: "C:\Молоко\Журнал 1.txt" is no problem.
inline std::wstring Win32Path(const QString &Path)
{
    QString native = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(Path).absoluteFilePath()));
    if (native.size() >= MAX_PATH - 12 && !native.startsWith(QLatin1String("\\\\?\\"))) {
        if (native.startsWith(QLatin1String("\\\\")))
            native = QLatin1String("\\\\?\\UNC\\") + native.mid(2);
        else
            native = QLatin1String("\\\\?\\") + native;
    }
    return native.toStdWString();
}
