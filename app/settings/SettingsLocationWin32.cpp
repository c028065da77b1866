// The Windows side of where the settings live. The user's rights are asked
// of the system itself: a folder is writable when a file can be made in it
// (a probe, made and gone at once), a file when it can be opened for
// writing. QFileInfo looks at the read-only attribute only, and a program
// folder under C:\Program Files has none; its access control list is what
// keeps an ordinary user out. The user's own folder is %APPDATA%\Nivara
// (roaming, so that the settings follow the user between the station's
// computers), and the journals named without a folder go to the user's
// Documents.

#include "SettingsLocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <atomic>
#include <shlobj.h>
#include <windows.h>

namespace {

std::wstring Native(const QString &Path)
{
    return QDir::toNativeSeparators(QFileInfo(Path).absoluteFilePath()).toStdWString();
}

// Opening it for Access proves the right; another program holding it open
// just now (a sharing violation) does not take the right away.
bool MayOpen(const QString &Path, DWORD Access)
{
    const HANDLE file =
        ::CreateFileW(Native(Path).c_str(), Access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_SHARING_VIOLATION;
    ::CloseHandle(file);
    return true;
}

bool MayMakeFilesIn(const QString &Folder)
{
    static std::atomic<unsigned> count{0};
    const QString probe =
        QDir(Folder).filePath(QStringLiteral("Nivara-probe-%1-%2.tmp").arg(::GetCurrentProcessId()).arg(count++));
    // Deleted by the system when closed, also if this process dies first.
    const HANDLE file =
        ::CreateFileW(Native(probe).c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(file);
    return true;
}

class TWin32Disk final : public ISettingsDisk {
public:
    bool Exists(const QString &Path) const override { return QFileInfo::exists(Path); }
    bool IsWritable(const QString &Path) const override
    {
        const DWORD attributes = ::GetFileAttributesW(Native(Path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return false;
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return MayMakeFilesIn(Path);
        return !(attributes & FILE_ATTRIBUTE_READONLY) && MayOpen(Path, GENERIC_WRITE);
    }
    bool IsReadable(const QString &Path) const override { return MayOpen(Path, GENERIC_READ); }
};

QString RoamingAppData()
{
    wchar_t path[MAX_PATH];
    if (::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path) != S_OK)
        return {};
    return QDir::fromNativeSeparators(QString::fromWCharArray(path));
}

} // namespace

const ISettingsDisk &SystemSettingsDisk()
{
    static const TWin32Disk disk;
    return disk;
}

TSettingsFolders SystemSettingsFolders()
{
    const QString appData = RoamingAppData();
    return {QCoreApplication::applicationDirPath(),
            appData.isEmpty() ? QString() : QDir(appData).filePath(QStringLiteral("Nivara")),
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)};
}
