// Quality norms: which cells break them, and their file.

#include "QualityNorms.h"
#include "ProgramTexts.h"
#include "QualityNormsFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(QualityNorms, CellsAreJudgedByTheJournalsNumberRules)
{
    TQualityNorms norms;
    norms.SetNorm(6, {2.8, std::nullopt});     // fat not below 2,8
    norms.SetNorm(8, {1027.0, 1034.0});        // density between
    norms.SetNorm(15, {std::nullopt, -0.520}); // freezing point not above -0,520
    struct Case {
        int column;
        const char *text;
        QChar separator;
        TNormVerdict verdict;
    };
    const Case cases[] = {
        {6, "2,80", u',', TNormVerdict::Within}, // the bound itself is within
        {6, "2,79", u',', TNormVerdict::Below},
        {6, "3,52", u',', TNormVerdict::Within},
        {6, "0,00", u',', TNormVerdict::Below},
        {6, "-0,01", u',', TNormVerdict::Below},
        {6, "2.79", u'.', TNormVerdict::Below},     // a desktop with a decimal point
        {6, "2.79", u',', TNormVerdict::NotJudged}, // the other separator is text
        {6, "", u',', TNormVerdict::NotJudged},
        {6, "брак", u',', TNormVerdict::NotJudged},
        {6, "2,5a", u',', TNormVerdict::NotJudged},
        {6, "NAN", u',', TNormVerdict::NotJudged},
        {6, "1,23456789E+10", u',', TNormVerdict::Within},
        {8, "1026,99", u',', TNormVerdict::Below},
        {8, "1027,00", u',', TNormVerdict::Within},
        {8, "1034,00", u',', TNormVerdict::Within},
        {8, "1034,01", u',', TNormVerdict::Above},
        {15, "-0,5204", u',', TNormVerdict::Within}, // four decimals
        {15, "-0,5200", u',', TNormVerdict::Within},
        {15, "-0,5199", u',', TNormVerdict::Above},
        {15, "-0,52", u',', TNormVerdict::Within},
        {15, "0,0000", u',', TNormVerdict::Above},
        {7, "1,00", u',', TNormVerdict::NotJudged}, // no norm for SNF
        {2, "01.02.2024", u',', TNormVerdict::NotJudged},
        {1, "2,00", u',', TNormVerdict::NotJudged}, // the label is no value column
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "column " << c.column << " \"" << c.text << "\"");
        EXPECT_EQ(norms.Judge(c.column, QString::fromUtf8(c.text), c.separator), c.verdict);
        EXPECT_EQ(norms.Breaks(c.column, QString::fromUtf8(c.text), c.separator),
                  c.verdict == TNormVerdict::Below || c.verdict == TNormVerdict::Above);
    }
}

TEST(QualityNorms, OnlyValueColumnsTakeNormsAndTheRawMilkSetIsTheStandards)
{
    TQualityNorms norms;
    EXPECT_TRUE(norms.IsEmpty());
    norms.SetNorm(4, {1.0, std::nullopt}); // the group number is no value
    norms.SetNorm(17, {1.0, std::nullopt});
    EXPECT_TRUE(norms.IsEmpty());

    const TQualityNorms raw = RawCowMilkNorms();
    EXPECT_FALSE(raw.IsEmpty());
    EXPECT_EQ(raw.Norm(6), (TNorm{2.8, std::nullopt}));
    EXPECT_EQ(raw.Norm(7), (TNorm{8.2, std::nullopt}));
    EXPECT_EQ(raw.Norm(8), (TNorm{1027.0, std::nullopt}));
    EXPECT_EQ(raw.Norm(9), (TNorm{2.8, std::nullopt}));
    EXPECT_EQ(raw.Norm(15), (TNorm{std::nullopt, -0.52}));
    for (int c : {5, 10, 11, 12, 13, 14, 16})
        EXPECT_FALSE(raw.Norm(c).IsSet()) << c;
}

TEST(QualityNorms, BoundsAreReadAsPeopleTypeThem)
{
    EXPECT_EQ(ParseBound(QStringLiteral("2,8"), u','), 2.8);
    EXPECT_EQ(ParseBound(QStringLiteral(" 2.8 "), u','), 2.8);
    EXPECT_EQ(ParseBound(QStringLiteral("\u22120,520"), u','), -0.52);
    EXPECT_EQ(ParseBound(QStringLiteral("1027"), u'.'), 1027.0);
    for (const char *bad : {"", "2,8,1", "abc", "1e3", "2,", "--1"})
        EXPECT_FALSE(ParseBound(QString::fromUtf8(bad), u',')) << bad;
    EXPECT_EQ(FormatBound(-0.52, u','), QStringLiteral("-0,52"));
    EXPECT_EQ(FormatBound(1027.0, u','), QStringLiteral("1027"));
    EXPECT_EQ(FormatBound(2.8, u'.'), QStringLiteral("2.8"));
}

