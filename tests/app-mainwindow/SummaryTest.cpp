// "Сводка" in the real window: the whole journal when the selection is one
// cell, the selected rows when it spans several; the PDF through the page
// painter, and the clipboard's text.

#include "ProgramTexts.h"
#include "SummaryDialog.h"

#include "FormHarness.h"
#include "NormMarks.h"
#include "QualityNorms.h"

#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

namespace {

using Summary = FormTest;

TSummaryDialog *OpenSummary(TForm1 &Form)
{
    Form.actSummary->trigger();
    TSummaryDialog *dialog = nullptr;
    WaitFor([&] { return (dialog = Form.findChild<TSummaryDialog *>()) && dialog->isVisible(); });
    return dialog;
}

QString Figure(TSummaryDialog &Dialog, int Row, int Col)
{
    const QTableWidgetItem *item = Dialog.Figures->item(Row, Col - kFirstValueColumn);
    return item ? item->text() : QString();
}

TEST_F(Summary, WholeJournalOrSelectedRowsPdfAndClipboard)
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    WriteFile(Path("day.txt"), Cp1251::Encode(u"A\t11.12.2026\t08:00:00\t1\t20,00\t3,45\r\n"
                                              u"B\t11.12.2026\t08:02:05\t1\t21,00\t3,60\r\n"
                                              u"C\t11.12.2026\t08:04:10\t1\t19,00\t3,30\r\n"));
    WriteIni("[Config]\r\nFileName=" + Path("day.txt") + "\r\n");
    TForm1 &form = Create();
    ASSERT_EQ(RowCount(), 5);

    TSummaryDialog *dialog = OpenSummary(form);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->Heading->text(), MyConsts::sSummaryOfJournal().arg(3)) << "one current cell is no choice";
    EXPECT_EQ(Figure(*dialog, 1, 6), "3,450");
    EXPECT_EQ(Figure(*dialog, 4, 6), "0,150");

    dialog->CopyButton->click();
    const QStringList lines = QApplication::clipboard()->text().split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[2].startsWith(MyConsts::sSummaryMean() + "\t\t\t\t20,000\t3,450\t"));

    Script->SaveNames = {Path("summary")};
    dialog->PdfButton->click();
    ASSERT_FALSE(Script->Calls.empty());
    EXPECT_EQ(Script->Calls.back().Kind, "Save");
    EXPECT_EQ(QFileInfo(Script->Calls.back().Text).fileName(), "day — сводка.pdf");
    EXPECT_GT(QFileInfo(Path("summary.pdf")).size(), 1000) << "the page painter's PDF";
    dialog->CloseButton->click();
    ASSERT_TRUE(WaitFor([&] { return !form.findChild<TSummaryDialog *>(); }));

    // Rows 2 and 3 selected.
    form.MainGrid->selectionModel()->select(
        QItemSelection(form.MainGrid->model()->index(1, 6), form.MainGrid->model()->index(2, 6)),
        QItemSelectionModel::ClearAndSelect);
    dialog = OpenSummary(form);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->Heading->text(), MyConsts::sSummaryOfSelection().arg(2));
    EXPECT_EQ(Figure(*dialog, 2, 6), "3,30");
    EXPECT_EQ(Figure(*dialog, 3, 6), "3,60");
    dialog->close();
    ASSERT_TRUE(WaitFor([&] { return !form.findChild<TSummaryDialog *>(); }));

    // With a norm for fat (not below 3,40): the rows that break it.
    TQualityNorms norms;
    norms.SetNorm(6, {3.40, std::nullopt});
    form.NormMarks->SetNorms(norms);
    form.MainGrid->clearSelection();
    dialog = OpenSummary(form);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->Heading->text().endsWith(MyConsts::sSummaryOutsideNorm() + ": 1"))
        << dialog->Heading->text().toStdString();
    ASSERT_EQ(dialog->Figures->rowCount(), 6);
    EXPECT_EQ(Figure(*dialog, 5, 6), "1");
    EXPECT_EQ(Figure(*dialog, 5, 5), "") << "no norm for the temperature";
    dialog->close();
    QLocale::setDefault(QLocale::system());
}

} // namespace
