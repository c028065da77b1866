// The journal grid: column fitting, row heights, where the operator may
// type, Enter, following new rows, and the per-cell colour event.

#include "JournalGrid.h"
#include "GridFollow.h"
#include "JournalDocument.h"
#include "JournalView.h"
#include "ProgramTexts.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(JournalGrid, FittedColumnWidths)
{
    struct Case {
        int client, w;
    };
    for (const Case c : {Case{290, 18}, Case{756, 47}, Case{18, 1}, Case{17, 0}, Case{0, 0}, Case{-5, 0}}) {
        const auto widths = TColorStringGrid::FittedColumnWidths(c.client);
        for (int col = 0; col < 17; ++col)
            EXPECT_EQ(widths[size_t(col)], col == 0 || col == 4 ? c.w / 2 : c.w) << c.client << " col " << col;
    }
}

class JournalGridTest : public ::testing::Test {
protected:
    JournalDocument journal{MyConsts::sJournalTexts()};
    TColorStringGrid grid;

    void SetUp() override
    {
        AttachJournalGrid(grid, journal);
        for (int i = 0; i < 3; ++i)
            journal.EnterResult({"01.02.2024", "10:00:00", "1", "4,50"});
        journal.SetJournalModified(false);
        grid.resize(500, 300);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }

    std::array<int, 17> Widths() const
    {
        std::array<int, 17> w{};
        for (int c = 0; c < 17; ++c)
            w[size_t(c)] = grid.columnWidth(c);
        return w;
    }

    QLineEdit *Editor() const { return grid.findChild<QLineEdit *>(); }

    void Select(int journalRow, int col)
    {
        grid.setFocus();
        grid.setCurrentIndex(journal.Model().index(journalRow - 1, col));
    }
};

TEST_F(JournalGridTest, ResizingRefitsEveryColumnAndDropsDraggedWidths)
{
    EXPECT_EQ(Widths(), TColorStringGrid::FittedColumnWidths(grid.ClientWidth()));
    grid.horizontalHeader()->resizeSection(3, 200); // the operator drags
    grid.resize(700, 300);
    QApplication::processEvents();
    EXPECT_EQ(Widths(), TColorStringGrid::FittedColumnWidths(grid.ClientWidth()));
    EXPECT_EQ(grid.columnWidth(1), (grid.ClientWidth() - 2) / 16);
}

