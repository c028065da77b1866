// The Windows side of one program per folder: the folder's name as the file
// system holds it (GetFinalPathNameByHandleW: links resolved, short names
// long), in one case, since Windows compares names without it; and the named
// pipe's server, which may then take the foreground.

#include "StationInstancePlatform.h"

#include "FileHandle.h"

#include <QLocalSocket>

#include <vector>
#include <windows.h>

QString FolderIdentity(const QString &Folder)
{
    // Opened for its name only; backup semantics let a folder be opened.
    const TFileHandle folder(::CreateFileW(Win32Path(Folder).c_str(), 0,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder.IsOpen())
        return {};
    // The longest path there is.
    std::vector<wchar_t> name(32768);
    const DWORD length =
        ::GetFinalPathNameByHandleW(folder.Get(), name.data(), DWORD(name.size()), FILE_NAME_NORMALIZED);
    // Where the system cannot say (Wine past MAX_PATH), the path as given,
    // which still names the folder in one case.
    const QString identity = length > 0 && length < name.size() ? QString::fromWCharArray(name.data(), int(length))
                                                                : QString::fromStdWString(Win32Path(Folder));
    return identity.toCaseFolded();
}

qint64 LocalServerProcess(const QLocalSocket &Socket)
{
    ULONG process = 0;
    const auto pipe = reinterpret_cast<HANDLE>(Socket.socketDescriptor());
    if (Socket.socketDescriptor() == -1 || !::GetNamedPipeServerProcessId(pipe, &process))
        return 0;
    return process;
}

void LendForeground(const QLocalSocket &Socket)
{
    if (const qint64 process = LocalServerProcess(Socket))
        ::AllowSetForegroundWindow(DWORD(process));
}
