// Windows: Qt travels with the program, its translations in a folder beside
// it. Qt's own notion of its folder there depends on where Qt6Core.dll lies
// and on any qt.conf, so the folder is named outright.

#include "QtTranslations.h"

#include <QCoreApplication>

QString QtTranslationsFolder()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
}
