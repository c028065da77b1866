// Qt's standard buttons speak the operator's language under a Russian
// locale and stay as Qt writes them under C; the locale is passed in, never
// taken from the machine.

#include "QtTranslations.h"

#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

#include <optional>

namespace {

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
        const TQtTranslations translations(QLocale(QLocale::Russian, QLocale::Russia));
        ASSERT_TRUE(translations.Loaded()) << "qt6-translations-l10n is missing";
        EXPECT_EQ(ButtonTexts(), (QStringList{"&Да", "&Нет", "Отмена"}));
    }
    EXPECT_EQ(ButtonTexts(), english) << "gone with the object";

    const TQtTranslations c(QLocale::c());
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
