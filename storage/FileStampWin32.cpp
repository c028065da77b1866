// The Windows side: the volume's serial number and the file index stand for
// device and inode; the last write time counts in 100 ns steps.

#include "FileStamp.h"

#include "FileHandle.h"

#include <windows.h>

TFileStamp FileStampOf(const QString &FileName)
{
    TFileStamp stamp;
    // Opened for its attributes only, shared every way: a journal open in
    // another program is still stamped.
    TFileHandle file(::CreateFileW(Win32Path(FileName).c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.IsOpen() || !::GetFileInformationByHandle(file.Get(), &info))
        return stamp;
    stamp.Device = info.dwVolumeSerialNumber;
    stamp.File = (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    stamp.Size = int64_t((uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    const uint64_t ticks = (uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
    stamp.ModifiedNs = int64_t(ticks) * 100;
    return stamp;
}
