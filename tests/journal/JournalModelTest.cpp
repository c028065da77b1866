// The journal table: row model, entry row, cell texts, and the compact row
// storage beneath it.

#include "JournalModel.h"
#include "JournalRows.h"
#include "ProgramTexts.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

QString U(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

TEST(JournalModel, EmptyJournalHasCaptionsAndOneNumberedEntryRow)
{
    JournalModel model(MyConsts::sJournalTexts().Captions);
    EXPECT_EQ(model.RowCount(), 2);
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.columnCount(), 17);
    const char *captions[] = {"№ ст",    "Проба", "Дата",      "Время",        "№ гр.",           "Температура",
                              "Жир",     "СОМО",  "Плотность", "Белок",        "Доб.вода",        "ГСО",
                              "Лактоза", "Соли",  "СМО",       "Т.замерзания", "Ст.гомогенизации"};
    for (int c = 0; c < 17; ++c) {
        EXPECT_EQ(model.Cell(c, 0), U(captions[c]));
        EXPECT_EQ(model.headerData(c, Qt::Horizontal).toString(), U(captions[c]));
        EXPECT_EQ(model.Cell(c, 1), c == 0 ? "1" : "");
    }
}

TEST(JournalModel, OnlyTheLabelColumnIsEditableAndTheNumberColumnIsFixed)
{
    JournalModel model(MyConsts::sJournalTexts().Captions);
    EXPECT_EQ(model.flags(model.index(0, 0)), Qt::NoItemFlags);
    EXPECT_TRUE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
    for (int c = 2; c < 17; ++c) {
        EXPECT_FALSE(model.flags(model.index(0, c)) & Qt::ItemIsEditable);
        EXPECT_TRUE(model.flags(model.index(0, c)) & Qt::ItemIsSelectable);
    }
    EXPECT_FALSE(model.setData(model.index(0, 2), "x"));
    EXPECT_FALSE(model.setData(model.index(0, 0), "x"));
    EXPECT_EQ(model.Cell(0, 1), "1");
}

TEST(JournalModel, ResultFillsTheEntryRowKeepsTheLabelAndAppendsOneRow)
{
    JournalModel model(MyConsts::sJournalTexts().Captions);
    ASSERT_TRUE(model.setData(model.index(0, 1), U("Ферма 7")));
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    model.WriteEntryCells(2, {"01.02.2024", "10:11:12", "3", "4,50"});
    model.AppendEntryRow();

    EXPECT_EQ(model.RowCount(), 3);
    EXPECT_EQ(model.Cell(1, 1), U("Ферма 7"));
    EXPECT_EQ(model.Cell(2, 1), "01.02.2024");
    EXPECT_EQ(model.Cell(5, 1), "4,50");
    EXPECT_EQ(model.Cell(6, 1), "");
    for (int c = 1; c < 17; ++c)
        EXPECT_EQ(model.Cell(c, 2), "");
    EXPECT_EQ(model.Cell(0, 2), "2");
    // Only the new row is announced: no view has to look at all rows.
    ASSERT_EQ(inserted.size(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 1);
    EXPECT_EQ(inserted[0][2].toInt(), 1);
    EXPECT_EQ(reset.size(), 0);
}

TEST(JournalModel, LineBreaksAndTabsInALabelBecomeSpaces)
{
    JournalModel model(MyConsts::sJournalTexts().Captions);
    model.setData(model.index(0, 1), "a\tb\r\nc\nd");
    EXPECT_EQ(model.Cell(1, 1), "a b  c d");
    EXPECT_EQ(model.Rows().Line(0), "a b  c d");
    model.WriteEntryCells(15, {"x\ty", "z", "beyond the last column"});
    EXPECT_EQ(model.Cell(15, 1), "x y");
    EXPECT_EQ(model.Cell(16, 1), "z");
}

TEST(JournalModel, RowsThatReenterStartEmpty)
{
    JournalModel model(MyConsts::sJournalTexts().Captions);
    for (int i = 0; i < 3; ++i) {
        model.setData(model.index(model.rowCount() - 1, 1), "label");
        model.WriteEntryCells(2, {"d", "t"});
        model.AppendEntryRow();
    }
    model.Reset();
    EXPECT_EQ(model.RowCount(), 2);
    model.AppendEntryRow();
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c < 17; ++c)
            EXPECT_EQ(model.Cell(c, r), "") << r << "," << c;

    JournalRows none;
    model.ReplaceRows(std::move(none));
    EXPECT_EQ(model.RowCount(), 2);
}

TEST(JournalRows, SnapshotKeepsItsRowsWhateverHappensToTheJournal)
{
    JournalModel model(MyConsts::sJournalTexts().Captions);
    model.WriteEntryCells(2, {"d1"});
    model.AppendEntryRow();
    model.setData(model.index(1, 1), "before");
    JournalRows snapshot = model.SnapshotRows();

    model.setData(model.index(1, 1), "after");
    model.WriteEntryCells(2, {"d2"});
    model.AppendEntryRow();
    snapshot.Append({QByteArrayView("own row")});
    model.Reset();

    ASSERT_EQ(snapshot.Count(), 3);
    EXPECT_EQ(snapshot.Field(0, 2), "d1");
    EXPECT_EQ(snapshot.Field(1, 1), "before");
    EXPECT_EQ(snapshot.Field(2, 1), "own row");
    EXPECT_EQ(model.RowCount(), 2);
}

TEST(JournalRows, ManyEditsKeepTextAndBoundTheStorage)
{
    JournalRows rows;
    for (int i = 0; i < 1000; ++i)
        rows.Append({QByteArray::number(i)});
    const QByteArray longLabel(10000, 'x');
    for (int round = 0; round < 20; ++round)
        for (int i = 0; i < 1000; i += 7)
            rows.SetFields(i, {QByteArrayView(longLabel), QByteArray::number(round)});
    for (int i = 0; i < 1000; ++i) {
        EXPECT_EQ(rows.Field(i, 1), i % 7 == 0 ? longLabel : QByteArray::number(i));
        EXPECT_EQ(rows.Field(i, 2), i % 7 == 0 ? QByteArray("19") : QByteArray());
    }
    // Old versions of rewritten rows are dropped once they outweigh the rest.
    EXPECT_LE(rows.StoredBytes(), 2 * rows.LiveBytes() + 5 * 1024 * 1024);
}

} // namespace
