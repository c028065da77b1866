// Linux: Qt's translations are Debian's, in Qt's own folder.

#include "QtTranslations.h"

#include <QLibraryInfo>

QString QtTranslationsFolder()
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}
