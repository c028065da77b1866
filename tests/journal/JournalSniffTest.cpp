// Files that are plainly not journals, told from their first bytes; real
// journals, whatever their labels hold, are never among them.

#include "JournalSniff.h"
#include "TestFiles.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray Utf16Le(const char *utf8)
{
    const QString text = QString::fromUtf8(utf8);
    return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
}

QByteArray Utf16Be(const char *utf8)
{
    QByteArray bytes = Utf16Le(utf8);
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2)
        std::swap(bytes[i], bytes[i + 1]);
    return bytes;
}

const char *const kRow = "Проба 1\t01.02.2024\t10:11:12\t3\t20,0\t3,45\t\t\t\t\t\t\t\t\t\t\r\n";

TEST(JournalSniff, TellsFilesThatArePlainlyNotJournals)
{
    // UTF-8 Cyrillic whose sample ends after the first byte of a letter.
    QByteArray cutUtf8 = "Жир\r\n";
    cutUtf8 += QByteArray(kJournalSniffBytes - 1 - cutUtf8.size(), 'x') + "Жир\r\n";
    ASSERT_EQ(cutUtf8[kJournalSniffBytes - 1], '\xD0');

    const struct {
        const char *Case;
        QByteArray Bytes;
        TJournalLook Look;
    } cases[] = {
        {"a journal in Windows-1251", Win1251(kRow) + Win1251("Иванов\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\r\n"),
         TJournalLook::Journal},
        {"an empty file", "", TJournalLook::Journal},
        {"a journal of digits and Latin letters (valid UTF-8 as well)", "12\t01.02.2024\t10:11:12\tA;B;C;D\r\n",
         TJournalLook::Journal},
        {"a journal whose one Cyrillic letter reads as UTF-8 by chance", Win1251("Сё 7\t\t\t\r\n"),
         TJournalLook::Journal},
        {"a lone Cyrillic letter in UTF-8 is too little to tell", "Я\t01.02.2024\r\n", TJournalLook::Journal},
        {"UTF-8 labels mixed with Windows-1251 ones by an earlier save", QByteArray(kRow) + Win1251(kRow),
         TJournalLook::Journal},
        {"semicolons in a line that has TABs", "1;2;3;4\t5\r\n", TJournalLook::Journal},
        {"a few semicolons without TABs", Win1251("Проба;1\r\nИванов;2;3\r\n"), TJournalLook::Journal},
        {"UTF-16 LE with its mark", "\xFF\xFE" + Utf16Le(kRow), TJournalLook::Utf16},
        {"UTF-16 BE with its mark", "\xFE\xFF" + Utf16Be(kRow), TJournalLook::Utf16},
        {"UTF-8 with its mark", "\xEF\xBB\xBF" + QByteArray("12\t01.02.2024\r\n"), TJournalLook::Utf8},
        {"UTF-8 Cyrillic without a mark", kRow, TJournalLook::Utf8},
        {"UTF-8 Cyrillic cut by the end of the sample", cutUtf8, TJournalLook::Utf8},
        {"UTF-16 LE without a mark", Utf16Le(kRow), TJournalLook::NulBytes},
        {"a NUL byte among Windows-1251 text", Win1251(kRow) + QByteArray(1, '\0'), TJournalLook::NulBytes},
        {"a spreadsheet saved with ';'", Win1251("Проба;Жир;СОМО;Белок\r\n1;3,45;8,50;3,10\r\n"),
         TJournalLook::Semicolons},
        {"a spreadsheet saved with ';' in UTF-8: the encoding is named", "Проба;Жир;СОМО;Белок\r\n1;3,45;8,50;3,10\r\n",
         TJournalLook::Utf8},
    };
    for (const auto &c : cases)
        EXPECT_EQ(SniffJournal(c.Bytes), c.Look) << c.Case;

    // Only the first bytes are looked at: what lies behind them does not count.
    QByteArray journal;
    while (journal.size() < kJournalSniffBytes)
        journal += Win1251(kRow);
    EXPECT_EQ(SniffJournal(journal + QByteArray(1, '\0')), TJournalLook::Journal);
}

TEST(JournalSniff, OnDiskOnlyRegularFilesThatCanBeReadAreJudged)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WriteBytes(dir.filePath("day.csv"), Win1251("Проба;Жир;СОМО;Белок\r\n"));
    WriteBytes(dir.filePath("day.txt"), Win1251(kRow));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.txt"));
    EXPECT_EQ(SniffJournalFile(dir.filePath("day.csv")), TJournalLook::Semicolons);
    EXPECT_EQ(SniffJournalFile(dir.filePath("day.txt")), TJournalLook::Journal);
    EXPECT_EQ(SniffJournalFile(dir.filePath("absent.txt")), std::nullopt);
    EXPECT_EQ(SniffJournalFile(dir.filePath("folder.txt")), std::nullopt);
    // Devices: JournalFile<platform>Test.cpp.
}

} // namespace
