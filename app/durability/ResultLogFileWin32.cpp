// The Windows side of the result log's file: WriteFile at an offset and
// FlushFileBuffers, which on NTFS also commits the file's new name and size.
// The log is shared for reading only: another program (or a second copy of
// this one) cannot write into it or delete it while it is open.

#include "ResultLogFile.h"

#include "FileHandle.h"
#include "ResultLog.h"

#include <windows.h>

namespace {

HANDLE AsHandle(long long Handle)
{
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(Handle));
}

// FILETIME counts 100 ns from 1 January 1601; the stamp counts nanoseconds
// from 1970, as on POSIX.
constexpr qint64 kFileTimeTo1970 = 116444736000000000;

} // namespace

int TResultLogFile::Open(const QString &FileName)
{
    Close();
    const HANDLE file = ::CreateFileW(Win32Path(FileName).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return int(::GetLastError());
    FHandle = static_cast<long long>(reinterpret_cast<intptr_t>(file));
    return 0;
}

void TResultLogFile::Close() noexcept
{
    if (FHandle >= 0)
        ::CloseHandle(AsHandle(FHandle));
    FHandle = -1;
}

int TResultLogFile::Truncate(qint64 Length)
{
    LARGE_INTEGER end{};
    end.QuadPart = Length;
    if (!::SetFilePointerEx(AsHandle(FHandle), end, nullptr, FILE_BEGIN) || !::SetEndOfFile(AsHandle(FHandle)))
        return int(::GetLastError());
    return 0;
}

int TResultLogFile::WriteAt(qint64 Offset, QByteArrayView Bytes)
{
    qint64 written = 0;
    while (written < Bytes.size()) {
        // On a handle opened for ordinary (synchronous) writes, the offset
        // in OVERLAPPED says where, as pwrite's does.
        OVERLAPPED at{};
        const quint64 offset = quint64(Offset + written);
        at.Offset = DWORD(offset);
        at.OffsetHigh = DWORD(offset >> 32);
        DWORD n = 0;
        if (!::WriteFile(AsHandle(FHandle), Bytes.data() + written,
                         DWORD(std::min<qint64>(Bytes.size() - written, 1 << 30)), &n, &at))
            return int(::GetLastError());
        if (n == 0)
            return ERROR_DISK_FULL;
        written += n;
    }
    return 0;
}

int TResultLogFile::Sync()
{
    return ::FlushFileBuffers(AsHandle(FHandle)) ? 0 : int(::GetLastError());
}

TJournalFileStamp TJournalFileStamp::Of(const QString &FileName)
{
    // Opened for its attributes only: a journal open in Excel still has a stamp.
    const TFileHandle file(::CreateFileW(Win32Path(FileName).c_str(), 0,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.IsOpen() || !::GetFileInformationByHandle(file.Get(), &info))
        return {};
    const qint64 written =
        qint64((quint64(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime);
    return {true, qint64((quint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow), (written - kFileTimeTo1970) * 100,
            (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}
