#pragma once

// Qt's own texts in the operator's language: file and print dialogs, the
// standard buttons of message boxes, the context menus of edit fields. The
// program's own texts are not translated; they are written as they stand.

#include <QLibraryInfo>
#include <QLocale>
#include <QString>

#include <memory>

class QTranslator;

class TQtTranslations {
public:
    // Installs Qt's translation for `Locale` from `Folder` (Debian's
    // qt6-translations-l10n by default) while the object lives. A language
    // without a translation, and the C locale, install nothing.
    explicit TQtTranslations(const QLocale &Locale,
                             const QString &Folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    ~TQtTranslations();

    TQtTranslations(const TQtTranslations &) = delete;
    TQtTranslations &operator=(const TQtTranslations &) = delete;

    bool Loaded() const { return FTranslator != nullptr; }

private:
    std::unique_ptr<QTranslator> FTranslator;
};
