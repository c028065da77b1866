// Quality norms and values that did not decode, as the operator sees them:
// the grid's fill and mark, the status bar's field, the window's alert, the
// printout, and the mark's way from the analyzer's reply through the result
// log's recovery.

#include "NormMarks.h"
#include "AnalyzerEmulator.h"
#include "JournalDocument.h"
#include "JournalGrid.h"
#include "JournalPrint.h"
#include "JournalView.h"
#include "LogRecovery.h"
#include "NormsDialog.h"
#include "PrintedPage.h"
#include "ProgramTexts.h"
#include "QualityNorms.h"
#include "ResultEntry.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr QChar kComma = u',';

// Date, time, group, then columns 5 (temperature) to 8 (density).
QStringList Result(const char *fat, const char *snf = "8,50", const char *density = "1028,00")
{
    return {"01.02.2024", "10:00:00", "1", "20,00", fat, snf, density};
}

class NormMarksTest : public ::testing::Test {
protected:
    JournalDocument journal{MyConsts::sJournalTexts()};
    TColorStringGrid grid;
    QWidget window; // holds the status bar's field
    int alerts = 0;

    void SetUp() override
    {
        AttachJournalGrid(grid, journal);
        journal.EnterResult(Result("3,52"));
        journal.EnterResult(Result("2,50"));         // fat below 2,8
        journal.EnterResult(Result("2,80", "8,10")); // fat at its bound; SNF below 8,2
        grid.resize(900, 200);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
        grid.clearSelection();
        grid.setCurrentIndex({});
    }

    std::unique_ptr<TNormMarks> Marks()
    {
        auto marks = std::make_unique<TNormMarks>(grid, journal, &window, kComma);
        marks->SetAlert([this](QWidget *) { ++alerts; });
        return marks;
    }

    QImage Picture()
    {
        grid.viewport()->repaint();
        return grid.grab().toImage();
    }

    // A cell's rectangle in the grid's picture (grid row, column).
    QRect Cell(int row, int col) const
    {
        return grid.visualRect(journal.Model().index(row - 1, col)).translated(grid.viewport()->pos());
    }
};

TEST_F(NormMarksTest, WithoutNormsOrUndecodedValuesTheGridPaintsAsWithoutMarks)
{
    const QImage before = Picture();
    auto marks = Marks();
    marks->SetNorms({});
    EXPECT_FALSE(marks->Painting());
    EXPECT_FALSE(grid.OnGetCellColor);
    EXPECT_FALSE(marks->StatusLabel()->isVisibleTo(&window));
    EXPECT_EQ(Picture(), before);

    // Norms set and taken away again leave no trace either.
    marks->SetNorms(RawCowMilkNorms());
    EXPECT_TRUE(marks->Painting());
    EXPECT_NE(Picture(), before);
    marks->SetNorms({});
    EXPECT_FALSE(marks->Painting());
    EXPECT_EQ(Picture(), before);
}

TEST_F(NormMarksTest, ACellOutsideItsNormGetsAFillAndAMarkThatShowWithoutColour)
{
    auto marks = Marks();
    marks->SetNorms(RawCowMilkNorms());
    const QImage picture = Picture();
    const QImage grey = picture.convertToFormat(QImage::Format_Grayscale8);

    const QRect marked = Cell(2, 6);   // fat 2,50
    const QRect unmarked = Cell(1, 6); // fat 3,52
    ASSERT_TRUE(marks->IsMarked(2, 6));
    ASSERT_FALSE(marks->IsMarked(1, 6));
    EXPECT_FALSE(marks->IsMarked(3, 6)); // at its bound
    EXPECT_TRUE(marks->IsMarked(3, 7));

    // The fill: below the text, inside the frame.
    const QPoint fill(8, marked.height() - 5);
    EXPECT_EQ(picture.pixelColor(marked.topLeft() + fill), TNormMarks::MarkColor());
    EXPECT_EQ(picture.pixelColor(unmarked.topLeft() + fill), grid.palette().color(QPalette::Base));
    // The frame and the corner, dark on a light cell in grey as in colour.
    for (const QPoint at :
         {QPoint(0, marked.height() / 2), QPoint(marked.width() / 2, 0), QPoint(marked.width() - 2, 2)}) {
        EXPECT_LT(qGray(grey.pixel(marked.topLeft() + at)), 64) << at.x() << "," << at.y();
        EXPECT_GT(qGray(grey.pixel(unmarked.topLeft() + at)), 192) << at.x() << "," << at.y();
    }
    // The fill too stays apart from the window's white in grey.
    EXPECT_LT(qGray(grey.pixel(marked.topLeft() + fill)), 235);
}

