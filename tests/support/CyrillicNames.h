#pragma once

// Whether a Cyrillic file name can be made in Folder. Wine keeps names on
// the Linux file system in the locale's character set: under the C locale
// it cannot make a Cyrillic name at all, which Windows (and Linux) always
// can, so the tests of such names skip there and say why.

#include <QDir>
#include <QString>

inline bool CyrillicNamesPossible(const QString &Folder)
{
    QDir dir(Folder);
    if (!dir.mkdir(QStringLiteral("Проба")))
        return false;
    dir.rmdir(QStringLiteral("Проба"));
    return true;
}
