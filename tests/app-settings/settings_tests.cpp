#include "IniFile.h"
#include "SettingsTestFiles.h"

#include <QDir>

namespace {

TEST_F(SettingsFile, FirstClosingCreatesTheThreeKeysInOrderWithCrLf)
{
    {
        TIniPlus ini(path());
        EXPECT_FALSE(QFile::exists(path())) << "construction must not touch the file";
        ini.WriteString("Config", "COM", "COM1");
        ini.WriteString("Config", "FileName", QStringLiteral("Новый.txt"));
        ini.WriteInteger("Config", "DeviceNumber", 0);
    }
    EXPECT_EQ(readBytes(path()),
              ansi(QStringLiteral("[Config]\r\nCOM=COM1\r\nFileName=Новый.txt\r\nDeviceNumber=0\r\n")));

    TIniPlus ini(path());
    EXPECT_EQ(ini.ReadString("Config", "FileName", "x"), QStringLiteral("Новый.txt"));
    EXPECT_EQ(ini.ReadInteger("Config", "DeviceNumber", 7), 0);
}

TEST_F(SettingsFile, ReadingFollowsProfileRules)
{
    const QString longValue(3000, u'я');
    QByteArray file = ansi(QStringLiteral("COM=before any section\r\n"
                                          "; comment=COM9\r\n"
                                          "[other]\r\n"
                                          "COM=COM7\r\n"
                                          "  [ CONFIG ]  \r\n"
                                          "  com  =  COM3  \r\n"
                                          "COM=second of the same name\r\n"
                                          "line without equals sign\r\n"
                                          "FileName=\"  spaced name.txt \"\r\n"
                                          "Single='quoted'\r\n"
                                          "Mixed=\"quoted'\r\n"
                                          "Inner=a \"b\" c\n"
                                          "Empty=\r\n"
                                          "Blanks=    \r\n"
                                          "Equals=a=b\r\n"
                                          "Путь=Новый.txt\r\n"
                                          "Long=")) +
                      ansi(longValue) + ansi(QStringLiteral("\r\n[Кириллица]\r\nключ=значение"));
    writeBytes(path(), file);

    struct Case {
        const char16_t *section, *key, *expected;
    };
    const Case cases[] = {
        {u"config", u"COM", u"COM3"},
        {u"Config", u"FILENAME", u"  spaced name.txt "},
        {u"Config", u"Single", u"quoted"},
        {u"Config", u"Mixed", u"\"quoted'"},
        {u"Config", u"Inner", u"a \"b\" c"},
        {u"Config", u"Empty", u""},
        {u"Config", u"Blanks", u""},
        {u"Config", u"Equals", u"a=b"},
        {u"Config", u"путь", u"Новый.txt"},
        {u"кириллица", u"КЛЮЧ", u"значение"},
        {u"other", u"com", u"COM7"},
        {u"Config", u"line without equals sign", u"<default>"},
        {u"Config", u"; comment", u"<default>"},
        {u"Config", u"Missing", u"<default>"},
        {u"Missing", u"COM", u"<default>"},
    };
    TIniPlus ini(path());
    for (const Case &c : cases) {
        const QString section = QString::fromUtf16(c.section), key = QString::fromUtf16(c.key);
        EXPECT_EQ(ini.ReadString(section, key, "<default>"), QString::fromUtf16(c.expected))
            << section.toStdString() << "/" << key.toStdString();
    }
    EXPECT_EQ(ini.ReadString("Config", "Long", {}), longValue.left(kProfileMaxValueLength));
}

TEST(ProfileInteger, ConvertsDecimalAndHexWithin32Bits)
{
    struct Case {
        const char *text;
        std::optional<int> expected;
    };
    const Case cases[] = {
        {"0", 0},
        {"70000", 70000},
        {"-12", -12},
        {"+7", 7},
        {"007", 7},
        {"0x10", 16},
        {"0X1f", 31},
        {"$FF", 255},
        {"$7fffffff", 2147483647},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", {}},
        {"-2147483649", {}},
        {"0x80000000", {}},
        {"$FFFFFFFF", {}},
        {"99999999999999999999999", {}},
        {"0x", {}},
        {"$", {}},
        {"0x-1", {}},
        {"-0x10", {}},
        {"abc", {}},
        {"12a", {}},
        {"1 2", {}},
        {"", {}},
        {"-", {}},
        {"+", {}},
        {"1.5", {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(ProfileTextToInt(QString::fromLatin1(c.text)), c.expected) << c.text;
    EXPECT_EQ(ProfileTextToInt(QStringLiteral("١٢")), std::nullopt) << "only ASCII digits";
}

TEST_F(SettingsFile, ReadIntegerGivesTheDefaultForMissingEmptyAndGarbage)
{
    writeBytes(path(), "[Config]\r\nDeviceNumber= 0x10 \r\nEmpty=\r\nBad=abc\r\nQuoted=\"15\"\r\n");
    TIniPlus ini(path());
    EXPECT_EQ(ini.ReadInteger("CONFIG", "devicenumber", 0), 16);
    EXPECT_EQ(ini.ReadInteger("Config", "Quoted", 0), 15);
    EXPECT_EQ(ini.ReadInteger("Config", "Empty", 5), 5);
    EXPECT_EQ(ini.ReadInteger("Config", "Bad", 5), 5);
    EXPECT_EQ(ini.ReadInteger("Config", "Missing", 5), 5);
    EXPECT_EQ(TIniPlus(path("absent.ini")).ReadInteger("Config", "DeviceNumber", 5), 5);
}

// Reads give the defaults; the owner learns why, so that it can say so.
TEST_F(SettingsFile, UnreadableFileReadsLikeAMissingOneAndNamesWhy)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir("Nivara.Ini")); // a folder where the file should be
    TIniPlus ini(path());
    EXPECT_EQ(ini.ReadString("Config", "COM", "COM1"), "COM1");
    EXPECT_EQ(ini.ReadInteger("Config", "DeviceNumber", 0), 0);
    EXPECT_EQ(ini.ReadProblem(), QStringLiteral("это папка, а не файл"));
    EXPECT_EQ(TIniPlus(path("absent.ini")).ReadProblem(), QString());
}

// Some editors put a UTF-8 byte-order mark in front: the file is UTF-8 text,
// read as such, and written back as such.
TEST_F(SettingsFile, FileWithAByteOrderMarkIsReadAsUtf8AndStaysSo)
{
    const QByteArray bom = "\xEF\xBB\xBF";
    writeBytes(path(),
               bom + QStringLiteral("[Config]\r\nCOM=COM2\r\nFileName=Журнал.txt\r\nDeviceNumber=5\r\n").toUtf8());
    TIniPlus ini(path());
    EXPECT_EQ(ini.ReadString("Config", "COM", "COM1"), "COM2");
    EXPECT_EQ(ini.ReadString("Config", "FileName", ""), QStringLiteral("Журнал.txt"));
    EXPECT_EQ(ini.ReadInteger("Config", "DeviceNumber", 0), 5);

    ini.WriteString("Config", "FileName", QStringLiteral("Проба.txt"));
    ini.WriteInteger("Config", "DeviceNumber", 5);
    ini.WriteString("Config", "Новый", QStringLiteral("ключ"));
    EXPECT_EQ(
        readBytes(path()),
        bom + QStringLiteral("[Config]\r\nCOM=COM2\r\nFileName=Проба.txt\r\nDeviceNumber=5\r\nНовый=ключ\r\n").toUtf8())
        << "one Config section, UTF-8 behind the mark";
}

TEST_F(SettingsFile, WritingChangesOnlyTheKeysLinesAndKeepsEverythingElse)
{
    const QByteArray before = ansi(QStringLiteral("; настройки станции\r\n"
                                                  "[Other]\n"
                                                  "COM=COM9\r\n"
                                                  "\r\n"
                                                  "[config]\r\n"
                                                  "  com =  COM1  \r\n"
                                                  "; порт выбран оператором\r\n"
                                                  "DeviceNumber=3\r\n"
                                                  "\r\n"
                                                  "[Tail]\r\n"
                                                  "x=1"));
    writeBytes(path(), before);
    {
        TIniPlus ini(path());
        ini.WriteString("Config", "COM", "COM4");
        ini.WriteString("Config", "FileName", QStringLiteral("Журнал 1.txt"));
        ini.WriteInteger("Config", "DeviceNumber", 3); // unchanged: line stays as it was
        ini.WriteString("Новая", "Key", "v");
    }
    EXPECT_EQ(readBytes(path()), ansi(QStringLiteral("; настройки станции\r\n"
                                                     "[Other]\n"
                                                     "COM=COM9\r\n"
                                                     "\r\n"
                                                     "[config]\r\n"
                                                     "  com =  COM4\r\n"
                                                     "; порт выбран оператором\r\n"
                                                     "DeviceNumber=3\r\n"
                                                     "FileName=Журнал 1.txt\r\n"
                                                     "\r\n"
                                                     "[Tail]\r\n"
                                                     "x=1\r\n"
                                                     "[Новая]\r\n"
                                                     "Key=v\r\n")));
}

TEST_F(SettingsFile, NewLinesFollowTheFilesOwnLineEnds)
{
    writeBytes(path(), "[Config]\nCOM=COM2\n");
    TIniPlus(path()).WriteInteger("Config", "DeviceNumber", -5);
    EXPECT_EQ(readBytes(path()), "[Config]\nCOM=COM2\nDeviceNumber=-5\n");
}

TEST_F(SettingsFile, ValuesThatReadingWouldAlterAreQuotedAndReadBackUnchanged)
{
    const QString values[] = {
        QStringLiteral(" leading.txt"), QStringLiteral("trailing.txt\t"),
        QStringLiteral("\"quoted\""),   QStringLiteral("'single'"),
        QStringLiteral("  "),           QString(),
        QStringLiteral("\"half"),       QString(kProfileMaxValueLength, u'ж'),
    };
    TIniPlus ini(path());
    for (const QString &value : values) {
        ini.WriteString("Config", "FileName", value);
        EXPECT_EQ(ini.ReadString("Config", "FileName", "<default>"), value) << value.toStdString();
    }
}

TEST_F(SettingsFile, ValueThatCannotBeStoredIsRefusedAndTheFileKept)
{
    writeBytes(path(), "[Config]\r\nFileName=old.txt\r\n");
    const QString values[] = {
        QStringLiteral("a.txt\r\nDeviceNumber=99"), // would add a key of its own
        QStringLiteral("журнал-日本.txt"),          // outside Windows-1251
        QString(kProfileMaxValueLength + 1, u'a'),  // would read back cut
    };
    TIniPlus ini(path());
    for (const QString &value : values) {
        try {
            ini.WriteString("Config", "FileName", value);
            ADD_FAILURE() << "accepted " << value.left(40).toStdString();
        } catch (const EIniFileException &e) {
            EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith("Unable to write to " + path() + ": ")) << e.what();
        }
    }
    EXPECT_EQ(readBytes(path()), "[Config]\r\nFileName=old.txt\r\n");
    EXPECT_THROW(ini.WriteString("Config", "Bad=Key", "x"), EIniFileException);
    EXPECT_THROW(ini.WriteString("Bad]Section", "Key", "x"), EIniFileException);
}

// Failures that even root meets, each named by its cause: the folder is
// missing, the path is a folder (each platform adds its own). A name that
// leaves no room for the usual temporary name beside it is no failure: it
// is written through a shorter one.
TEST_F(SettingsFile, UnwritableTargetRaisesAndKeepsThePreviousFile)
{
    const QByteArray old = "[Config]\r\nCOM=COM2\r\n";
    const QString longName = path(QString(250, u'n'));
    writeBytes(longName, old);
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ini"));

    const std::pair<QString, QString> cases[] = {
        {path("missing/Nivara.Ini"), QStringLiteral("папка или файл не найдены")},
        {path("folder.ini"), QStringLiteral("это папка, а не файл")},
    };
    for (const auto &[target, cause] : cases) {
        TIniPlus ini(target);
        try {
            ini.WriteString("Config", "COM", "COM3");
            ADD_FAILURE() << "no error for " << target.toStdString();
        } catch (const std::exception &e) {
            EXPECT_EQ(QString::fromUtf8(e.what()), "Unable to write to " + target + ": " + cause);
        }
    }
    EXPECT_FALSE(QFile::exists(path("missing/Nivara.Ini")));
    TIniPlus(longName).WriteString("Config", "COM", "COM3");
    EXPECT_EQ(readBytes(longName), "[Config]\r\nCOM=COM3\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << "no temporary file left";
}

} // namespace
