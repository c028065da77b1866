// Names of journal files: name part, folder part, title and the name New
// picks.

#include "JournalNames.h"
#include "ProgramTexts.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString U(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

TEST(JournalNames, NameAndFolderParts)
{
    struct Case {
        const char *path;
        const char *folder;
        const char *name;
    };
    const Case cases[] = {
        {"Новый.txt", "", "Новый.txt"},
        {"/home/op/Журнал.txt", "/home/op/", "Журнал.txt"},
        {"C:\\Данные\\Новый1.txt", "C:\\Данные\\", "Новый1.txt"},
        {"D:Новый2.txt", "D:", "Новый2.txt"},
        {"mixed\\dir/x.txt", "mixed\\dir/", "x.txt"},
        {"dir/", "dir/", ""},
        {"", "", ""},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(JournalFolderPart(U(c.path)), U(c.folder)) << c.path;
        EXPECT_EQ(JournalNamePart(U(c.path)), U(c.name)) << c.path;
    }
    const QString title = MyConsts::sJournalTexts().ProgramTitle;
    EXPECT_EQ(JournalTitle(title, U("Новый.txt")), U("Регистрация измерений молока(Новый.txt)"));
    EXPECT_EQ(JournalTitle(title, U("/any/where/Новый1.txt")), U("Регистрация измерений молока(Новый1.txt)"));
}

TEST(JournalNames, NewTakesTheFirstFreeNumberInTheJournalsFolder)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + '/';
    const QString current = folder + U("Журнал.txt");
    const QString base = MyConsts::sJournalTexts().NewJournalBase;

    WriteBytes(folder + U("Новый2.txt"), "");
    EXPECT_EQ(NextNewJournalName(base, current), folder + U("Новый1.txt"));

    WriteBytes(folder + U("Новый1.txt"), "");
    EXPECT_EQ(NextNewJournalName(base, current), folder + U("Новый3.txt"));
    // Nothing was created: asking again gives the same name.
    EXPECT_EQ(NextNewJournalName(base, current), folder + U("Новый3.txt"));

    // Folders occupy a name too (and so do dangling links: JournalFilePosixTest.cpp).
    QDir(dir.path()).mkdir(U("Новый3.txt"));
    EXPECT_EQ(NextNewJournalName(base, current), folder + U("Новый4.txt"));
}

TEST(JournalNames, NewWithoutFolderStaysInTheCurrentDirectory)
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    WriteBytes(U("Новый1.txt"), "");
    const QString name = NextNewJournalName(MyConsts::sJournalTexts().NewJournalBase, U("Новый.txt"));
    QDir::setCurrent(previous);
    EXPECT_EQ(name, U("Новый2.txt"));
}

} // namespace
