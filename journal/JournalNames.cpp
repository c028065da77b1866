#include "JournalNames.h"

#include "JournalTexts.h"

#include <QFileInfo>

namespace {

qsizetype LastSeparator(const QString &fileName)
{
    for (qsizetype i = fileName.size() - 1; i >= 0; --i) {
        const QChar c = fileName.at(i);
        if (c == u'/' || c == u'\\' || c == u':')
            return i;
    }
    return -1;
}

bool NameTaken(const QString &fileName)
{
    // A dangling link counts as taken: saving would write through it.
    const QFileInfo info(fileName);
    return info.exists() || info.isSymLink();
}

} // namespace

QString JournalNamePart(const QString &fileName)
{
    return fileName.mid(LastSeparator(fileName) + 1);
}

QString JournalFolderPart(const QString &fileName)
{
    return fileName.left(LastSeparator(fileName) + 1);
}

QString JournalTitle(const QString &programTitle, const QString &fileName)
{
    return programTitle + u'(' + JournalNamePart(fileName) + u')';
}

QString NextNewJournalName(const QString &newJournalBase, const QString &currentFileName)
{
    const QString folder = JournalFolderPart(currentFileName);
    for (qint64 n = 1;; ++n) {
        const QString candidate = folder + newJournalBase + QString::number(n) + JournalTexts::JournalExtension();
        if (!NameTaken(candidate))
            return candidate;
    }
}
