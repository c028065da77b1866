// Why the settings file cannot hold a value, in the operator's words, and the
// message for a write of it that failed.

#include "SettingsMessages.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

TEST(SettingsMessages, SayWhyAValueCannotBeStored)
{
    const struct {
        const char *Case;
        QString Value, Fault;
    } cases[] = {
        {"a name Windows-1251 holds", "/home/оператор/Журнал №1.txt", ""},
        {"each missing character once, in order", "/home/әлем/中ә.txt",
         "файл настроек записывается в кодировке Windows-1251, в которой нет знаков «ә中»"},
        {"a character outside the basic plane", QString::fromUcs4(U"a\U0001F600.txt"),
         "файл настроек записывается в кодировке Windows-1251, в которой нет знаков «" +
             QString::fromUcs4(U"\U0001F600") + "»"},
        {"a line break", "a\nb.txt", "в нём есть перевод строки"},
        {"too long", QString(2048, 'a'), "в нём больше 2047 знаков"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SettingsValueFaultText(c.Value), c.Fault) << c.Case;

    // The file's name with the system's separators, as everywhere the
    // operator reads one.
    const QString shown = QDir::toNativeSeparators("/st/Nivara.Ini");
    EXPECT_EQ(SettingsWriteErrorText(EIniFileException("/st/Nivara.Ini", "на диске нет места")),
              "Не удалось записать файл настроек " + shown + ": на диске нет места.");
    EXPECT_EQ(SettingsWriteErrorText(EIniFileException("/st/Nivara.Ini", "the value ...", QString("a\nb"))),
              "В файл настроек " + shown + " не записано значение «a\nb»: в нём есть перевод строки.");
}

} // namespace