class NormsFile : public testing::Test {
protected:
    QTemporaryDir Folder;
    QString FileName() const { return Folder.filePath(QStringLiteral("NivaraNorms.txt")); }
};

TEST_F(NormsFile, LivesBesideTheSettingsAndComesBackAsWritten)
{
    EXPECT_EQ(NormsFileName(QStringLiteral("/a/b/Nivara.Ini")), QStringLiteral("/a/b/NivaraNorms.txt"));
    TQualityNorms norms = RawCowMilkNorms();
    norms.SetNorm(5, {2.0, 10.0});
    norms.SetNorm(16, {std::nullopt, 12345.678});
    WriteNormsFile(FileName(), norms);
    const TNormsFileContents read = ReadNormsFile(FileName());
    EXPECT_TRUE(read.Problems.isEmpty()) << read.Problems.join(u'\n').toStdString();
    EXPECT_EQ(read.Norms, norms);

    // Readable by a person: the header, then one bound a line with a comma.
    // (Closed before the next write: Windows keeps an open file from being
    // replaced, and the write says so.)
    QFile file(FileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    file.close();
    EXPECT_TRUE(text.startsWith(u'#'));
    EXPECT_TRUE(text.contains(QStringLiteral("\nЖир >= 2,8\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nТ.замерзания <= -0,52\n")));

    // No norms is a file with the header alone.
    WriteNormsFile(FileName(), {});
    EXPECT_TRUE(ReadNormsFile(FileName()).Norms.IsEmpty());
}

TEST_F(NormsFile, ABadLineCostsThatLineOnly)
{
    const QByteArray text = "\xEF\xBB\xBF# примечание\r\n"
                            "Жир >= 2,8\r\n"
                            "Жыр >= 3\n"     // no such column
                            "СОМО = 8,2\n"   // no relation
                            "Белок >= два\n" // no number
                            "Жир >= 3,0\n"   // twice
                            "Дата >= 1\n"    // not a value column
                            "\n"
                            "  ; также примечание\n"
                            "плотность ≥ 1027.0\n"  // any case, the sign, a point
                            "Т.замерзания<=−0,520"; // no spaces, a typographic minus, no line end
    const TNormsFileContents read = ParseNormsText(text, QStringLiteral("/x/NivaraNorms.txt"));
    TQualityNorms expected;
    expected.SetNorm(6, {2.8, std::nullopt});
    expected.SetNorm(8, {1027.0, std::nullopt});
    expected.SetNorm(15, {std::nullopt, -0.52});
    EXPECT_EQ(read.Norms, expected);
    ASSERT_EQ(read.Problems.size(), 5) << read.Problems.join(u'\n').toStdString();
    EXPECT_EQ(read.Problems[0],
              MyConsts::sNormsFileBadLine().arg(QDir::toNativeSeparators(QStringLiteral("/x/NivaraNorms.txt")),
                                                QStringLiteral("3"), QStringLiteral("Жыр >= 3"),
                                                MyConsts::sNormsFileNoColumn().arg(QStringLiteral("Жыр"))));
    EXPECT_TRUE(read.Problems[1].contains(MyConsts::sNormsFileNoRelation()));
    EXPECT_TRUE(read.Problems[2].contains(MyConsts::sNormsFileBadNumber().arg(QStringLiteral("два"))));
    EXPECT_TRUE(read.Problems[3].contains(MyConsts::sNormsFileTwice().arg(QStringLiteral("Жир"))));
    EXPECT_TRUE(read.Problems[4].contains(QStringLiteral("строка 7")));
}

TEST_F(NormsFile, MissingUnreadableAndUnwritableFilesSaySo)
{
    const TNormsFileContents missing = ReadNormsFile(FileName());
    EXPECT_TRUE(missing.Norms.IsEmpty());
    EXPECT_TRUE(missing.Problems.isEmpty());

    // A folder in its place cannot be read; the message names the file.
    ASSERT_TRUE(QDir(Folder.path()).mkdir(QStringLiteral("NivaraNorms.txt")));
    const TNormsFileContents folder = ReadNormsFile(FileName());
    EXPECT_TRUE(folder.Norms.IsEmpty());
    ASSERT_EQ(folder.Problems.size(), 1);
    EXPECT_TRUE(folder.Problems[0].contains(QDir::toNativeSeparators(FileName())));
    EXPECT_THROW(WriteNormsFile(FileName(), RawCowMilkNorms()), std::runtime_error);

    // Text in another code page reads what it can, and says so.
    const TNormsFileContents cp1251 = ParseNormsText("\xC6\xE8\xF0 >= 2,8\n", FileName());
    EXPECT_TRUE(cp1251.Norms.IsEmpty());
    EXPECT_EQ(cp1251.Problems.size(), 2);
}

} // namespace
