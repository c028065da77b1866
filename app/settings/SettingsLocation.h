#pragma once

// Where the settings file, the result log and the journals named without a
// folder live. The settings file Nivara.Ini stays beside the program whenever
// that works: a portable copy, the build folder, any program folder the user
// may write, or a writable Nivara.Ini standing there. A program installed in a
// folder the user cannot write keeps them in the user's own folders instead,
// unless a Nivara.Ini there cannot be read: that stays the settings file, so
// that start-up reports it and the result log beside it is not abandoned.
// The platform's side (its disk and its folders) is in a file of its own.

#include <QString>

struct TSettingsLocation {
    // The settings file; the result log Nivara.log goes beside it.
    QString IniFileName;
    // Where a journal named without a folder lands; empty: the current
    // directory, as for a program that keeps its settings beside itself.
    QString JournalFolder;
    // The settings live in the user's folders, not beside the program.
    bool PerUser = false;
    // A read-only Nivara.Ini beside the program, to start the user's copy
    // from when the user has none yet; empty: none.
    QString SeedIniFileName;
};

struct TSettingsFolders {
    QString ProgramFolder;
    QString UserConfigFolder;    // ~/.config/Nivara; %APPDATA%\Nivara on Windows
    QString UserDocumentsFolder; // QStandardPaths::DocumentsLocation
};

// The little the rule asks of the disk.
class ISettingsDisk {
public:
    virtual ~ISettingsDisk() = default;
    virtual bool Exists(const QString &Path) const = 0;
    // A file the user may change, or a folder the user may create files in.
    virtual bool IsWritable(const QString &Path) const = 0;
    // A file the user may read.
    virtual bool IsReadable(const QString &Path) const = 0;
};

// The disk as this platform answers: the system's own checks of the user's
// rights (access(2) on POSIX; on Windows, where the file's attributes do not
// tell the access control lists, a probe file made and gone).
const ISettingsDisk &SystemSettingsDisk();

// This program's folders for this user on this machine.
TSettingsFolders SystemSettingsFolders();

// The result log of a settings file: "Nivara.log" beside it.
QString ResultLogFileName(const QString &IniFileName);

// The rule itself; touches nothing.
TSettingsLocation ChooseSettingsLocation(const TSettingsFolders &Folders, const ISettingsDisk &Disk);

// The rule for this program on this machine: the executable's folder and the
// user's standard folders. The user's folders it chooses are created, and the
// user's settings file is started from a read-only one beside the program.
// A user folder that cannot be created leaves the settings beside the
// program (where writing them reports the cause at closing).
TSettingsLocation PrepareSettingsLocation();
// The same with the folders given (tests).
TSettingsLocation PrepareSettingsLocation(const TSettingsFolders &Folders);
