// Windows: the TrueType files in the `fonts` folder beside the program, for
// this process only; nothing is installed into the system.

#include "ProgramFonts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>

QStringList AddProgramFonts()
{
    const QDir folder(QCoreApplication::applicationDirPath() + QStringLiteral("/fonts"));
    QStringList families;
    for (const QFileInfo &file : folder.entryInfoList({QStringLiteral("*.ttf")}, QDir::Files, QDir::Name))
        if (const int id = QFontDatabase::addApplicationFont(file.absoluteFilePath()); id != -1)
            families << QFontDatabase::applicationFontFamilies(id);
    return families;
}
