#include "EmergencyJournal.h"

#include "DurableFile.h"
#include "JournalFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace EmergencyJournal {

namespace {

// One line per journal written: the log's path, TAB, the journal's path (UTF-8).
const QString kNoteName = QStringLiteral("Nivara.emergency");

QString FreeName(const QString &Folder, const QString &JournalFileName, const QDateTime &Now)
{
    QString base = QFileInfo(JournalFileName).completeBaseName();
    if (base.isEmpty())
        base = QStringLiteral("журнал");
    base += QStringLiteral(" несохранённый ") + Now.toString(QStringLiteral("yyyy-MM-dd hh-mm-ss"));
    const QDir folder(Folder);
    QString name = folder.filePath(base + QStringLiteral(".txt"));
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = folder.filePath(base + QStringLiteral(" (%1).txt").arg(n));
    return name;
}

QByteArray ReadNote(const QString &FileName)
{
    QFile file(FileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

QString Write(const JournalRows &Rows, const QString &JournalFileName, const QString &LogFileName,
              const QStringList &Folders, const QDateTime &Now)
{
    QBuffer journal;
    journal.open(QIODevice::WriteOnly);
    WriteJournal(Rows, journal);
    QString written;
    for (const QString &folder : Folders) {
        if (folder.isEmpty() || !QFileInfo(folder).isDir())
            continue;
        const QString name = FreeName(folder, JournalFileName, Now);
        try {
            DurableFile::WriteFile(name, [&](const DurableFile::TWrite &Write) { Write(journal.data()); });
            written = name;
            break;
        } catch (const std::exception &) {
            QFile::remove(name); // nothing of it, should a part be there
        }
    }
    if (written.isEmpty())
        return {};
    // The note goes beside the journal, or, where that fails, into the
    // next folder that takes it: the next start looks in all of them.
    const QByteArray line = (LogFileName + QLatin1Char('\t') + written + QLatin1Char('\n')).toUtf8();
    QStringList noteFolders{QFileInfo(written).absolutePath()};
    noteFolders += Folders;
    for (const QString &folder : noteFolders) {
        if (folder.isEmpty() || !QFileInfo(folder).isDir())
            continue;
        const QString note = QDir(folder).filePath(kNoteName);
        const QByteArray before = ReadNote(note);
        try {
            DurableFile::WriteFile(note, [&](const DurableFile::TWrite &Write) {
                Write(before);
                Write(line);
            });
            break;
        } catch (const std::exception &) {
        }
    }
    return written;
}

QStringList TakeNotes(const QString &LogFileName, const QStringList &Folders)
{
    QStringList taken;
    QSet<QString> seen;
    for (const QString &folder : Folders) {
        const QString note = QDir(folder).filePath(kNoteName);
        const QString canonical = QFileInfo(note).canonicalFilePath();
        if (folder.isEmpty() || canonical.isEmpty() || seen.contains(canonical))
            continue;
        seen.insert(canonical);
        QByteArray kept;
        bool changed = false;
        for (const QByteArray &line : ReadNote(note).split('\n')) {
            if (line.isEmpty())
                continue;
            const QList<QByteArray> fields = line.split('\t');
            if (fields.size() == 2 && QString::fromUtf8(fields[0]) == LogFileName) {
                taken << QString::fromUtf8(fields[1]);
                changed = true;
            } else {
                kept += line + '\n';
            }
        }
        if (!changed)
            continue;
        if (kept.isEmpty())
            QFile::remove(note);
        else
            try {
                DurableFile::WriteFile(note, [&](const DurableFile::TWrite &Write) { Write(kept); });
            } catch (const std::exception &) {
                // Told once more next time: better than not at all.
            }
    }
    return taken;
}

} // namespace EmergencyJournal
