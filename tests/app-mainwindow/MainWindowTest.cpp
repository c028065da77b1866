// Start-up, settings, closing, the port menu, the About window and the
// application's error box of the main window.

#include "AboutForm.h"
#include "AppError.h"
#include "Icons.h"
#include "NumberEdit.h"

#include "FormHarness.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <tuple>

namespace {

using StartUp = FormTest;

TEST_F(StartUp, FirstRunWithoutSettingsFile)
{
    TForm1 &form = Create("COM1,COM3");
    EXPECT_EQ(form.FixMeas1->Port(), "COM1");
    EXPECT_EQ(form.JournalFileName(), "Новый.txt");
    EXPECT_EQ(form.NumberEdit1->text(), "0");
    EXPECT_EQ(form.windowTitle(), "Регистрация измерений молока(Новый.txt)");
    EXPECT_FALSE(form.JournalModified());
    EXPECT_EQ(RowCount(), 2);
    EXPECT_EQ(form.IniFileName(), IniPath());
    EXPECT_FALSE(QFile::exists(IniPath())) << "start-up writes nothing";

    // Captions and hints: the program's texts with an access key marked for
    // the menus; the hints are the captions alone (the menus show the keys).
    EXPECT_EQ(form.mnFile->title(), "&Файл");
    EXPECT_EQ(form.mnAbout->text(), "&О программе");
    const std::tuple<QAction *, const char *, const char *> commands[] = {
        {form.actNew, "&Новый", "Новый"},
        {form.actOpenFile, "&Открыть", "Открыть"},
        {form.actSave, "&Сохранить", "Сохранить"},
        {form.actSaveAs, "Сохранить &как", "Сохранить как"},
        {form.actPrint, "&Печать", "Печать"},
        {form.actSavePdf, "Сохранить как &PDF", "Сохранить как PDF"},
        {form.actPrintPreview, "П&редварительный просмотр", "Предварительный просмотр"},
    };
    for (const auto &[action, text, hint] : commands) {
        EXPECT_EQ(action->text(), QString::fromUtf8(text));
        EXPECT_EQ(action->toolTip(), QString::fromUtf8(hint));
    }
    EXPECT_EQ(form.actOpr->toolTip(), "Включить опрос");
    EXPECT_EQ(TForm1::ImageIndex(form.actOpr), kImageStart);
    EXPECT_EQ(form.NumberEdit1->toolTip(), "Номер прибора");
    EXPECT_EQ(form.Journal().Model().headerData(15, Qt::Horizontal).toString(), "Т.замерзания");

    // Make-up: toolbar order, the menus, the port menu with COM1 checked.
    const QList<QAction *> tools = form.ToolBar1->actions();
    ASSERT_GE(tools.size(), 8);
    EXPECT_EQ(tools.mid(0, 4), (QList<QAction *>{form.actNew, form.actOpenFile, form.actSave, form.actPrint}));
    EXPECT_EQ(form.ToolBar1->widgetForAction(tools[5]), form.NumberEdit1);
    EXPECT_EQ(form.ToolBar1->widgetForAction(tools[7]), form.ToolButton7);
    EXPECT_EQ(form.ToolButton7->defaultAction(), form.actOpr);
    EXPECT_EQ(form.ToolButton7->menu(), form.MenuPort);
    const QList<QAction *> file = form.mnFile->actions();
    ASSERT_EQ(file.size(), 9);
    EXPECT_EQ(file.mid(0, 7), (QList<QAction *>{form.actNew, form.actOpenFile, form.actSave, form.actSaveAs,
                                                form.actSavePdf, form.actPrintPreview, form.actPrint}));
    EXPECT_TRUE(file[7]->isSeparator());
    EXPECT_EQ(file[8], form.actSummary) << "the summary apart from the journal's own commands";
    EXPECT_TRUE(form.menuBar()->actions().contains(form.mnAbout));
    EXPECT_EQ(form.NumberEdit1->EntryRequired(), TNumberEditType::wordvalue);
    QStringList ports;
    for (QAction *item : form.MenuPort->actions())
        if (item->isCheckable())
            ports << item->text() + (item->isChecked() ? "*" : "");
    EXPECT_EQ(ports, (QStringList{"COM1*", "COM3"}));
    EXPECT_EQ(form.MenuPort->actions().last()->text(), "Другой порт…");
    EXPECT_EQ(form.size().width(), 756);
    EXPECT_TRUE(form.MainGrid->hasFocus());
    // The program's icon from the resources, at the theme's sizes.
    EXPECT_EQ(form.windowIcon().availableSizes().size(), std::size(kApplicationIconSizes));
    EXPECT_EQ(form.windowIcon().pixmap(16).size(), QSize(16, 16));
}

TEST_F(StartUp, SettingsAreReadAsTheProfileRulesSay)
{
    struct Case {
        const char *name;
        const char *ini;
        const char *port;
        const char *shownDevice;
        const char *checked; // the checked port item, or empty for none
    };
    const Case cases[] = {
        {"plain", "[Config]\r\nCOM=COM3\r\nFileName=a.txt\r\nDeviceNumber=7\r\n", "COM3", "7", "COM3"},
        {"not a number", "[Config]\r\nDeviceNumber=abc\r\n", "COM1", "0", "COM1"},
        {"hexadecimal", "[Config]\r\nDeviceNumber=0x10\r\n", "COM1", "16", "COM1"},
        {"out of range shown", "[Config]\r\nDeviceNumber=70000\r\n", "COM1", "70000", "COM1"},
        {"empty port", "[Config]\r\nCOM=\r\n", "", "0", ""},
        {"other case", "[CONFIG]\r\ncom=COM3\r\ndevicenumber=5\r\n", "COM3", "5", "COM3"},
        // The configured port is always shown; this one is not on the machine.
        {"port case counts", "[Config]\r\nCOM=com3\r\n", "com3", "0", "com3 (нет на компьютере)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        WriteIni(QString::fromUtf8(c.ini));
        TForm1 &form = Create("COM1,COM3");
        EXPECT_EQ(form.FixMeas1->Port(), QString::fromUtf8(c.port));
        EXPECT_EQ(form.NumberEdit1->text(), QString::fromUtf8(c.shownDevice));
        QString checked;
        for (QAction *item : form.MenuPort->actions())
            if (item->isChecked())
                checked = item->text();
        EXPECT_EQ(checked, QString::fromUtf8(c.checked));
        Form.reset();
    }
}

// Some editors write a UTF-8 byte-order mark: the settings are still found,
// and closing changes them where they stand, without a second section.
TEST_F(StartUp, SettingsWithAByteOrderMarkAreReadAndKeptInTheirEncoding)
{
    const QByteArray bom = "\xEF\xBB\xBF";
    WriteFile(IniPath(), bom + QStringLiteral("[Config]\r\nCOM=COM3\r\nFileName=%1\r\nDeviceNumber=7\r\n")
                                   .arg(Path("Журнал.txt"))
                                   .toUtf8());
    TForm1 &form = Create("COM1,COM3");
    EXPECT_EQ(form.FixMeas1->Port(), "COM3");
    EXPECT_EQ(form.JournalFileName(), Path("Журнал.txt"));
    EXPECT_EQ(form.NumberEdit1->text(), "7");
    form.NumberEdit1->SetValue(8);
    form.close();
    EXPECT_EQ(ReadFile(IniPath()), bom + QStringLiteral("[Config]\r\nCOM=COM3\r\nFileName=%1\r\nDeviceNumber=8\r\n")
                                             .arg(Path("Журнал.txt"))
                                             .toUtf8());
    EXPECT_TRUE(Script->Errors().empty());
}

// A settings file that is there but cannot be read is reported, not taken
// silently for a missing one, under the name as the system writes it; the
// program goes on with the defaults.
TEST_F(StartUp, AnUnreadableSettingsFileIsReported)
{
    ASSERT_TRUE(QDir(Dir.path()).mkdir("Nivara.Ini"));
    TForm1 &form = Create();
    ASSERT_EQ(Script->Errors().size(), 1u);
    EXPECT_EQ(Script->Errors()[0].Text, QStringLiteral("Не удалось прочитать файл настроек %1: это папка, а не файл.\n"
                                                       "Порт, журнал и номер прибора взяты по умолчанию.")
                                            .arg(QDir::toNativeSeparators(IniPath())));
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.FixMeas1->Port(), "COM1");
}

TEST_F(StartUp, RemembersJournalIsLoaded)
{
    WriteFile(Path("day.txt"), Cp1251::Encode(u"проба 1\t01.02.2023\t10:00:00\t3\t20,00\r\n"
                                              u"\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\r\n"));
    WriteIni("[Config]\r\nFileName=" + Path("day.txt") + "\r\n");
    TForm1 &form = Create();
    EXPECT_EQ(form.JournalFileName(), Path("day.txt"));
    EXPECT_EQ(form.windowTitle(), "Регистрация измерений молока(day.txt)");
    EXPECT_EQ(RowCount(), 3);
    EXPECT_EQ(RowTexts(1, 0, 5), (QStringList{"1", "проба 1", "01.02.2023", "10:00:00", "3", "20,00"}));
    EXPECT_FALSE(form.JournalModified());
}

TEST_F(StartUp, AFailingStepIsShownAndTheWindowStillComes)
{
    // A journal name that is a folder cannot be read.
    QDir(Dir.path()).mkdir("folder.txt");
    WriteIni("[Config]\r\nFileName=" + Path("folder.txt") + "\r\n");
    TForm1 &form = Create();
    ASSERT_EQ(Script->Errors().size(), 1u);
    EXPECT_TRUE(Script->Errors()[0].Text.contains("folder.txt")) << Script->Errors()[0].Text.toStdString();
    EXPECT_EQ(Script->Errors()[0].Caption, "Nivara");
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(RowCount(), 2);
    // The unread journal is no longer the one Save writes to.
    EXPECT_EQ(form.JournalFileName(), Path("Новый1.txt"));
    EXPECT_EQ(form.windowTitle(), "Регистрация измерений молока(Новый1.txt)");
}

// It is not forgotten either: the settings go on naming it until the work
// has been saved under another name.
TEST_F(StartUp, AJournalThatCouldNotBeReadStaysRemembered)
{
    QDir(Dir.path()).mkdir("folder.txt");
    const struct {
        const char *Name;
        std::function<void(TForm1 &)> Work;
        QString Remembered;
    } cases[] = {
        {"nothing", [](TForm1 &) {}, Path("folder.txt")},
        {"a result, New, and No at closing",
         [](TForm1 &form) {
             form.Journal().EnterResult({"15.03.2023", "12:00:00", "1", "20,00"});
             form.actNew->trigger();
         },
         Path("folder.txt")},
        {"Save", [](TForm1 &form) { form.actSave->trigger(); }, Path("Новый1.txt")},
        {"Save As",
         [this](TForm1 &form) {
             Script->SaveNames = {Path("other.txt")};
             form.actSaveAs->trigger();
         },
         Path("other.txt")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        WriteIni("[Config]\r\nFileName=" + Path("folder.txt") + "\r\n");
        TForm1 &form = Create();
        c.Work(form);
        form.close();
        EXPECT_FALSE(form.isVisible());
        EXPECT_TRUE(ReadIni().contains("FileName=" + c.Remembered + "\r\n")) << ReadIni().toStdString();
        EXPECT_TRUE(QFileInfo(Path("folder.txt")).isDir());
        Form.reset();
        QFile::remove(Path("Новый1.txt"));
    }
}

using Closing = FormTest;

TEST_F(Closing, FirstCloseWritesTheThreeKeys)
{
    Create();
    Form->close();
    EXPECT_FALSE(Form->isVisible());
    EXPECT_TRUE(Script->Calls.empty()) << "an unmodified journal asks nothing";
    EXPECT_EQ(ReadIni(), "[Config]\r\nCOM=COM1\r\nFileName=Новый.txt\r\nDeviceNumber=0\r\n");
    EXPECT_EQ(ReadFile(IniPath()).count("\xcd\xee\xe2\xfb\xe9"), 1) << "the file is Windows-1251";
}

TEST_F(Closing, OtherLinesOfTheSettingsFileAreKept)
{
    WriteIni("; station 2\r\n[Config]\r\nCOM=COM3\r\nExtra=1\r\n[Printer]\r\nName=x\r\n");
    TForm1 &form = Create();
    form.PortMenuItemClick(form.MenuPort->actions().at(0)); // COM1
    form.NumberEdit1->SetValue(2.5);                        // stored half to even
    form.close();
    EXPECT_EQ(ReadIni(), "; station 2\r\n[Config]\r\nCOM=COM1\r\nExtra=1\r\nFileName=Новый.txt\r\nDeviceNumber=2\r\n"
                         "[Printer]\r\nName=x\r\n");
}

TEST_F(Closing, ANumberStillBeingTypedIsStored)
{
    TForm1 &form = Create();
    form.NumberEdit1->setFocus();
    ASSERT_TRUE(WaitFor([&] { return form.NumberEdit1->hasFocus(); }));
    QTest::keyClicks(form.NumberEdit1, "15");
    EXPECT_EQ(form.NumberEdit1->Value(), 0) << "not yet taken over";
    form.close();
    EXPECT_TRUE(ReadIni().contains("DeviceNumber=15\r\n")) << ReadIni().toStdString();
}

TEST_F(Closing, AKeyThatCannotBeStoredCostsNotTheOthers)
{
    WriteIni("[Config]\r\nCOM=COM1\r\nDeviceNumber=0\r\n");
    TForm1 &form = Create();
    form.FixMeas1->SetPort("COM4");
    form.NumberEdit1->SetValue(12);
    // No Windows-1251 character for this name: it cannot be remembered.
    const QString journal = Path(QStringLiteral("журнал\u4e2d.txt"));
    Script->SaveNames = {journal};
    form.actSaveAs->trigger();
    form.close();
    ASSERT_EQ(Script->Errors().size(), 1u);
    EXPECT_EQ(Script->Errors()[0].Text,
              QStringLiteral("В файл настроек %1 не записано значение «%2»: файл настроек записывается в кодировке "
                             "Windows-1251, в которой нет знаков «\u4e2d».")
                  .arg(Shown(IniPath()), journal));
    EXPECT_TRUE(ReadIni().contains("COM=COM4\r\n")) << ReadIni().toStdString();
    EXPECT_TRUE(ReadIni().contains("DeviceNumber=12\r\n")) << ReadIni().toStdString();
    EXPECT_FALSE(form.isVisible());
}

TEST_F(Closing, SettingsThatCannotBeWrittenAreReportedAndTheProgramStillEnds)
{
    Form = nullptr;
    TForm1Setup setup;
    setup.Dialogs = std::make_unique<TScriptedDialogs>(Script);
    setup.IniFileName = Path("missing-folder/Nivara.Ini");
    Form = std::make_unique<TForm1>(std::move(setup));
    Form->show();
    Form->close();
    ASSERT_EQ(Script->Errors().size(), 1u);
    EXPECT_EQ(Script->Errors()[0].Text,
              QStringLiteral("Не удалось записать файл настроек %1: папка или файл не найдены.")
                  .arg(Shown(Path("missing-folder/Nivara.Ini"))));
    EXPECT_FALSE(Form->isVisible());
}

TEST_F(Closing, AnswersToTheQuestionWhilePollingRuns)
{
    TTestAnalyzer analyzer(AnalyzerConfig({20.0, 3.45, 8.5, 1028.0}));
    for (TSaveAnswer answer : {TSaveAnswer::Cancel, TSaveAnswer::No, TSaveAnswer::Yes}) {
        SCOPED_TRACE(int(answer));
        QFile::remove(IniPath());
        QFile::remove(Path("Новый.txt"));
        QFile::remove(Path("Nivara.log")); // the window before was not closed: a fresh start, no recovery
        TForm1 &form = Create();
        StartPolling(PortName(analyzer));
        ASSERT_TRUE(WaitFor([&] { return form.JournalModified() && form.FixMeas1->Active(); }));
        Clock.Advance(130); // the next result is due: poll it while we close

        Script->CloseAnswers = {answer};
        form.close();
        // A result that the poller's last pass brings in asks once more.
        ASSERT_GE(Script->Calls.size(), 1u);
        EXPECT_LE(Script->Calls.size(), answer == TSaveAnswer::Cancel ? 1u : 2u);
        EXPECT_EQ(Script->Calls[0].Kind, "AskSave");
        EXPECT_EQ(Script->Calls[0].Text, "Сохранить данные?");
        EXPECT_EQ(Script->Calls[0].Caption, "Данные были изменены");
        if (answer == TSaveAnswer::Cancel) {
            EXPECT_TRUE(form.isVisible());
            EXPECT_TRUE(form.FixMeas1->Active()) << "polling goes on";
            EXPECT_FALSE(QFile::exists(IniPath()));
            ASSERT_TRUE(StopPolling());
        } else {
            EXPECT_FALSE(form.isVisible());
            EXPECT_FALSE(form.FixMeas1->Active()) << "closing waits for the poller's end";
            EXPECT_TRUE(form.NumberEdit1->isEnabled());
            EXPECT_TRUE(ReadIni().contains("COM=" + PortName(analyzer) + "\r\n"));
            EXPECT_EQ(QFile::exists(Path("Новый.txt")), answer == TSaveAnswer::Yes);
        }
        Form.reset();
        Script->Calls.clear();
    }
}

// The analyzer has been acknowledged by the time such a result is entered, so
// the journal in memory is its only copy.
TEST_F(Closing, AResultArrivingWhileClosingWaitsForThePollerIsNotLost)
{
    TTestAnalyzer analyzer(AnalyzerConfig({20.0, 3.45, 8.5, 1028.0}));
    TForm1 &form = Create();
    ASSERT_TRUE(PollFirstResultInto(analyzer, "day.txt"));

    // The operator answers while the next fetch waits for its reply; the
    // reply is entered only as closing waits for the poller's end.
    Script->WhileOpen = [&] {
        Clock.Advance(130);
        EXPECT_TRUE(WaitFor([&] { return analyzer.Fetches() == 2; }));
    };
    Script->CloseAnswers = {TSaveAnswer::Yes, TSaveAnswer::Yes};
    form.close();
    EXPECT_FALSE(form.isVisible());
    ASSERT_EQ(RowCount(), 4);
    ASSERT_EQ(Script->Calls.size(), 2u) << "asked again for the late result";
    EXPECT_EQ(Script->Calls[1].Kind, "AskSave");
    const QStringList lines = Cp1251::Decode(ReadFile(Path("day.txt"))).split("\r\n");
    ASSERT_EQ(lines.size(), 4) << "both results and the entry row, then the end";
    EXPECT_TRUE(lines[1].startsWith("\t15.03.2023\t12:02:10\t1\t20,00")) << lines[1].toStdString();
    EXPECT_FALSE(form.JournalModified());
}

// A termination signal or the desktop's logout: the poller finishes what it
// is in, the settings are written, nothing is asked, and the unsaved journal
// is not written into its file (nor emptied).
TEST_F(Closing, AnEndOfSessionAsksNothingAndSavesNoJournal)
{
    TTestAnalyzer analyzer(AnalyzerConfig({20.0, 3.45, 8.5, 1028.0}));
    TForm1 &form = Create();
    ASSERT_TRUE(PollFirstResultInto(analyzer, "day.txt"));

    // A label still being typed in the entry row, and the next result due as
    // the end comes.
    const QModelIndex label = form.MainGrid->model()->index(1, 1);
    form.MainGrid->setCurrentIndex(label);
    form.MainGrid->edit(label);
    auto *editor = form.MainGrid->viewport()->findChild<QLineEdit *>();
    ASSERT_NE(editor, nullptr);
    editor->setText("проба 7");
    Clock.Advance(130);

    form.FormEndSession();
    EXPECT_TRUE(Script->Calls.empty());
    EXPECT_FALSE(form.FixMeas1->Active());
    EXPECT_EQ(analyzer.Fetches(), analyzer.Acks()) << "every result that came was acknowledged";
    EXPECT_EQ(ReadIni(),
              "[Config]\r\nCOM=" + PortName(analyzer) + "\r\nFileName=" + Path("day.txt") + "\r\nDeviceNumber=1\r\n");
    EXPECT_FALSE(QFile::exists(Path("day.txt")));
    EXPECT_TRUE(form.JournalModified());
    EXPECT_EQ(Cell(1, 2), "проба 7");
    EXPECT_EQ(RowCount(), analyzer.Acks() + 2);

    form.actOpr->trigger();
    EXPECT_FALSE(form.FixMeas1->Active()) << "the program is ending: no new run";
}

// The desktop ends the session while the box about an unopenable port is
// open: the poller waits for that box, so waiting for the poller there would
// never end.
TEST_F(Closing, AnEndOfSessionInsideTheOpenPortBoxEndsAtOnce)
{
    TForm1 &form = Create();
    bool ended = false;
    Script->WhileOpen = [&] {
        TWatchdog watchdog(std::chrono::seconds(20), "the end of session waited for the poller");
        form.FormEndSession();
        ended = true;
    };
    StartPolling(Path("no-such-tty"));
    ASSERT_TRUE(WaitFor([&] { return ended && !form.FixMeas1->Active(); }));
    EXPECT_TRUE(ReadIni().contains("COM=" + Path("no-such-tty") + "\r\n")) << "the settings are written";
}

TEST_F(Closing, AFailedSaveKeepsTheWindowOpenAndPollingOn)
{
    TForm1 &form = Create();
    form.Journal().SetJournalFileName(Path("missing-folder/a.txt"));
    form.Journal().SetJournalModified(true);
    Script->CloseAnswers = {TSaveAnswer::Yes};
    form.close();
    EXPECT_TRUE(form.isVisible());
    ASSERT_EQ(Script->Errors().size(), 1u);
    EXPECT_FALSE(QFile::exists(IniPath())) << "settings are not written";
}

TEST_F(StartUp, PortMenuItemSetsThePort)
{
    TForm1 &form = Create("COM1,COM3");
    QAction *com3 = form.MenuPort->actions().at(1);
    com3->trigger();
    EXPECT_EQ(form.FixMeas1->Port(), "COM3");
    EXPECT_TRUE(com3->isChecked());
    EXPECT_FALSE(form.MenuPort->actions().at(0)->isChecked());
    com3->trigger(); // the marked item stays marked
    EXPECT_TRUE(com3->isChecked());
    EXPECT_EQ(form.FixMeas1->Port(), "COM3");
}

TEST_F(StartUp, PortMenuShowsThePortsPresentEachTimeItOpens)
{
    std::string present = "COM1";
    Form.reset();
    TForm1Setup setup;
    setup.Dialogs = std::make_unique<TScriptedDialogs>(Script);
    setup.IniFileName = IniPath();
    setup.SerialPortNames = [&present] { return present; };
    setup.SerialRoots = {Path("no-sys").toStdString(), Path("no-dev").toStdString()};
    Form = std::make_unique<TForm1>(std::move(setup));
    TForm1 &form = *Form;
    const auto ports = [&] {
        QStringList texts;
        for (QAction *item : form.MenuPort->actions())
            if (item->isCheckable())
                texts << item->text() + (item->isChecked() ? "*" : "");
        return texts;
    };
    EXPECT_EQ(ports(), QStringList{"COM1*"});

    present = "COM1,ttyUSB0"; // an adapter plugged in after start-up
    emit form.MenuPort->aboutToShow();
    EXPECT_EQ(ports(), (QStringList{"COM1*", "ttyUSB0"}));

    // The last item takes any name; cancelling changes nothing.
    QAction *other = form.MenuPort->actions().last();
    other->trigger();
    EXPECT_EQ(form.FixMeas1->Port(), "COM1");
    ASSERT_EQ(Script->Calls.size(), 1u);
    EXPECT_EQ(Script->Calls[0].Kind, "Text");
    EXPECT_EQ(Script->Calls[0].Text, "COM1");
    Script->TextAnswers = {"/dev/pts/97"};
    form.MenuPort->actions().last()->trigger();
    EXPECT_EQ(form.FixMeas1->Port(), "/dev/pts/97");
    EXPECT_EQ(ports(), (QStringList{"COM1", "ttyUSB0", "/dev/pts/97 (нет на компьютере)*"}));

    form.MenuPort->actions().at(1)->trigger();
    EXPECT_EQ(form.FixMeas1->Port(), "ttyUSB0");
}

TEST_F(StartUp, AboutWindowIsCreatedAfreshAndDestroyed)
{
    TForm1 &form = Create();
    QStringList captions;
    int seen = 0;
    for (int i = 0; i < 2; ++i) {
        QTimer::singleShot(0, [&] {
            auto *about = form.findChild<TAboutForm *>();
            ASSERT_NE(about, nullptr);
            ++seen;
            captions << about->windowTitle() + "|" + about->lblProgName->text();
            about->Button1->click();
        });
        form.mnAbout->trigger();
        EXPECT_EQ(form.findChild<TAboutForm *>(), nullptr) << "destroyed when closed";
    }
    EXPECT_EQ(seen, 2);
    EXPECT_EQ(captions, QStringList(2, "О программе|Регистрация измерений молока"));
}

// An error that escapes an event handler reaches the error box, and the
// program goes on.
class ThrowingObject : public QObject {
public:
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::User)
            throw std::runtime_error("Ошибка обработчика");
        return QObject::event(e);
    }
};

TEST_F(StartUp, UncaughtHandlerErrorsReachTheErrorBox)
{
    Create();
    ThrowingObject target;
    QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
    QCoreApplication::processEvents();
    ASSERT_EQ(Script->Errors().size(), 1u);
    EXPECT_EQ(Script->Errors()[0].Text, "Ошибка обработчика");
}

} // namespace
