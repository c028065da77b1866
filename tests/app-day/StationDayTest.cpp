// A station's day in miniature, through the real window: settings, a label
// typed into the grid, two results from two analyzers (one with a spoilt
// value, on a port chosen in the port menu), Save As, New, Open, Print, and
// closing with Yes.

#include "FormHarness.h"

#include <QAbstractItemView>
#include <QAction>
#include <QFile>
#include <QMenu>
#include <QToolButton>

namespace {

using StationDay = FormTest;

// Real key events for any text, Cyrillic too (QTest::keyClicks takes ASCII).
void TypeText(QWidget *widget, const QString &text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(ch.toUpper().unicode()), QString(ch), Qt::NoModifier);
}

// Types a label into a cell of the sample column as the operator does:
// click the cell, type, press Return.
void TypeLabel(TForm1 &form, int row, const QString &label)
{
    TColorStringGrid *grid = form.MainGrid;
    const QModelIndex cell = grid->model()->index(row - 1, 1);
    grid->scrollTo(cell);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
    TypeText(grid, label.left(1)); // the first key opens the editor
    QWidget *editor = QApplication::focusWidget();
    ASSERT_NE(editor, grid) << "the editor did not open";
    TypeText(editor, label.mid(1));
    QTest::keyClick(editor, Qt::Key_Return);
    // The view takes the text over from its event loop.
    EXPECT_TRUE(WaitFor([&] { return cell.data().toString() == label; }));
}

TEST_F(StationDay, FromMorningToClosing)
{
    const std::vector<double> values = {21.5, 3.45, 8.5, 1028.3, 3.1, 0, 12.25, 4.7, 0.7, 9.1, -0.5204, 77};
    TTestAnalyzer analyzer(AnalyzerConfig(values));
    auto spoilt = AnalyzerConfig(values);
    spoilt.BadValue = 2;
    TTestAnalyzer spoiltAnalyzer(spoilt);

    WriteIni("[Config]\r\nCOM=" + PortName(analyzer) + "\r\nFileName=" + Path("morning.txt") +
             "\r\nDeviceNumber=1\r\n");

    TForm1 &form = Create();
    ASSERT_EQ(form.JournalFileName(), Path("morning.txt"));
    form.Journal().SetPrintDeviceProvider(std::make_unique<PdfFileProvider>(Path("day.pdf")));

    // The first sample is labelled ahead of its analysis.
    TypeLabel(form, 1, "Ферма 12");
    EXPECT_EQ(Cell(1, 1), "Ферма 12");
    EXPECT_TRUE(form.JournalModified());

    QTest::mouseClick(form.ToolButton7, Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_TRUE(PollUntilRows(analyzer, 3, 1));
    QTest::mouseClick(form.ToolButton7, Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_TRUE(WaitFor([&] { return !form.FixMeas1->Active(); }));

    // The afternoon sample comes with a field the analyzer garbled, from
    // another analyzer, whose port the operator names in the port menu.
    Script->TextAnswers = {PortName(spoiltAnalyzer)};
    form.MenuPort->actions().last()->trigger();
    ASSERT_EQ(form.FixMeas1->Port(), PortName(spoiltAnalyzer));
    Clock.Advance(130);
    QTest::mouseClick(form.ToolButton7, Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_TRUE(PollUntilRows(spoiltAnalyzer, 4, 1));
    QTest::mouseClick(form.ToolButton7, Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_TRUE(WaitFor([&] { return !form.FixMeas1->Active(); }));
    EXPECT_EQ(Cell(7, 2), "0,00");
    EXPECT_EQ(analyzer.Fetches() + spoiltAnalyzer.Fetches(), 2);

    Script->SaveNames = {Path("15 марта")};
    form.actSaveAs->trigger();
    const QString saved = Path("15 марта.txt");
    ASSERT_EQ(form.JournalFileName(), saved);
    const QByteArray expected = Cp1251::Encode(u"Ферма "
                                               u"12\t15.03.2023\t12:00:00\t1\t21,50\t3,45\t8,50\t1028,30\t3,10\t0,"
                                               u"00\t12,25\t4,70\t0,70\t9,10\t-0,5204\t77,00\r\n"
                                               u"\t15.03.2023\t12:02:10\t1\t21,50\t3,45\t0,00\t1028,30\t3,10\t0,00\t12,"
                                               u"25\t4,70\t0,70\t9,10\t-0,5204\t77,00\r\n"
                                               u"\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\r\n");
    EXPECT_EQ(ReadFile(saved), expected);

    // A label typed, then New, and the operator declines to save.
    TypeLabel(form, 3, "лишняя");
    Script->ConfirmAnswers = {false};
    form.actNew->trigger();
    EXPECT_EQ(RowCount(), 2);
    EXPECT_EQ(form.JournalFileName(), Path("Новый1.txt"));

    Script->OpenNames = {saved};
    form.actOpenFile->trigger();
    EXPECT_EQ(form.windowTitle(), "Регистрация измерений молока(15 марта.txt)");
    ASSERT_EQ(RowCount(), 4);
    EXPECT_EQ(RowTexts(1, 0, 4), (QStringList{"1", "Ферма 12", "15.03.2023", "12:00:00", "1"}));
    EXPECT_EQ(Cell(15, 1), "-0,5204");
    EXPECT_EQ(Cell(7, 2), "0,00");
    EXPECT_EQ(RowTexts(3), (QStringList{"3"} + QStringList(16, QString())));
    EXPECT_EQ(ReadFile(saved), expected) << "reading leaves the file as it was";

    form.actPrint->trigger();
    const QByteArray pdf = ReadFile(Path("day.pdf"));
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_EQ(PdfPages(pdf), 1);

    // The evening label, and closing saves it.
    TypeLabel(form, 3, "Вечер");
    Script->CloseAnswers = {TSaveAnswer::Yes};
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(Script->Errors().empty());
    EXPECT_TRUE(ReadFile(saved).endsWith(Cp1251::Encode(u"Вечер\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\r\n")));
    EXPECT_EQ(ReadIni(),
              "[Config]\r\nCOM=" + PortName(spoiltAnalyzer) + "\r\nFileName=" + saved + "\r\nDeviceNumber=1\r\n");
}

} // namespace
