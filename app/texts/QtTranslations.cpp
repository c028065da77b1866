#include "QtTranslations.h"

#include <QCoreApplication>
#include <QTranslator>

TQtTranslations::TQtTranslations(const QLocale &Locale, const QString &Folder)
{
    if (Locale.language() == QLocale::C)
        return;
    // qtbase holds the widgets' and the print dialogs' texts.
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(Locale, QStringLiteral("qtbase"), QStringLiteral("_"), Folder) &&
        QCoreApplication::installTranslator(translator.get()))
        FTranslator = std::move(translator);
}

TQtTranslations::~TQtTranslations()
{
    if (FTranslator)
        QCoreApplication::removeTranslator(FTranslator.get());
}
