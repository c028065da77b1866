// The POSIX side of where the settings live: access(2) for the user's
// rights, the XDG folders for the user's own.

#include "SettingsLocation.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

class TPosixDisk final : public ISettingsDisk {
public:
    bool Exists(const QString &Path) const override { return QFileInfo::exists(Path); }
    // access(2) underneath: right for root and for read-only mounts alike.
    bool IsWritable(const QString &Path) const override { return QFileInfo(Path).isWritable(); }
    bool IsReadable(const QString &Path) const override { return QFileInfo(Path).isReadable(); }
};

} // namespace

const ISettingsDisk &SystemSettingsDisk()
{
    static const TPosixDisk disk;
    return disk;
}

TSettingsFolders SystemSettingsFolders()
{
    return {QCoreApplication::applicationDirPath(), QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation),
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)};
}