TEST_F(JournalGridTest, RowsAreFixedAt24PixelsAndColumnsCannotMove)
{
    EXPECT_EQ(grid.rowHeight(0), 24);
    EXPECT_EQ(grid.horizontalHeader()->height(), 24);
    EXPECT_EQ(grid.verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    EXPECT_FALSE(grid.horizontalHeader()->sectionsMovable());
    EXPECT_EQ(grid.horizontalHeader()->sectionResizeMode(1), QHeaderView::Interactive);
    journal.EnterResult({"d"});
    EXPECT_EQ(grid.rowHeight(3), 24);
}

TEST_F(JournalGridTest, TypingInTheLabelColumnEditsAndMarksTheJournal)
{
    Select(2, 1);
    EXPECT_TRUE(grid.Editing());
    QTest::keyClicks(QApplication::focusWidget(), "X");
    ASSERT_NE(Editor(), nullptr);
    EXPECT_TRUE(journal.JournalModified());
    QTest::keyClicks(Editor(), "yz");
    QTest::keyClick(Editor(), Qt::Key_Return);
    QApplication::processEvents(); // the editor commits through a queued call
    EXPECT_EQ(journal.Model().Cell(1, 2), "Xyz");
}

TEST_F(JournalGridTest, OpeningTheEditorWithoutChangeStillMarksTheJournal)
{
    journal.Model().SetCell(1, 1, "label");
    Select(1, 1);
    QTest::keyClick(&grid, Qt::Key_F2);
    ASSERT_NE(Editor(), nullptr);
    EXPECT_EQ(Editor()->text(), "label");
    QTest::keyClick(Editor(), Qt::Key_Escape);
    EXPECT_TRUE(journal.JournalModified());
    EXPECT_EQ(journal.Model().Cell(1, 1), "label");
}

TEST_F(JournalGridTest, TypingOutsideTheLabelColumnChangesNothing)
{
    for (int col : {2, 5, 16}) {
        Select(2, col);
        EXPECT_FALSE(grid.Editing());
        QTest::keyClicks(&grid, "1");
        QTest::keyClick(&grid, Qt::Key_F2);
        EXPECT_EQ(Editor(), nullptr);
        EXPECT_EQ(grid.currentIndex(), journal.Model().index(1, col)); // no jump to a matching cell
    }
    EXPECT_FALSE(journal.JournalModified());
    EXPECT_EQ(journal.Model().Cell(2, 2), "01.02.2024");
}

TEST_F(JournalGridTest, CellColourEventDecidesTheFillOfEachCell)
{
    std::set<std::pair<int, int>> fixedCells;
    grid.OnGetCellColor = [&](TColorStringGrid *sender, int row, int col, TGridDrawState state, QBrush &brush,
                              TCellFont &) {
        EXPECT_EQ(sender, &grid);
        if (state & TGridDrawStateFlag::gdFixed)
            fixedCells.insert({row, col});
        if (row == 2 && col == 3)
            brush = QBrush(Qt::red);
    };
    grid.setCurrentIndex(journal.Model().index(0, 8)); // the red cell is neither current nor selected
    const QImage image = grid.grab().toImage();

    const QModelIndex red = journal.Model().index(1, 3);
    const QPoint inCell = grid.visualRect(red).bottomRight() - QPoint(2, 2) + grid.viewport()->pos();
    EXPECT_EQ(image.pixelColor(inCell), QColor(Qt::red));
    const QPoint other =
        grid.visualRect(journal.Model().index(2, 3)).bottomRight() - QPoint(2, 2) + grid.viewport()->pos();
    EXPECT_NE(image.pixelColor(other), QColor(Qt::red));
    // The caption row and the number column are drawn as fixed cells.
    EXPECT_TRUE(fixedCells.count({0, 3}));
    EXPECT_TRUE(fixedCells.count({2, 0}));
    EXPECT_FALSE(fixedCells.count({2, 3}));
}

TEST_F(JournalGridTest, NumberColumnShowsTheLargestRowNumberInFull)
{
    const QFontMetrics metrics(grid.font());
    const auto shows = [&](const QString &number) {
        // 2 pixels of inset before the text, 1 for the grid line after it.
        return grid.columnWidth(0) - 3 >= metrics.horizontalAdvance(number);
    };
    while (journal.Model().RowCount() <= 1000)
        journal.EnterResult({"01.02.2024"});
    EXPECT_TRUE(shows("1000")) << grid.columnWidth(0);
    grid.resize(700, 300); // refitting keeps it
    QApplication::processEvents();
    EXPECT_TRUE(shows("1000")) << grid.columnWidth(0);
}

TEST_F(JournalGridTest, EnterCommitsTheLabelAndMovesToTheNextRowsLabel)
{
    const auto current = [&] { return std::pair(grid.currentIndex().row() + 1, grid.currentIndex().column()); };
    // The editor that is open now; closed ones linger until deleted.
    const auto editor = [] { return qobject_cast<QLineEdit *>(QApplication::focusWidget()); };
    Select(1, 1);
    QTest::keyClicks(QApplication::focusWidget(), "A");
    QTest::keyClick(editor(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(journal.Model().Cell(1, 1), "A");
    EXPECT_EQ(current(), std::pair(2, 1));
    EXPECT_FALSE(grid.IsEditing()) << "selected, the next key typed opens the editor";

    QTest::keyClicks(&grid, "B");
    ASSERT_TRUE(grid.IsEditing());
    QTest::keyClick(editor(), Qt::Key_Enter, Qt::KeypadModifier);
    QApplication::processEvents();
    EXPECT_EQ(journal.Model().Cell(1, 2), "B");
    EXPECT_EQ(current(), std::pair(3, 1));

    // Without an editor Enter moves down too; the entry row is the last.
    QTest::keyClick(&grid, Qt::Key_Return);
    EXPECT_EQ(current(), std::pair(4, 1));
    QTest::keyClick(&grid, Qt::Key_Return);
    EXPECT_EQ(current(), std::pair(4, 1));
    EXPECT_EQ(journal.Model().Cell(1, 3), "");

    // Esc drops the text and stays; moving away by click commits and goes
    // where the operator went.
    Select(2, 1);
    QTest::keyClicks(&grid, "C");
    QTest::keyClick(editor(), Qt::Key_Escape);
    EXPECT_EQ(journal.Model().Cell(1, 2), "B");
    EXPECT_EQ(current(), std::pair(2, 1));
    QTest::keyClicks(&grid, "D");
    Select(1, 1);
    EXPECT_EQ(journal.Model().Cell(1, 2), "D");
    EXPECT_EQ(current(), std::pair(1, 1));
}

TEST(GridFollow, AnAppendedRowIsFollowedOnlyFromTheEndAndWithoutAnEditor)
{
    struct Case {
        bool editorOpen;
        int position, maximum;
        bool follows;
    };
    for (const Case c : {Case{false, 0, 0, true}, Case{false, 40, 40, true}, Case{false, 39, 40, false},
                         Case{false, 0, 40, false}, Case{true, 40, 40, false}, Case{true, 0, 0, false}})
        EXPECT_EQ(FollowsAppendedRow({c.editorOpen, c.position, c.maximum}), c.follows)
            << c.editorOpen << " " << c.position << "/" << c.maximum;
}

TEST_F(JournalGridTest, ResultsAreFollowedAtTheEndAndLeaveOlderRowsAndTheEditorAlone)
{
    FollowAppendedRows(grid);
    while (journal.Model().RowCount() < 40)
        journal.EnterResult({"01.02.2024"});
    QScrollBar *bar = grid.verticalScrollBar();
    const auto entryRowInView = [&] {
        const QRect cell = grid.visualRect(journal.Model().index(journal.Model().EntryRow() - 1, 1));
        return grid.viewport()->rect().contains(cell);
    };

    // Looking at the end: the new row comes into view.
    grid.scrollToBottom();
    journal.EnterResult({"01.02.2024"});
    QApplication::processEvents();
    EXPECT_TRUE(entryRowInView());
    EXPECT_EQ(bar->value(), bar->maximum());

    // Reading older rows: the view stays.
    grid.scrollToTop();
    journal.EnterResult({"01.02.2024"});
    QApplication::processEvents();
    EXPECT_EQ(bar->value(), 0);

    // Typing a label in an older row while at the end: view and editor stay.
    grid.scrollToBottom();
    const int row = journal.Model().EntryRow() - 3;
    Select(row, 1);
    QTest::keyClicks(&grid, "x");
    ASSERT_TRUE(grid.IsEditing());
    QLineEdit *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    const int before = bar->value();
    journal.EnterResult({"01.02.2024"});
    QApplication::processEvents();
    EXPECT_EQ(bar->value(), before);
    ASSERT_TRUE(grid.IsEditing());
    EXPECT_EQ(editor->text(), "x");
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(grid.currentIndex(), journal.Model().index(row - 1, 1));
}

} // namespace