TEST_F(NormMarksTest, TheStatusBarCountsRowsAndTheWindowIsAlertedByAResultOutsideANorm)
{
    auto marks = Marks();
    EXPECT_FALSE(marks->StatusLabel()->isVisibleTo(&window));
    marks->SetNorms(RawCowMilkNorms());
    EXPECT_EQ(marks->RowsOutside(), 2);
    EXPECT_TRUE(marks->StatusLabel()->isVisibleTo(&window));
    EXPECT_EQ(marks->StatusLabel()->text(), MyConsts::sNormsRowsOutside().arg(2));
    EXPECT_EQ(alerts, 0); // setting norms alerts nobody

    journal.EnterResult(Result("3,60"));
    EXPECT_EQ(alerts, 0);
    journal.EnterResult(Result("2,00", "7,00", "1020,00")); // three norms, one row
    EXPECT_EQ(alerts, 1);
    EXPECT_EQ(marks->RowsOutside(), 3);

    // Opening another journal, or a new one, counts afresh.
    journal.Model().Reset();
    EXPECT_EQ(marks->RowsOutside(), 0);
    EXPECT_FALSE(marks->StatusLabel()->isVisibleTo(&window));
    EXPECT_EQ(alerts, 1);
}

TEST_F(NormMarksTest, AValueThatDidNotDecodeIsMarkedAndCountedWithoutNorms)
{
    const QImage before = Picture();
    auto marks = Marks();
    EXPECT_FALSE(marks->Painting());
    // Fat and SNF did not decode: entered as 0,00 all the same.
    journal.EnterResult(Result("0,00", "0,00"), (1u << 6) | (1u << 7));
    EXPECT_EQ(journal.Model().Cell(6, 4), "0,00");
    EXPECT_EQ(alerts, 1);
    EXPECT_TRUE(marks->Painting());
    EXPECT_TRUE(marks->IsMarked(4, 6));
    EXPECT_TRUE(marks->IsMarked(4, 7));
    EXPECT_FALSE(marks->IsMarked(4, 8));
    EXPECT_FALSE(marks->IsMarked(2, 6)); // outside a norm, but no norms are set
    EXPECT_EQ(marks->UndecodedValues(), 2);
    EXPECT_EQ(marks->RowsOutside(), 0);
    EXPECT_EQ(marks->StatusLabel()->text(), MyConsts::sUndecodedValues().arg(2));
    const QImage picture = Picture();
    EXPECT_EQ(picture.pixelColor(Cell(4, 6).topLeft() + QPoint(8, Cell(4, 6).height() - 5)), TNormMarks::MarkColor());

    // The label typed later keeps the mark; a journal read from its file has none.
    journal.Model().SetCell(1, 4, QStringLiteral("Ферма 7"));
    EXPECT_TRUE(marks->IsMarked(4, 6));
    journal.Model().Reset();
    EXPECT_FALSE(marks->Painting());
    EXPECT_EQ(marks->UndecodedValues(), 0);
}

// Printed at 300 dpi on an A4 sheet.
TEST_F(NormMarksTest, APrintoutMarksTheSameCellsOnGreyGroundInAFrame)
{
    auto marks = Marks();
    journal.EnterResult(Result("3,40", "0,00"), 1u << 7); // SNF did not decode
    const auto inkAt = [](const TPrintedPage &printed, int row, int col) {
        // The left edge of the cell's text box, low in its line, where no
        // digit has ink.
        const int x = printed.Layout.ColumnX(col);
        const int y = (row + 3) * printed.Layout.S + printed.Band - 3;
        return qGray(printed.Page.pixel(x, y));
    };

    const TPrintedPage plain =
        PrintFirstPage(journal.Printout(journal.Model().RowCount() - 1, JournalFont()), kA4At300Dpi, 300);
    EXPECT_LT(inkAt(plain, 4, 7), 64);  // undecoded: marked without norms
    EXPECT_GT(inkAt(plain, 2, 6), 192); // no norms: fat 2,50 is plain

    marks->SetNorms(RawCowMilkNorms());
    const TPrintedPage normed =
        PrintFirstPage(journal.Printout(journal.Model().RowCount() - 1, JournalFont()), kA4At300Dpi, 300);
    EXPECT_LT(inkAt(normed, 2, 6), 64);
    EXPECT_GT(inkAt(normed, 1, 6), 192);
    EXPECT_LT(inkAt(normed, 3, 7), 64);
    EXPECT_GT(inkAt(normed, 3, 6), 192);

    // Without norms and undecoded values the page is the same as before.
    journal.Model().Reset();
    journal.EnterResult(Result("2,50"));
    marks->SetNorms({});
    const TPrintedPage without =
        PrintFirstPage(journal.Printout(journal.Model().RowCount() - 1, JournalFont()), kA4At300Dpi, 300);
    JournalPrintout bare = journal.Printout(journal.Model().RowCount() - 1, JournalFont());
    bare.outsideNorm = nullptr;
    bare.undecoded.clear();
    EXPECT_EQ(without.Page, PrintFirstPage(std::move(bare), kA4At300Dpi, 300).Page);
}

