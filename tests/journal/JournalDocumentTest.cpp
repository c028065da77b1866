// The journal document: load, save, new, results, and that a failure
// leaves everything as it was.

#include "JournalDocument.h"
#include "ProgramTexts.h"
#include "TestFiles.h"

#include <QDir>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString U(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

class JournalDocumentTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    JournalDocument journal{MyConsts::sJournalTexts()};

    QString Path(const char *name) const { return dir.filePath(U(name)); }

    // A journal of three results, modified, under a known name and title.
    void FillJournal()
    {
        journal.SetJournalFileName(Path("Журнал.txt"));
        journal.ShowJournalTitle(journal.JournalFileName());
        for (int i = 0; i < 3; ++i)
            journal.EnterResult({"01.02.2024", "10:00:00", QString::number(i + 1), "4,50"});
    }

    void ExpectUnchanged(const QString &title)
    {
        EXPECT_EQ(journal.Model().RowCount(), 5);
        EXPECT_EQ(journal.Model().Cell(4, 3), "3");
        EXPECT_EQ(journal.Title(), title);
        EXPECT_TRUE(journal.JournalModified());
        EXPECT_EQ(journal.JournalFileName(), Path("Журнал.txt"));
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
};

TEST_F(JournalDocumentTest, StartsAsTheUnsavedDefaultJournal)
{
    EXPECT_EQ(journal.JournalFileName(), U("Новый.txt"));
    EXPECT_FALSE(journal.JournalModified());
    EXPECT_EQ(journal.Model().RowCount(), 2);
}

TEST_F(JournalDocumentTest, ResultsMarkTheJournalAndSaveLoadRoundTrips)
{
    QSignalSpy titles(&journal, &JournalDocument::TitleChanged);
    FillJournal();
    EXPECT_TRUE(journal.JournalModified());
    EXPECT_EQ(journal.Model().RowCount(), 5);

    journal.SaveJournal(journal.JournalFileName());
    EXPECT_FALSE(journal.JournalModified());
    EXPECT_EQ(journal.Title(), U("Регистрация измерений молока(Журнал.txt)"));
    EXPECT_EQ(titles.last()[0].toString(), journal.Title());
    const QByteArray saved = ReadBytes(journal.JournalFileName());
    EXPECT_TRUE(saved.endsWith(QByteArray(15, '\t') + "\r\n"));

    JournalDocument other(MyConsts::sJournalTexts());
    other.SetJournalModified(true);
    other.LoadJournal(journal.JournalFileName());
    EXPECT_FALSE(other.JournalModified());
    EXPECT_EQ(other.Model().RowCount(), 5);
    EXPECT_EQ(other.Model().Cell(4, 2), "2");
    EXPECT_EQ(other.Title(), journal.Title());
    EXPECT_EQ(other.JournalFileName(), U("Новый.txt")); // the caller sets the name
    other.SaveJournal(Path("copy.txt"));
    EXPECT_EQ(ReadBytes(Path("copy.txt")), saved);
}

TEST_F(JournalDocumentTest, LoadingAMissingFileStartsAnEmptyJournal)
{
    FillJournal();
    journal.LoadJournal(Path("Нет.txt"));
    EXPECT_EQ(journal.Model().RowCount(), 2);
    EXPECT_FALSE(journal.JournalModified());
    EXPECT_EQ(journal.Title(), U("Регистрация измерений молока(Нет.txt)"));
    EXPECT_FALSE(QFile::exists(Path("Нет.txt")));
}

TEST_F(JournalDocumentTest, FailedLoadKeepsTheJournalSoSaveCannotDestroyTheFile)
{
    FillJournal();
    const QString title = journal.Title();
    ASSERT_TRUE(QDir(dir.path()).mkdir("unreadable.txt"));
    EXPECT_THROW(journal.LoadJournal(Path("unreadable.txt")), EJournalFile);
    ExpectUnchanged(title);
}

TEST_F(JournalDocumentTest, FailedSaveChangesNothing)
{
    FillJournal();
    const QString title = journal.Title();
    EXPECT_THROW(journal.SaveJournal(Path("missing folder/x.txt")), EJournalFile);
    ExpectUnchanged(title);
}

TEST_F(JournalDocumentTest, NewEmptiesTheJournalUnderTheNextFreeName)
{
    FillJournal();
    WriteBytes(Path("Новый1.txt"), "");
    journal.NewJournal();
    EXPECT_EQ(journal.Model().RowCount(), 2);
    EXPECT_EQ(journal.JournalFileName(), Path("Новый2.txt"));
    EXPECT_EQ(journal.Title(), U("Регистрация измерений молока(Новый2.txt)"));
    EXPECT_TRUE(journal.JournalModified()); // New leaves the flag alone
    EXPECT_FALSE(QFile::exists(Path("Новый2.txt")));

    journal.SaveJournal(journal.JournalFileName());
    EXPECT_EQ(ReadBytes(Path("Новый2.txt")), QByteArray(15, '\t') + "\r\n");
}

} // namespace
