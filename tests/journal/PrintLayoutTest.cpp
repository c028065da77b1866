// Page layout of the printout.

#include "JournalPrintLayout.h"

#include <gtest/gtest.h>

namespace {

TEST(PrintLayout, ExamplePage)
{
    const PrintPageLayout l = PrintPageLayout::Compute(6600, 4760, 66);
    EXPECT_EQ(l.U, 140);
    EXPECT_EQ(l.L, 100);
    EXPECT_EQ(l.S, 66);
    EXPECT_EQ(l.R, 96);
    EXPECT_EQ(l.HeaderPos(), QPoint(800, 66));
    EXPECT_EQ(l.CaptionY(), 198);
    EXPECT_EQ(l.RowY(1), 264);
    EXPECT_EQ(l.RowY(96), 6534);
    EXPECT_EQ(l.ColumnX(0), 140);
    EXPECT_EQ(l.ColumnX(1), 280);
    EXPECT_EQ(l.ColumnX(2), 560);
    EXPECT_EQ(l.ColumnX(15), 4200);
    EXPECT_EQ(l.ColumnX(16), -1);
    EXPECT_EQ(l.ColumnRight(0), 280);
    EXPECT_EQ(l.ColumnRight(1), 560);
    EXPECT_EQ(l.ColumnRight(14), 4200);
    EXPECT_EQ(l.ColumnRight(15), 4760) << "nothing printed after it: the rest of the page";
    EXPECT_EQ(l.ColumnRight(16), -1);
    EXPECT_EQ(l.PageCount(1), 1);
    EXPECT_EQ(l.PageCount(96), 1);
    EXPECT_EQ(l.PageCount(97), 2);
    EXPECT_EQ(l.PageCount(192), 2);
    EXPECT_EQ(l.PageCount(193), 3);
}

TEST(PrintLayout, LineHeightThatDoesNotDivideThePageSpreadsTheLines)
{
    const PrintPageLayout l = PrintPageLayout::Compute(1000, 340, 70);
    EXPECT_EQ(l.L, 14);
    EXPECT_EQ(l.S, 71);
    EXPECT_EQ(l.R, 10);
    EXPECT_LE(l.RowY(l.R) + l.TH, l.PH);
}

TEST(PrintLayout, PageWithoutRoomForARowIsAnError)
{
    EXPECT_NO_THROW(PrintPageLayout::Compute(500, 100, 100)); // 5 slots: one row
    EXPECT_THROW(PrintPageLayout::Compute(499, 100, 100), EJournalPrint);
    EXPECT_THROW(PrintPageLayout::Compute(50, 100, 100), EJournalPrint); // would divide by zero
    EXPECT_THROW(PrintPageLayout::Compute(0, 0, 10), EJournalPrint);
}

TEST(PrintLayout, HeaderText)
{
    EXPECT_EQ(PageHeaderText(2, QString::fromUtf8("C:\\Данные\\Новый1.txt")),
              QString::fromUtf8("Стр. 2                    Новый1.txt"));
}

} // namespace