TEST(UndecodedValues, TheReplyTellsWhichColumnsDidNotDecode)
{
    using namespace Emulator;
    const auto reply = [](std::vector<double> values, int bad) {
        TEmulatorConfig config;
        config.Values = std::move(values);
        config.BadValue = bad;
        const Bytes bytes = AnalyzerEmulator(config, Clock::time_point{}).ResultReply();
        return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
    };
    const std::vector<double> four{20.0, 3.45, 8.5, 1028.0};
    const std::vector<double> twelve{21.5, 3.52, 8.61, 1028.4, 3.18, 0, 12.25, 4.71, 0.72, 9.1, -0.5204, 77};
    EXPECT_EQ(UndecodedColumns(reply(four, -1), 4), 0u);
    EXPECT_EQ(UndecodedColumns(reply(four, 1), 4), 1u << 6);      // fat
    EXPECT_EQ(UndecodedColumns(reply(twelve, 10), 12), 1u << 15); // the freezing point, 4 decimals
    EXPECT_EQ(UndecodedColumns(reply(twelve, 11), 12), 1u << 16);
    // A reply that is not whole tells nothing.
    EXPECT_EQ(UndecodedColumns(reply(four, 1).chopped(1), 4), 0u);
    EXPECT_EQ(UndecodedColumns(reply(four, 1), 6), 0u);
    EXPECT_EQ(UndecodedColumns({}, 0), 0u);
}

TEST(UndecodedValues, RecoveryPutsTheMarkBackFromTheLoggedReply)
{
    using namespace Emulator;
    TEmulatorConfig config;
    config.BadValue = 2; // SNF
    const Bytes bytes = AnalyzerEmulator(config, Clock::time_point{}).ResultReply();
    TPollSnapshot poll;
    poll.State.ValueCount = 4;
    poll.LastReply = QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));

    TResultLogContents log;
    log.HasHeader = true;
    log.JournalFileName = QStringLiteral("Журнал.txt");
    log.Base = QByteArray();
    log.Records.push_back(TResultLogRecord::Result(1, Result("3,45")));
    TResultLogRecord bad = TResultLogRecord::Result(2, Result("3,45", "0,00"));
    bad.Poll = poll;
    log.Records.push_back(bad);
    TJournalFileNow file; // the journal file is missing: the log's work is all there is

    const TRecoveryPlan plan = PlanRecovery(log, file, log.JournalFileName);
    ASSERT_NE(plan.Place, TRecoveryPlace::Nothing);
    EXPECT_EQ(plan.Undecoded, (JournalModel::TUndecoded{{2, 1u << 7}}));
}

TEST(NormsDialog, OffersTheRawMilkSetAndRefusesWhatIsNoNumber)
{
    TNormsDialog dialog({}, kComma);
    for (int c = TQualityNorms::FirstValueColumn; c <= TQualityNorms::LastValueColumn; ++c)
        EXPECT_TRUE(dialog.LowerEdit(c)->text().isEmpty() && dialog.UpperEdit(c)->text().isEmpty()) << c;
    EXPECT_EQ(dialog.Norms(), TQualityNorms{}); // the set is off until asked for

    dialog.UpperEdit(5)->setText(QStringLiteral("40"));
    dialog.ApplySetButton->click();
    EXPECT_EQ(dialog.LowerEdit(6)->text(), QStringLiteral("2,8"));
    EXPECT_EQ(dialog.UpperEdit(15)->text(), QStringLiteral("-0,52"));
    TQualityNorms expected = RawCowMilkNorms();
    expected.SetNorm(5, {std::nullopt, 40.0}); // kept beside the set
    EXPECT_EQ(dialog.Norms(), expected);

    dialog.LowerEdit(8)->setText(QStringLiteral("тысяча"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.Problem(), MyConsts::sNormsBadBound().arg(MyConsts::sColumnCaption(8), QStringLiteral("тысяча")));
    dialog.LowerEdit(8)->setText(QStringLiteral("1030"));
    dialog.UpperEdit(8)->setText(QStringLiteral("1029.5"));
    EXPECT_EQ(dialog.Problem(), MyConsts::sNormsLowerAboveUpper().arg(MyConsts::sColumnCaption(8)));
    EXPECT_FALSE(dialog.Norms());

    dialog.ClearButton->click();
    EXPECT_EQ(dialog.Norms(), TQualityNorms{});
}

} // namespace
