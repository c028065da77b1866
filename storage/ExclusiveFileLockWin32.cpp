// The Windows side of the exclusive file lock: LockFileEx on a byte range of
// the file. Such a lock belongs to the handle, so two objects of one process
// exclude each other as two processes do, and the system releases it when
// the handle goes, however the process ended. The range lies far beyond any
// content, so that the lock, which Windows enforces on reads and writes of
// the range, never stands in the way of one who reads the file.

#include "ExclusiveFileLock.h"

#include "FileError.h"
#include "FileHandle.h"

#include <windows.h>

namespace {

constexpr DWORD kRangeOffsetHigh = 0x7FFFFFFF;

HANDLE AsHandle(long long Handle)
{
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(Handle));
}

} // namespace

TExclusiveFileLock::TExclusiveFileLock(QString FileName) : FFileName(std::move(FileName)) {}

TExclusiveFileLock::~TExclusiveFileLock()
{
    if (FHandle >= 0)
        ::CloseHandle(AsHandle(FHandle)); // releases the lock
}

TExclusiveFileLock::TResult TExclusiveFileLock::TryLock()
{
    if (FHandle >= 0)
        return TResult::Locked;
    FErrorText.clear();
    // Others may open, read and even write the file meanwhile: only the
    // lock is exclusive.
    TFileHandle file(::CreateFileW(Win32Path(FFileName).c_str(), GENERIC_READ | GENERIC_WRITE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) {
        FErrorText = FileErrorCause(SystemError::Last());
        return TResult::Failed;
    }
    OVERLAPPED range{};
    range.OffsetHigh = kRangeOffsetHigh;
    if (!::LockFileEx(file.Get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &range)) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING)
            return TResult::HeldElsewhere;
        FErrorText = FileErrorCause(int(error));
        return TResult::Failed;
    }
    // A handle is never negative as a number (INVALID_HANDLE_VALUE is not
    // kept).
    FHandle = static_cast<long long>(reinterpret_cast<intptr_t>(file.Get()));
    file.Release();
    return TResult::Locked;
}
