#include "SettingsLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kIniName = QStringLiteral("Nivara.Ini");
const QString kJournalFolderName = QStringLiteral("Nivara");

TSettingsLocation InFolder(const QString &Folder)
{
    return {QDir(Folder).filePath(kIniName), {}, false, {}};
}

} // namespace

TSettingsLocation ChooseSettingsLocation(const TSettingsFolders &Folders, const ISettingsDisk &Disk)
{
    const TSettingsLocation beside = InFolder(Folders.ProgramFolder);
    const bool iniExists = Disk.Exists(beside.IniFileName);
    // A settings file there is used when it may be written (in place, in a
    // locked folder); a read-only one is never replaced behind the owner's
    // back, so it only starts the user's own copy, as in a locked folder.
    if (iniExists ? Disk.IsWritable(beside.IniFileName) : Disk.IsWritable(Folders.ProgramFolder))
        return beside;
    // One that cannot even be read is no seed but a fault of this station:
    // start-up reports it (the defaults are taken, and closing cannot write
    // over it), and work left in the result log beside it is recovered from
    // there instead of being left behind for a fresh log in the user's folder.
    if (iniExists && !Disk.IsReadable(beside.IniFileName))
        return beside;

    TSettingsLocation user = InFolder(Folders.UserConfigFolder);
    user.PerUser = true;
    if (!Folders.UserDocumentsFolder.isEmpty())
        user.JournalFolder = QDir(Folders.UserDocumentsFolder).filePath(kJournalFolderName);
    if (iniExists && !Disk.Exists(user.IniFileName))
        user.SeedIniFileName = beside.IniFileName;
    return user;
}

QString ResultLogFileName(const QString &IniFileName)
{
    return QFileInfo(IniFileName).dir().filePath(QStringLiteral("Nivara.log"));
}

TSettingsLocation PrepareSettingsLocation(const TSettingsFolders &Folders)
{
    TSettingsLocation location = ChooseSettingsLocation(Folders, SystemSettingsDisk());
    if (!location.PerUser)
        return location;
    if (Folders.UserConfigFolder.isEmpty() || !QDir().mkpath(Folders.UserConfigFolder))
        return InFolder(Folders.ProgramFolder);
    if (!location.SeedIniFileName.isEmpty() && QFile::copy(location.SeedIniFileName, location.IniFileName))
        QFile::setPermissions(location.IniFileName, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // Without a journal folder, journals named without one stay relative to
    // the current directory, as before.
    if (!location.JournalFolder.isEmpty() && !QDir().mkpath(location.JournalFolder))
        location.JournalFolder.clear();
    return location;
}

TSettingsLocation PrepareSettingsLocation()
{
    return PrepareSettingsLocation(SystemSettingsFolders());
}
