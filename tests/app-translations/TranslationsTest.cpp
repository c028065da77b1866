// Qt's standard buttons speak the operator's language under a Russian
// locale and stay as Qt writes them under C; the locale is passed in, never
// taken from the machine.

#include "QtTranslations.h"

#include <QLibraryInfo>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <optional>

namespace {

// Where Qt's translations are: Qt's own place (Debian's
// qt6-translations-l10n), unless NIVARA_TEST_QT_TRANSLATIONS names another.
// The Windows build's Qt has none of its own; its tests take Debian's
// (tests/app-translations/CMakeLists.txt), as the installed program takes
// those in the folder beside it.
QString TranslationsFolder()
{
    const QString given = qEnvironmentVariable("NIVARA_TEST_QT_TRANSLATIONS");
    return given.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : given;
}

QStringList ButtonTexts()
{
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return {box.button(QMessageBox::Yes)->text(), box.button(QMessageBox::No)->text(),
            box.button(QMessageBox::Cancel)->text()};
}

TEST(QtTranslations, RussianLocaleTranslatesQtsOwnTextsAndCDoesNot)
{
    const QStringList english = ButtonTexts();
    ASSERT_EQ(english, (QStringList{"&Yes", "&No", "Cancel"}));
    {
        const TQtTranslations translations(QLocale(QLocale::Russian, QLocale::Russia), TranslationsFolder());
        ASSERT_TRUE(translations.Loaded()) << "qt6-translations-l10n is missing";
        EXPECT_EQ(ButtonTexts(), (QStringList{"&Да", "&Нет", "Отмена"}));
    }
    EXPECT_EQ(ButtonTexts(), english) << "gone with the object";

    const TQtTranslations c(QLocale::c(), TranslationsFolder());
    EXPECT_FALSE(c.Loaded());
    EXPECT_EQ(ButtonTexts(), english);
}

TEST(QtTranslations, MissingTranslationsLeaveQtsTexts)
{
    const TQtTranslations translations(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("/nonexistent"));
    EXPECT_FALSE(translations.Loaded());
    EXPECT_EQ(ButtonTexts()[0], "&Yes");
}

} // namespace
