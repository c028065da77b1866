#pragma once

// Qt's own texts in the operator's language: file and print dialogs, the
// standard buttons of message boxes, the context menus of edit fields. The
// program's own texts are not translated; they are written as they stand.

#include <QLocale>
#include <QString>

#include <memory>

class QTranslator;

// Where Qt's translations lie on this platform: Qt's own folder on Linux
// (Debian's qt6-translations-l10n); on Windows the `translations` folder
// beside the program, which travels with it. Needs the application object.
QString QtTranslationsFolder();

class TQtTranslations {
public:
    // Installs Qt's translation for `Locale` from `Folder` while the object
    // lives. A language without a translation, and the C locale, install
    // nothing.
    explicit TQtTranslations(const QLocale &Locale, const QString &Folder = QtTranslationsFolder());
    ~TQtTranslations();

    TQtTranslations(const TQtTranslations &) = delete;
    TQtTranslations &operator=(const TQtTranslations &) = delete;

    bool Loaded() const { return FTranslator != nullptr; }

private:
    std::unique_ptr<QTranslator> FTranslator;
};
