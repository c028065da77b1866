// Saving the printout as a PDF on POSIX: a disk that fills up (the process's
// file size limit stands in for it) keeps the old file.

#include "FileSizeLimitPosix.h"
#include "JournalDocument.h"
#include "JournalPrint.h"
#include "JournalView.h"
#include "ProgramTexts.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(JournalPrintToPdfPosix, AFullDiskKeepsTheOldFile)
{
    QTemporaryDir dir;
    JournalDocument journal(MyConsts::sJournalTexts());
    for (int i = 0; i < 20; ++i)
        journal.EnterResult({"01.02.2024", "10:00:00", "7", "4,50"});
    const QString path = dir.filePath(QString::fromUtf8("журнал.pdf"));
    SaveJournalPdf(path, journal.Printout(journal.Model().RowCount() - 1, JournalFont()));
    const QByteArray good = ReadBytes(path);
    ASSERT_TRUE(good.startsWith("%PDF-"));

    WithFileSizeLimit(1024, [&] {
        try {
            SaveJournalPdf(path, journal.Printout(1, JournalFont()));
            ADD_FAILURE() << "saved beyond the limit";
        } catch (const EJournalPrint &e) {
            EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith(
                QString::fromUtf8("Не удалось записать файл PDF \"%1\": ").arg(path)))
                << e.what();
        }
    });
    EXPECT_EQ(ReadBytes(path), good);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QString::fromUtf8("журнал.pdf")});
}

} // namespace
