// The journal grid: column fitting, row heights, where the operator may
// type, and the per-cell colour event.

#include "ClGrid.h"
#include "JournalDocument.h"
#include "JournalView.h"
#include "MyConsts.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
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

    QLineEdit* Editor() const { return grid.findChild<QLineEdit*>(); }

    void Select(int journalRow, int col)
    {
        grid.setFocus();
        grid.setCurrentIndex(journal.Model().index(journalRow - 1, col));
    }
};

TEST_F(JournalGridTest, ResizingRefitsEveryColumnAndDropsDraggedWidths)
{
    EXPECT_EQ(Widths(), TColorStringGrid::FittedColumnWidths(grid.ClientWidth()));
    grid.horizontalHeader()->resizeSection(3, 200);  // the operator drags
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
    QApplication::processEvents();  // the editor commits through a queued call
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
        EXPECT_EQ(grid.currentIndex(), journal.Model().index(1, col));  // no jump to a matching cell
    }
    EXPECT_FALSE(journal.JournalModified());
    EXPECT_EQ(journal.Model().Cell(2, 2), "01.02.2024");
}

TEST_F(JournalGridTest, CellColourEventDecidesTheFillOfEachCell)
{
    std::set<std::pair<int, int>> fixedCells;
    grid.OnGetCellColor = [&](TColorStringGrid* sender, int row, int col, TGridDrawState state, QBrush& brush,
                              TCellFont&) {
        EXPECT_EQ(sender, &grid);
        if (state & TGridDrawStateFlag::gdFixed)
            fixedCells.insert({row, col});
        if (row == 2 && col == 3)
            brush = QBrush(Qt::red);
    };
    grid.setCurrentIndex(journal.Model().index(0, 8));  // the red cell is neither current nor selected
    const QImage image = grid.grab().toImage();

    const QModelIndex red = journal.Model().index(1, 3);
    const QPoint inCell = grid.visualRect(red).bottomRight() - QPoint(2, 2) + grid.viewport()->pos();
    EXPECT_EQ(image.pixelColor(inCell), QColor(Qt::red));
    const QPoint other = grid.visualRect(journal.Model().index(2, 3)).bottomRight() - QPoint(2, 2) + grid.viewport()->pos();
    EXPECT_NE(image.pixelColor(other), QColor(Qt::red));
    // The caption row and the number column are drawn as fixed cells.
    EXPECT_TRUE(fixedCells.count({0, 3}));
    EXPECT_TRUE(fixedCells.count({2, 0}));
    EXPECT_FALSE(fixedCells.count({2, 3}));
}

}  // namespace
