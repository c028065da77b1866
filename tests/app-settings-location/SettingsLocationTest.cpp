// Where the settings file, the result log and journals named without a folder
// live: the rule against a scripted disk. Each platform's disk and folders
// are tried in a file named for it.

#include "SettingsLocation.h"
#include "QStringPrinter.h"

#include <QSet>

#include <gtest/gtest.h>

namespace {

const TSettingsFolders kFolders{"/opt/nivara/bin", "/home/u/.config/Nivara", "/home/u/Documents"};

class TScriptedDisk final : public ISettingsDisk {
public:
    QSet<QString> Existing;
    QSet<QString> Writable;
    QSet<QString> Unreadable;
    bool Exists(const QString &Path) const override
    {
        return Existing.contains(Path) || Writable.contains(Path) || Unreadable.contains(Path);
    }
    bool IsWritable(const QString &Path) const override { return Writable.contains(Path); }
    bool IsReadable(const QString &Path) const override { return !Unreadable.contains(Path); }
};

TEST(SettingsLocationRule, BesideTheProgramWheneverThatWorksElseInTheUsersFolders)
{
    const QString programFolder = kFolders.ProgramFolder;
    const QString besideIni = "/opt/nivara/bin/Nivara.Ini";
    const QString userIni = "/home/u/.config/Nivara/Nivara.Ini";
    const struct {
        const char *Case;
        QSet<QString> Existing, Writable;
        bool PerUser;
        QString Seed;
        QSet<QString> Unreadable = {};
    } cases[] = {
        {"writable folder, no file", {}, {programFolder}, false, {}},
        {"writable folder, read-only file: the user's copy starts from it",
         {besideIni},
         {programFolder},
         true,
         besideIni},
        {"read-only folder, writable file", {}, {besideIni}, false, {}},
        {"read-only folder, no file", {}, {}, true, {}},
        {"read-only folder, read-only file: the user's copy starts from it", {besideIni}, {}, true, besideIni},
        {"read-only folder, read-only file, the user has a copy", {besideIni, userIni}, {}, true, {}},
        // Start-up reports it there, and the result log beside it is recovered.
        {"read-only folder, unreadable file: it stays the settings file", {}, {}, false, {}, {besideIni}},
        {"writable folder, unreadable file: it stays the settings file", {}, {programFolder}, false, {}, {besideIni}},
        {"read-only folder, unreadable file, the user has a copy", {userIni}, {}, false, {}, {besideIni}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Case);
        TScriptedDisk disk;
        disk.Existing = c.Existing;
        disk.Writable = c.Writable;
        disk.Unreadable = c.Unreadable;
        const TSettingsLocation location = ChooseSettingsLocation(kFolders, disk);
        EXPECT_EQ(location.PerUser, c.PerUser);
        EXPECT_EQ(location.IniFileName, c.PerUser ? userIni : besideIni);
        EXPECT_EQ(location.JournalFolder, c.PerUser ? "/home/u/Documents/Nivara" : "");
        EXPECT_EQ(location.SeedIniFileName, c.Seed);
    }
}

} // namespace
