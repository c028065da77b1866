// The journal text file: the exact bytes, every odd input, and saving that
// never destroys the previous file.

#include "JournalFile.h"
#include "Cp1251.h"
#include "TestFiles.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <QFileInfo>

#include <random>
#include <vector>

namespace {

using Row = std::vector<std::string>; // fields 1..16 as bytes, trailing empties left out

Row RowOf(const JournalRows &rows, qsizetype i)
{
    Row row;
    for (int f = 1; f <= JournalRows::FieldCount; ++f)
        row.push_back(rows.Field(i, f).toByteArray().toStdString());
    while (!row.empty() && row.back().empty())
        row.pop_back();
    return row;
}

std::vector<Row> RowsOf(const JournalRows &rows)
{
    std::vector<Row> all;
    for (qsizetype i = 0; i < rows.Count(); ++i)
        all.push_back(RowOf(rows, i));
    return all;
}

QByteArray Line(const std::vector<QByteArray> &fields)
{
    QByteArray line = fields.empty() ? QByteArray() : fields[0];
    for (size_t i = 1; i < 16; ++i)
        line += '\t' + (i < fields.size() ? fields[i] : QByteArray());
    return line + "\r\n";
}

struct ParseCase {
    const char *name;
    QByteArray bytes;
    std::vector<Row> rows; // including the entry row
};

TEST(JournalFileRead, LinesBecomeRowsWithTheLastAsEntryRow)
{
    const std::string tabs15(15, '\t');
    const std::vector<ParseCase> cases = {
        {"empty file", "", {Row{}}},
        {"one empty entry line", QByteArray::fromStdString(tabs15 + "\r\n"), {Row{}}},
        {"label only on last line", "a\tb\r\nlabel\r\n", {Row{"a", "b"}, Row{"label"}}},
        {"LF line ends", "a\tb\nc\n", {Row{"a", "b"}, Row{"c"}}},
        {"no line end at the end", "a\r\nb", {Row{"a"}, Row{"b"}}},
        {"lone CR dropped", "a\rb\r\r\nc\r", {Row{"ab"}, Row{"c"}}},
        {"only CRs", "\r\r\r", {Row{}}},
        {"empty lines are rows", "\n\n\r\n", {Row{}, Row{}, Row{}}},
        {"three fields", "p\t01.02.2024\t10:11:12\r\n", {Row{"p", "01.02.2024", "10:11:12"}, Row{}}},
        {"fields after the 16th join field 16",
         "1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\t15\tx\ty\t\tz\n",
         {Row{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12", "13", "14", "15", "xyz"}, Row{}}},
        // A last line with a result would be overwritten by the next one.
        {"last line with a result gets an entry row", "\t01.02.2024\t10:00\n", {Row{"", "01.02.2024", "10:00"}, Row{}}},
        {"a value alone counts as a result",
         QByteArray::fromStdString(std::string(15, '\t') + "7"),
         {Row{"", "", "", "", "", "", "", "", "", "", "", "", "", "", "", "7"}, Row{}}},
    };
    for (const ParseCase &c : cases) {
        SCOPED_TRACE(c.name);
        const JournalRows rows = ParseJournal(QByteArray(c.bytes));
        EXPECT_EQ(RowsOf(rows), c.rows);
    }
}

TEST(JournalFileWrite, WritesSixteenFieldsAndCrLfPerRow)
{
    JournalRows rows;
    rows.AppendEmpty();
    EXPECT_EQ(Written(rows), QByteArray(15, '\t') + "\r\n"); // 17 bytes

    JournalRows labelled;
    labelled.Append({QByteArrayView("a")});
    EXPECT_EQ(Written(labelled), "a" + QByteArray(15, '\t') + "\r\n"); // 18 bytes

    JournalRows full;
    full.Append({QByteArrayView(Win1251("Проба 1")), "01.02.2024", "10:11:12", "3", "4,50"});
    full.AppendEmpty();
    EXPECT_EQ(Written(full),
              Line({Win1251("Проба 1"), "01.02.2024", "10:11:12", "3", "4,50"}) + QByteArray(15, '\t') + "\r\n");
}

TEST(JournalFileWrite, WhatTheProgramWritesReadsBackByteForByte)
{
    // Every byte that can stand in a cell, 0x98 included, in a label and in
    // a value field, with Cyrillic captions and decimal commas around them.
    QByteArray allBytes;
    for (int b = 0x20; b < 0x100; ++b)
        allBytes.append(char(b));
    const QByteArray file = Line({allBytes, "01.02.2024", "10:11:12", "5", "-0,52", "", "", allBytes}) +
                            Line({Win1251("Ст.гомогенизации")}) + Line({}) + Line({Win1251("Проба")});
    const JournalRows rows = ParseJournal(QByteArray(file));
    ASSERT_EQ(rows.Count(), 4);
    EXPECT_EQ(Written(rows), file);
}

TEST(JournalFileRead, AnyBytesGiveNumberedRowsAndAStableFile)
{
    std::mt19937 random(1234);
    for (int round = 0; round < 20; ++round) {
        QByteArray bytes(int(random() % 4000), Qt::Uninitialized);
        for (char &b : bytes)
            b = char(random() % 4 == 0 ? "\t\r\n\0"[random() % 4] : random());
        const JournalRows rows = ParseJournal(QByteArray(bytes));
        ASSERT_GE(rows.Count(), 1);
        EXPECT_FALSE(rows.HasResult(rows.Count() - 1));
        // Once written, the journal reads back to the same rows and bytes.
        const QByteArray once = Written(rows);
        const JournalRows again = ParseJournal(QByteArray(once));
        EXPECT_EQ(RowsOf(again), RowsOf(rows));
        EXPECT_EQ(Written(again), once);
    }
}

TEST(JournalFileRead, TenMegabyteSingleLine)
{
    QByteArray line(10 * 1024 * 1024, 'x');
    line[5] = '\r';
    const JournalRows rows = ParseJournal(QByteArray(line));
    ASSERT_EQ(rows.Count(), 1);
    EXPECT_EQ(rows.Field(0, 1).size(), line.size() - 1);
    EXPECT_EQ(Written(rows).size(), line.size() - 1 + 15 + 2);
}

TEST(JournalFileRead, MissingFileIsTheEmptyJournal)
{
    QTemporaryDir dir;
    const JournalRows rows = ReadJournalFile(dir.filePath("absent.txt"));
    EXPECT_EQ(RowsOf(rows), std::vector<Row>{Row{}});
}

TEST(JournalFileRead, UnreadableFilesThrow)
{
    QTemporaryDir dir;
    // Tests run as root, where permissions do not stop reading: a folder
    // in place of the file fails the same way an unreadable file does.
    // (Each platform's own unreadable files: JournalFile<platform>Test.cpp.)
    ASSERT_TRUE(QDir(dir.path()).mkdir("journal.txt"));
    EXPECT_THROW(ReadJournalFile(dir.filePath("journal.txt")), EJournalFile);
}

// A device that fails after handing out some bytes, like a disk read error.
class FailingDevice : public QIODevice {
public:
    explicit FailingDevice(QByteArray first) : FFirst(std::move(first)) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return false; }
    qint64 size() const override { return 1 << 20; }

protected:
    qint64 readData(char *data, qint64 max) override
    {
        if (FGiven) {
            setErrorString("I/O error 5");
            return -1;
        }
        FGiven = true;
        const qint64 n = std::min<qint64>(max, FFirst.size());
        memcpy(data, FFirst.constData(), size_t(n));
        return n;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray FFirst;
    bool FGiven = false;
};

TEST(JournalFileRead, ReadErrorMidwayThrowsWithTheSystemText)
{
    FailingDevice device("a\tb\r\nc\r\n");
    try {
        ReadJournal(device);
        FAIL() << "no error";
    } catch (const EJournalFile &e) {
        EXPECT_NE(std::string(e.what()).find("I/O error 5"), std::string::npos) << e.what();
    }
}

TEST_F(JournalFileSave, WritesTheFileAndReplacesAnOldOne)
{
    const QString path = dir.filePath(QString::fromUtf8("Новый1.txt"));
    WriteBytes(path, "old\r\n");
    SaveJournalFile(rows, path);
    EXPECT_EQ(ReadBytes(path), Written(rows));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QString::fromUtf8("Новый1.txt")});
}

TEST_F(JournalFileSave, UnwritablePlacesThrow)
{
    EXPECT_THROW(SaveJournalFile(rows, dir.filePath("no such folder/journal.txt")), EJournalFile);
    EXPECT_FALSE(QDir(dir.filePath("no such folder")).exists());
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.txt"));
    EXPECT_THROW(SaveJournalFile(rows, dir.filePath("folder.txt")), EJournalFile);
    EXPECT_TRUE(QFileInfo(dir.filePath("folder.txt")).isDir());
}

} // namespace
