// The nivara-ini program as scripts/run calls it: the file it leaves, what
// it prints and how it ends.

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

std::optional<QByteArray> ReadFile(const QString &Path)
{
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

TEST(NivaraIni, SetsAndGetsOneKeyByTheProgramsRules)
{
    struct Case {
        const char *name;
        std::optional<QByteArray> before; // nullopt: no file
        QStringList args;                 // "%f" stands for the file
        int exitCode;
        std::optional<QByteArray> after; // nullopt: still no file
        QByteArray out;
        QString errorPart; // must stand in stderr; empty: stderr empty
    };
    const QByteArray other = "; kept as it is\n[Other]\nCOM=elsewhere\n\n[config]\n"
                             "DeviceNumber = 5\ncom = \"/dev/ttyS0\"\nFileName=a.txt";
    const Case cases[] = {
        {"a missing file is created",
         std::nullopt,
         {"set", "%f", "Config", "COM", "/run/analyzer"},
         0,
         QByteArray("[Config]\r\nCOM=/run/analyzer\r\n"),
         "",
         ""},
        {"a key is added after the last line of its section",
         QByteArray("[Config]\r\nCOM=/run/analyzer\r\n\r\n[X]\r\n"),
         {"set", "%f", "Config", "DeviceNumber", "1"},
         0,
         QByteArray("[Config]\r\nCOM=/run/analyzer\r\nDeviceNumber=1\r\n\r\n[X]\r\n"),
         "",
         ""},
        {"only the key's value changes, in its own section",
         other,
         {"set", "%f", "Config", "COM", "/run/analyzer"},
         0,
         QByteArray(other).replace("com = \"/dev/ttyS0\"", "com = /run/analyzer"),
         "",
         ""},
        {"a value is written in Windows-1251",
         QByteArray("[Config]\n"),
         {"set", "%f", "Config", "FileName", QString::fromUtf8("Журнал.txt")},
         0,
         QByteArray("[Config]\nFileName=\xC6\xF3\xF0\xED\xE0\xEB.txt\n"),
         "",
         ""},
        {"a value with a line break is refused and the file stays",
         other,
         {"set", "%f", "Config", "COM", "a\nb"},
         1,
         other,
         "",
         "Unable to write to %f: the value contains a line break"},
        {"get prints the value as the program reads it",
         other,
         {"get", "%f", "CONFIG", "Com"},
         0,
         other,
         "/dev/ttyS0\n",
         ""},
        {"get prints the default for a missing key",
         other,
         {"get", "%f", "Config", "Missing", "fallback"},
         0,
         other,
         "fallback\n",
         ""},
        {"a wrong command is refused with the usage",
         std::nullopt,
         {"put", "%f", "Config", "COM", "x"},
         2,
         std::nullopt,
         "",
         "usage: nivara-ini set"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("Nivara.Ini"));
        if (c.before) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(*c.before);
        }
        QStringList args = c.args;
        args.replaceInStrings(QStringLiteral("%f"), path);

        QProcess program;
        program.start(QStringLiteral(NIVARA_INI_PATH), args);
        ASSERT_TRUE(program.waitForFinished(30000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), c.exitCode);
        // Standard output is text: its lines end as the system's do.
        EXPECT_EQ(program.readAllStandardOutput(), QByteArray(c.out).replace("\n", NIVARA_TEXT_LINE_END));
        const QString error = QString::fromUtf8(program.readAllStandardError());
        if (c.errorPart.isEmpty())
            EXPECT_EQ(error, QString());
        else
            EXPECT_TRUE(error.contains(QString(c.errorPart).replace(QStringLiteral("%f"), path)))
                << error.toStdString();
        EXPECT_EQ(ReadFile(path), c.after);
    }
}

} // namespace
