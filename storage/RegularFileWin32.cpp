// The Windows side of reading a regular file: CreateFileW, and GetFileType
// and the handle's attributes on what was opened. Opening with backup
// semantics lets a folder be opened too, so that it is named as a folder and
// not as a file the user may not read.

#include "RegularFile.h"

#include "FileError.h"
#include "FileHandle.h"

#include <windows.h>

namespace {

HANDLE AsHandle(long long Handle)
{
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(Handle));
}

} // namespace

bool TRegularFileReader::Open(const QString &FileName)
{
    Close();
    TFileHandle file(::CreateFileW(Win32Path(FileName).c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.IsOpen()) {
        const int error = SystemError::Last();
        if (SystemError::IsMissing(error))
            return false;
        throw EFileError(error);
    }
    if (::GetFileType(file.Get()) != FILE_TYPE_DISK)
        throw EFileError(kNotARegularFile);
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file.Get(), &info))
        throw EFileError::Last();
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        throw EFileError(SystemError::IsAFolder());
    FSize = qint64((quint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    FHandle = static_cast<long long>(reinterpret_cast<intptr_t>(file.Release()));
    return true;
}

qint64 TRegularFileReader::Read(char *Data, qint64 Room)
{
    DWORD read = 0;
    if (!::ReadFile(AsHandle(FHandle), Data, DWORD(std::min<qint64>(Room, 1 << 30)), &read, nullptr))
        throw EFileError::Last();
    return qint64(read);
}

void TRegularFileReader::Close() noexcept
{
    if (FHandle >= 0)
        ::CloseHandle(AsHandle(FHandle));
    FHandle = -1;
    FSize = 0;
}
