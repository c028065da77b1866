// The operator's day in the main window: the keys of the commands and the
// menus, the statistics of the selected cells in the status bar, and the
// window's size and place remembered in the settings file.

#include "CommandKeys.h"
#include "SelectionStatusLabel.h"
#include "WindowPlacement.h"

#include "FormHarness.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>

namespace {

using OperatorKeys = FormTest;

void Press(QKeyCombination Key)
{
    QTest::keyClick(QApplication::focusWidget(), Key.key(), Key.keyboardModifiers());
}

TEST_F(OperatorKeys, StandardKeysAndF9RunTheirCommands)
{
    TForm1 &form = Create();
    Press(Qt::CTRL | Qt::Key_S);
    EXPECT_TRUE(QFile::exists(Path("Новый.txt"))) << "Ctrl+S saves";
    Press(Qt::CTRL | Qt::Key_N);
    EXPECT_EQ(form.JournalFileName(), "Новый1.txt") << "Ctrl+N starts a new journal";
    Press(Qt::CTRL | Qt::Key_O);
    Press(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
    ASSERT_EQ(Script->Calls.size(), 2u);
    EXPECT_EQ(Script->Calls[0].Kind, "Open");
    EXPECT_EQ(Script->Calls[1].Kind, "Save");
    // Printing would reach the machine's printer; its key is checked only.
    EXPECT_EQ(form.actPrint->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));

    form.FixMeas1->SetPort(Path("no-such-port"));
    Press(Qt::Key_F9);
    ASSERT_TRUE(WaitFor([&] { return Script->Calls.size() == 3 && !form.FixMeas1->Active(); }));
    EXPECT_TRUE(Script->Calls[2].Text.startsWith("Ошибка открытия порта\n")) << "F9 starts polling";
}

TEST_F(OperatorKeys, EveryKeyIsTheOnlyOneOfItsKindInTheWindow)
{
    TForm1 &form = Create();
    QList<QKeySequence> keys;
    for (QAction *action : form.findChildren<QAction *>())
        if (!action->shortcut().isEmpty()) {
            EXPECT_FALSE(keys.contains(action->shortcut())) << action->shortcut().toString().toStdString();
            keys << action->shortcut();
        }
    EXPECT_EQ(keys.size(), 6);
}

TEST_F(OperatorKeys, F10AltAndAccessKeysReachTheMenus)
{
    TForm1 &form = Create();
    QMenuBar *bar = form.menuBar();

    Press(Qt::Key_F10);
    EXPECT_EQ(bar->activeAction(), form.mnFile->menuAction());
    ASSERT_TRUE(WaitFor([&] { return form.mnFile->isVisible(); }));
    QTest::keyClick(form.mnFile, Qt::Key_Escape);
    QTest::keyClick(bar, Qt::Key_Escape);
    ASSERT_TRUE(WaitFor([&] { return !form.mnFile->isVisible() && bar->activeAction() == nullptr; }));

    // Alt alone highlights the bar's first menu without opening it.
    form.MainGrid->setFocus();
    QTest::keyPress(form.MainGrid, Qt::Key_Alt, Qt::AltModifier);
    QTest::keyRelease(form.MainGrid, Qt::Key_Alt, Qt::NoModifier);
    EXPECT_EQ(bar->activeAction(), form.mnFile->menuAction());
    EXPECT_FALSE(form.mnFile->isVisible());
    QTest::keyClick(bar, Qt::Key_Escape);

    // Alt with the marked letter opens the File menu; its marked letter
    // chooses the command.
    form.MainGrid->setFocus();
    QTest::sendKeyEvent(QTest::Click, form.MainGrid, Qt::Key(u'Ф'), QStringLiteral("ф"), Qt::AltModifier);
    ASSERT_TRUE(WaitFor([&] { return form.mnFile->isVisible(); }));
    QTest::sendKeyEvent(QTest::Click, form.mnFile, Qt::Key(u'Н'), QStringLiteral("н"), Qt::NoModifier);
    ASSERT_TRUE(WaitFor([&] { return form.JournalFileName() == "Новый1.txt"; }));
}

TEST(AccessKeys, FirstFreeWordStartThenAnyFreeLetter)
{
    EXPECT_EQ(WithAccessKeys({"Новый", "Открыть", "Сохранить", "Сохранить как", "Печать"}),
              (QStringList{"&Новый", "&Открыть", "&Сохранить", "Сохранить &как", "&Печать"}));
    EXPECT_EQ(WithAccessKeys({"Файл", "О программе"}), (QStringList{"&Файл", "&О программе"}));
    EXPECT_EQ(WithAccessKeys({"ab", "a", "b", "a&b", "12"}), (QStringList{"&ab", "a", "&b", "a&b", "12"}));
}

using StatusBar = FormTest;

TEST_F(StatusBar, ShowsStatisticsOfTheSelectedNumbersOnly)
{
    TForm1 &form = Create();
    for (const char *fat : {"3,45", "3,60", "", "3,30"})
        form.Journal().EnterResult({"15.03.2023", "12:00:00", "1", "20,00", QString::fromUtf8(fat)});
    ASSERT_TRUE(form.statusBar()->findChildren<TSelectionStatusLabel *>().contains(form.SelectionStatus));
    const JournalModel &model = form.Journal().Model();
    const auto select = [&](int firstRow, int firstCol, int lastRow, int lastCol) {
        form.MainGrid->selectionModel()->select(
            QItemSelection(model.index(firstRow - 1, firstCol), model.index(lastRow - 1, lastCol)),
            QItemSelectionModel::ClearAndSelect);
    };
    select(1, 6, 5, 6); // the fat of the day, an empty cell and the entry row among them
    EXPECT_EQ(form.SelectionStatus->text(), "Количество: 3  Среднее: 3,450  Минимум: 3,30  Максимум: 3,60");
    select(1, 2, 4, 3); // dates and times
    EXPECT_EQ(form.SelectionStatus->text(), "");
    select(2, 6, 2, 6);
    form.Journal().Model().SetCell(6, 2, "3,70"); // a selected cell changes
    EXPECT_EQ(form.SelectionStatus->text(), "Количество: 1  Среднее: 3,700  Минимум: 3,70  Максимум: 3,70");
}

using GridFollows = FormTest;

TEST_F(GridFollows, ResultsComeIntoViewFromTheEndOnly)
{
    TForm1 &form = Create();
    const auto enter = [&] { form.Journal().EnterResult({"15.03.2023", "12:00:00", "1", "20,00"}); };
    while (RowCount() < 60)
        enter();
    QScrollBar *bar = form.MainGrid->verticalScrollBar();
    form.MainGrid->scrollToBottom();
    enter();
    QApplication::processEvents();
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_GT(bar->maximum(), 0);
    form.MainGrid->scrollToTop();
    enter();
    QApplication::processEvents();
    EXPECT_EQ(bar->value(), 0);
}

using Placement = FormTest;

TEST_F(Placement, SizePlaceAndMaximisedStateComeBackFromAFileOfTheirOwn)
{
    const QString before = "; station 2\r\n[Config]\r\nCOM=COM3\r\nFileName=a.txt\r\nDeviceNumber=7\r\n"
                           "[Printer]\r\nName=x\r\n";
    WriteIni(before);
    Create().setGeometry(40, 50, 600, 400);
    Form->close();
    const QString placed = "[Window]\r\nLeft=40\r\nTop=50\r\nWidth=600\r\nHeight=400\r\nMaximized=0\r\n";
    EXPECT_EQ(ReadIni(), before) << "the settings file stays as it was";
    EXPECT_EQ(Cp1251::Decode(ReadFile(Path("NivaraWindow.ini"))), placed);

    TForm1 &again = Create();
    EXPECT_EQ(again.geometry(), QRect(40, 50, 600, 400));
    EXPECT_EQ(again.MainGrid->columnWidth(1), TColorStringGrid::FittedColumnWidths(again.MainGrid->ClientWidth())[1]);
    again.showMaximized();
    ASSERT_TRUE(WaitFor([&] { return again.isMaximized(); }));
    again.close();
    EXPECT_EQ(Cp1251::Decode(ReadFile(Path("NivaraWindow.ini"))),
              QString(placed).replace("Maximized=0", "Maximized=1"));

    EXPECT_TRUE(Create().isMaximized());
    EXPECT_EQ(Form->normalGeometry(), QRect(40, 50, 600, 400));
}

// An earlier version kept the place in the settings file: it is read from
// there once, and never written there again.
TEST_F(Placement, ThePlaceAnEarlierVersionKeptInTheSettingsFileIsTakenOver)
{
    const QString earlier = "[Config]\r\nCOM=COM3\r\nFileName=a.txt\r\nDeviceNumber=7\r\n"
                            "[Window]\r\nLeft=60\r\nTop=70\r\nWidth=640\r\nHeight=480\r\nMaximized=0\r\n";
    WriteIni(earlier);
    EXPECT_EQ(Create().geometry(), QRect(60, 70, 640, 480));
    Form->setGeometry(80, 90, 700, 500);
    Form->close();
    EXPECT_EQ(ReadIni(), earlier);
    EXPECT_EQ(Create().geometry(), QRect(80, 90, 700, 500)) << "the file of its own wins";
}

TEST(WindowPlacement, ARememberedPlaceOffEveryScreenComesBackCentred)
{
    const QList<QRect> screens{QRect(0, 0, 1280, 1024), QRect(1280, 0, 1920, 1080)};
    struct Case {
        QRect remembered;
        QRect placed;
    };
    const Case cases[] = {
        {QRect(100, 80, 800, 600), QRect(100, 80, 800, 600)},
        {QRect(2000, 100, 800, 600), QRect(2000, 100, 800, 600)}, // on the second screen
        {QRect(3500, 100, 800, 600), QRect(240, 212, 800, 600)},  // that screen is gone
        {QRect(100, -500, 800, 600), QRect(240, 212, 800, 600)},  // title bar above the screens
        {QRect(5000, 0, 3000, 2000), QRect(0, 0, 1280, 1024)},    // larger than that screen
    };
    for (const Case &c : cases)
        EXPECT_EQ(PlaceOnScreens(c.remembered, screens), c.placed) << c.remembered.x() << "," << c.remembered.y();
    EXPECT_EQ(PlaceOnScreens(QRect(0, 0, 800, 600), {}), std::nullopt);
}

} // namespace
