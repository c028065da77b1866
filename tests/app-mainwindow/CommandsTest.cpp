// The journal commands New, Open, Save, Save As and Print of the main window.

#include "FormHarness.h"

#include <QBuffer>
#include <QLineEdit>
#include <QPdfWriter>
#include <QPrinterInfo>

namespace {

using Commands = FormTest;

const QByteArray kEmptyJournalFile = QByteArray(15, '\t') + "\r\n";

void EnterResults(TForm1 &form, int count)
{
    for (int i = 0; i < count; ++i)
        form.Journal().EnterResult({"15.03.2023", "12:00:00", QString::number(i + 1), "20,00"});
}

TEST_F(Commands, NewAsksOnlyAboutChangesAndKeepsTheFlag)
{
    TForm1 &form = Create();
    WriteFile(Path("Новый1.txt"), {});

    form.actNew->trigger();
    EXPECT_TRUE(Script->Calls.empty());
    EXPECT_EQ(form.JournalFileName(), "Новый2.txt");
    EXPECT_EQ(form.windowTitle(), "Регистрация измерений молока(Новый2.txt)");

    EnterResults(form, 2);
    Script->ConfirmAnswers = {false};
    form.actNew->trigger();
    ASSERT_EQ(Script->Calls.size(), 1u);
    EXPECT_EQ(Script->Calls[0].Kind, "Confirm");
    EXPECT_EQ(Script->Calls[0].Text, "Сохранить данные?");
    EXPECT_EQ(Script->Calls[0].Caption, "Confirm");
    EXPECT_EQ(RowCount(), 2);
    EXPECT_TRUE(form.JournalModified()) << "No leaves the journal counted as modified";
    EXPECT_EQ(form.JournalFileName(), "Новый2.txt") << "never created, so the same name again";
    EXPECT_FALSE(QFile::exists(Path("Новый2.txt")));
}

TEST_F(Commands, AResultArrivingDuringNewsQuestionIsSavedByYes)
{
    TTestAnalyzer analyzer(AnalyzerConfig({20.0, 3.45, 8.5, 1028.0}));
    TForm1 &form = Create();
    ASSERT_TRUE(PollFirstResultInto(analyzer, "day.txt"));

    // The next result is due; it arrives while the question is open.
    Script->WhileOpen = [&] {
        Clock.Advance(130);
        EXPECT_TRUE(WaitFor([&] { return RowCount() == 4; }));
    };
    Script->ConfirmAnswers = {true};
    form.actNew->trigger();
    ASSERT_TRUE(StopPolling());

    const QStringList lines = Cp1251::Decode(ReadFile(Path("day.txt"))).split("\r\n");
    ASSERT_EQ(lines.size(), 4) << "two results and the entry row, then the end";
    EXPECT_TRUE(lines[1].startsWith("\t15.03.2023\t12:02:10\t1\t20,00")) << lines[1].toStdString();
    EXPECT_EQ(lines[2], QString(15, '\t'));
    EXPECT_EQ(RowCount(), 2);
    EXPECT_FALSE(form.JournalModified());
    EXPECT_EQ(form.JournalFileName(), Path("Новый1.txt"));
}

TEST_F(Commands, AFailedSaveEndsNewBeforeAnythingIsEmptied)
{
    TForm1 &form = Create();
    EnterResults(form, 1);
    form.Journal().SetJournalFileName(Path("missing-folder/a.txt"));
    Script->ConfirmAnswers = {true};
    form.actNew->trigger();
    ASSERT_EQ(Script->Errors().size(), 1u);
    EXPECT_EQ(RowCount(), 3);
    EXPECT_EQ(form.JournalFileName(), Path("missing-folder/a.txt"));
    EXPECT_TRUE(form.JournalModified());
}

TEST_F(Commands, OpenAsksAboutChangesOnceAFileIsChosen)
{
    WriteFile(Path("old.txt"), Cp1251::Encode(u"а\r\nб\r\n"));
    TForm1 &form = Create();
    form.Journal().SetJournalFileName(Path("day.txt"));
    EnterResults(form, 1);

    // Cancel in the dialog asks nothing and changes nothing.
    form.actOpenFile->trigger();
    ASSERT_EQ(Script->Calls.size(), 1u);
    EXPECT_EQ(Script->Calls[0].Kind, "Open");
    EXPECT_EQ(Script->Calls[0].Text, Path("day.txt"));
    EXPECT_EQ(Script->Calls[0].Caption, "text files (.txt) (*.txt)");
    EXPECT_EQ(Script->Calls[0].Suffix, "txt");
    EXPECT_EQ(RowCount(), 3);
    EXPECT_TRUE(form.JournalModified());

    // Cancel in the question keeps everything as it was.
    const QString title = form.windowTitle();
    Script->Calls.clear();
    Script->OpenNames = {Path("old.txt")};
    Script->CloseAnswers = {TSaveAnswer::Cancel};
    form.actOpenFile->trigger();
    ASSERT_EQ(Script->Calls.size(), 2u);
    EXPECT_EQ(Script->Calls[1].Kind, "AskSave");
    EXPECT_EQ(Script->Calls[1].Text, "Сохранить данные?");
    EXPECT_EQ(Script->Calls[1].Caption, "Данные были изменены");
    EXPECT_EQ(form.JournalFileName(), Path("day.txt"));
    EXPECT_EQ(form.windowTitle(), title);
    EXPECT_EQ(RowCount(), 3);
    EXPECT_TRUE(form.JournalModified());
    EXPECT_FALSE(QFile::exists(Path("day.txt")));

    // Yes saves first, then the chosen file replaces the journal.
    Script->OpenNames = {Path("old.txt")};
    Script->CloseAnswers = {TSaveAnswer::Yes};
    form.actOpenFile->trigger();
    EXPECT_TRUE(ReadFile(Path("day.txt")).startsWith("\t15.03.2023\t12:00:00\t1\t20,00\t"));
    EXPECT_EQ(form.JournalFileName(), Path("old.txt"));
    EXPECT_EQ(form.windowTitle(), "Регистрация измерений молока(old.txt)");
    EXPECT_EQ(RowCount(), 3);
    EXPECT_EQ(Cell(1, 2), "б");
    EXPECT_FALSE(form.JournalModified());

    // Unmodified: no question. A name typed without extension that names no
    // file: an empty journal, and no file created.
    Script->Calls.clear();
    Script->OpenNames = {Path("fresh")};
    form.actOpenFile->trigger();
    EXPECT_EQ(Script->Calls.size(), 1u);
    EXPECT_EQ(form.JournalFileName(), Path("fresh.txt"));
    EXPECT_EQ(RowCount(), 2);
    EXPECT_FALSE(QFile::exists(Path("fresh.txt")));

    // No replaces the changes.
    EnterResults(form, 1);
    Script->OpenNames = {Path("old.txt")};
    Script->CloseAnswers = {TSaveAnswer::No};
    form.actOpenFile->trigger();
    EXPECT_EQ(form.JournalFileName(), Path("old.txt"));
    EXPECT_EQ(Cell(1, 2), "б");
    EXPECT_FALSE(form.JournalModified());
    EXPECT_FALSE(QFile::exists(Path("fresh.txt")));
}

TEST_F(Commands, AFailedSaveEndsOpenBeforeAnythingIsReplaced)
{
    WriteFile(Path("old.txt"), Cp1251::Encode(u"а\r\n"));
    TForm1 &form = Create();
    EnterResults(form, 1);
    form.Journal().SetJournalFileName(Path("missing-folder/a.txt"));
    Script->OpenNames = {Path("old.txt")};
    Script->CloseAnswers = {TSaveAnswer::Yes};
    form.actOpenFile->trigger();
    ASSERT_EQ(Script->Errors().size(), 1u);
    EXPECT_EQ(RowCount(), 3);
    EXPECT_EQ(Cell(2, 1), "15.03.2023");
    EXPECT_EQ(form.JournalFileName(), Path("missing-folder/a.txt"));
    EXPECT_TRUE(form.JournalModified());
}

// The analyzer has been acknowledged by the time a result is entered; one
// that comes while the question is open is asked about once more.
TEST_F(Commands, AResultArrivingDuringOpensQuestionIsAskedAbout)
{
    WriteFile(Path("old.txt"), Cp1251::Encode(u"а\r\n"));
    TTestAnalyzer analyzer(AnalyzerConfig({20.0, 3.45, 8.5, 1028.0}));
    TForm1 &form = Create();
    ASSERT_TRUE(PollFirstResultInto(analyzer, "day.txt"));

    Script->OpenNames = {Path("old.txt")};
    Script->WhileOpen = [&] { // the dialog: the next result waits for the question
        Script->WhileOpen = [&] {
            Clock.Advance(130);
            EXPECT_TRUE(WaitFor([&] { return RowCount() == 4; }));
        };
    };
    Script->CloseAnswers = {TSaveAnswer::No, TSaveAnswer::Yes};
    form.actOpenFile->trigger();
    ASSERT_TRUE(StopPolling());

    ASSERT_EQ(Script->Calls.size(), 3u);
    EXPECT_EQ(Script->Calls[2].Kind, "AskSave");
    const QStringList lines = Cp1251::Decode(ReadFile(Path("day.txt"))).split("\r\n");
    ASSERT_EQ(lines.size(), 4) << "both results and the entry row, then the end";
    EXPECT_TRUE(lines[1].startsWith("\t15.03.2023\t12:02:10\t1\t20,00")) << lines[1].toStdString();
    EXPECT_EQ(form.JournalFileName(), Path("old.txt"));
}

TEST_F(Commands, AFileThatCannotBeReadKeepsJournalAndName)
{
    TForm1 &form = Create();
    EnterResults(form, 1);
    QDir(Dir.path()).mkdir("folder.txt");
    Script->OpenNames = {Path("folder.txt")};
    form.actOpenFile->trigger();
    ASSERT_EQ(Script->Errors().size(), 1u);
    EXPECT_EQ(form.JournalFileName(), "Новый.txt") << "a later Save must not hit the unread file";
    EXPECT_EQ(RowCount(), 3);
}

TEST_F(Commands, SaveAndSaveAs)
{
    TForm1 &form = Create();
    form.actSave->trigger();
    EXPECT_EQ(ReadFile(Path("Новый.txt")), kEmptyJournalFile) << "the start-up name in the current folder";

    EnterResults(form, 1);
    WriteFile(Path("other.txt"), "old contents");
    WriteFile(Path("kept.txt"), "kept contents");

    // An existing file is replaced only after Yes; No writes nothing.
    Script->SaveNames = {Path("other")};
    form.actSaveAs->trigger();
    ASSERT_EQ(Script->Calls.size(), 2u);
    EXPECT_EQ(Script->Calls[0].Kind, "Save");
    EXPECT_EQ(Script->Calls[0].Text, "Новый.txt");
    EXPECT_EQ(Script->Calls[1].Kind, "Replace");
    EXPECT_EQ(Script->Calls[1].Text, Path("other.txt"));
    EXPECT_EQ(ReadFile(Path("other.txt")), "old contents");
    EXPECT_EQ(form.JournalFileName(), "Новый.txt");
    EXPECT_TRUE(form.JournalModified());

    Script->Calls.clear();
    Script->SaveNames = {Path("kept.txt"), Path("other")};
    Script->ReplaceAnswers = {false, true};
    form.actSaveAs->trigger();
    ASSERT_EQ(Script->Calls.size(), 3u);
    EXPECT_EQ(Script->Calls[1].Text, Path("kept.txt"));
    EXPECT_EQ(Script->Calls[2].Text, Path("other.txt"));
    EXPECT_EQ(ReadFile(Path("kept.txt")), "kept contents");
    EXPECT_EQ(form.JournalFileName(), Path("other.txt"));
    EXPECT_EQ(form.windowTitle(), "Регистрация измерений молока(other.txt)");
    EXPECT_FALSE(form.JournalModified());
    EXPECT_TRUE(ReadFile(Path("other.txt")).startsWith("\t15.03.2023\t12:00:00\t1\t20,00\t")) << "replaced";

    // Cancel changes nothing; a failed write keeps name, title and flag.
    form.Journal().SetJournalModified(true);
    form.actSaveAs->trigger();
    Script->SaveNames = {Path("missing-folder/x.txt")};
    form.actSaveAs->trigger();
    ASSERT_EQ(Script->Errors().size(), 1u);
    EXPECT_EQ(form.JournalFileName(), Path("other.txt"));
    EXPECT_EQ(form.windowTitle(), "Регистрация измерений молока(other.txt)");
    EXPECT_TRUE(form.JournalModified());
}

// The settings file is Windows-1251: a journal's name with other characters
// cannot be remembered, and the operator learns it when the journal gets
// that name, not from the next start.
TEST_F(Commands, ANameTheSettingsCannotHoldIsToldAtSaveAsAndOpen)
{
    TForm1 &form = Create();
    EnterResults(form, 1);
    const QString name = Path("әлем.txt");
    const QString notice = QStringLiteral("Имя журнала %1 нельзя запомнить в файле настроек %2: файл настроек "
                                          "записывается в кодировке Windows-1251, в которой нет знаков «ә».\n"
                                          "При следующем запуске программа не откроет этот журнал сама; "
                                          "откройте его командой «Открыть».")
                               .arg(Shown(name), Shown(IniPath()));
    Script->SaveNames = {name};
    form.actSaveAs->trigger();
    EXPECT_TRUE(ReadFile(name).startsWith("\t15.03.2023\t12:00:00\t1\t20,00\t")) << "saved all the same";
    EXPECT_EQ(form.JournalFileName(), name);
    ASSERT_EQ(Script->Calls.size(), 2u);
    EXPECT_EQ(Script->Calls[1].Kind, "Info");
    EXPECT_EQ(Script->Calls[1].Caption, "Имя журнала не запомнится");
    EXPECT_EQ(Script->Calls[1].Text, notice);

    Script->Calls.clear();
    Script->OpenNames = {name};
    form.actOpenFile->trigger();
    ASSERT_EQ(Script->Calls.size(), 2u);
    EXPECT_EQ(Script->Calls[1].Kind, "Info");
    EXPECT_EQ(Script->Calls[1].Text, notice);

    // A name the code page holds goes without a word.
    Script->Calls.clear();
    Script->SaveNames = {Path("Журнал.txt")};
    form.actSaveAs->trigger();
    EXPECT_EQ(Script->Calls.size(), 1u);
}

TEST_F(Commands, ALabelStillInTheEditorIsSavedAndClosingWithYesKeepsIt)
{
    TForm1 &form = Create();
    auto typeWithoutReturn = [&](const QString &label) {
        const QModelIndex entry = form.MainGrid->model()->index(RowCount() - 2, 1);
        form.MainGrid->setCurrentIndex(entry);
        form.MainGrid->edit(entry);
        auto *editor = form.MainGrid->viewport()->findChild<QLineEdit *>();
        ASSERT_NE(editor, nullptr);
        editor->setText(label);
    };
    typeWithoutReturn("проба 1");
    form.actSave->trigger();
    EXPECT_EQ(ReadFile(Path("Новый.txt")), Cp1251::Encode(u"проба 1") + kEmptyJournalFile);

    typeWithoutReturn("проба 2");
    Script->CloseAnswers = {TSaveAnswer::Yes};
    form.close();
    EXPECT_EQ(ReadFile(Path("Новый.txt")), Cp1251::Encode(u"проба 2") + kEmptyJournalFile);
}

TEST_F(Commands, PrintGoesThroughTheJournalsPrinterAndReportsItsErrors)
{
    TForm1 &form = Create();
    form.Journal().SetPrintDeviceProvider(std::make_unique<PdfFileProvider>(Path("print.pdf")));
    form.actPrint->trigger();
    EXPECT_TRUE(Script->Calls.empty());
    EXPECT_EQ(PdfPages(ReadFile(Path("print.pdf"))), 1) << "the empty journal prints one page";

    // Print again while a printout runs: refused, the first one goes on.
    EnterResults(form, 150);
    bool triedAgain = false;
    form.Journal().SetBetweenPagesHook([&] {
        if (!std::exchange(triedAgain, true))
            form.actPrint->trigger();
    });
    form.actPrint->trigger();
    EXPECT_TRUE(triedAgain);
    ASSERT_EQ(Script->Errors().size(), 1u);
    EXPECT_EQ(Script->Errors()[0].Text, "Printing in progress");
    EXPECT_EQ(PdfPages(ReadFile(Path("print.pdf"))), 2);
}

// Draws the preview's pages into a PDF in memory, as often as asked.
class TPdfPreview final : public IPrintPreview {
public:
    void Show(QWidget *, const TPaintPages &PaintPages) override
    {
        for (int i = 0; i < Repaints; ++i) {
            QBuffer buffer(&Pdf);
            buffer.open(QIODevice::WriteOnly);
            QPdfWriter pdf(&buffer);
            pdf.setResolution(600);
            pdf.setPageSize(QPageSize(QPageSize::A4));
            PaintPages(pdf);
        }
        ++Shown;
    }
    int Repaints = 1; // a changed page set-up draws the pages again
    int Shown = 0;
    QByteArray Pdf;
};

TEST_F(Commands, PrintPreviewShowsThePrintedPages)
{
    auto preview = std::make_unique<TPdfPreview>();
    TPdfPreview &shown = *preview;
    PrintPreview = std::move(preview);
    TForm1 &form = Create();
    EnterResults(form, 150);
    shown.Repaints = 2;
    form.actPrintPreview->trigger();
    EXPECT_EQ(shown.Shown, 1);
    EXPECT_EQ(PdfPages(shown.Pdf), 2);

    form.Journal().SetPrintDeviceProvider(std::make_unique<PdfFileProvider>(Path("print.pdf")));
    form.actPrint->trigger();
    EXPECT_EQ(PdfPages(ReadFile(Path("print.pdf"))), PdfPages(shown.Pdf)) << "the same pages as on paper";
    EXPECT_TRUE(Script->Calls.empty());
}

// Journal rows on an A4 page of the PDF file.
int PdfRowsPerPage(const TForm1 &form)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter probe(&buffer);
    probe.setResolution(600);
    probe.setPageSize(QPageSize(QPageSize::A4));
    const int lineHeight = QFontMetrics(PrintFont(form.MainGrid->font()), &probe).height();
    return PrintPageLayout::Compute(probe.height(), probe.width(), lineHeight).R;
}

TEST_F(Commands, SaveAsPdfAsksForTheNameAndWritesThePrintout)
{
    TForm1 &form = Create();
    form.Journal().SetJournalFileName(Path("day.txt"));
    EnterResults(form, PdfRowsPerPage(form) - 1); // with the entry row: one full page

    form.actSavePdf->trigger(); // cancelled
    ASSERT_EQ(Script->Calls.size(), 1u);
    EXPECT_EQ(Script->Calls[0].Kind, "Save");
    EXPECT_EQ(Script->Calls[0].Text, Path("day.pdf"));
    EXPECT_EQ(Script->Calls[0].Caption, "Файлы PDF (.pdf) (*.pdf)");
    EXPECT_EQ(Script->Calls[0].Suffix, "pdf");
    EXPECT_EQ(QDir(Dir.path()).entryList({"*.pdf"}), QStringList());

    // A name typed without its suffix gets it; a result that came while the
    // dialog was open is in the file, on a page of its own.
    Script->SaveNames = {Path("вечер")};
    Script->WhileOpen = [&] { EnterResults(form, 1); };
    form.actSavePdf->trigger();
    const QByteArray pdf = ReadFile(Path("вечер.pdf"));
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_EQ(PdfPages(pdf), 2);
    EXPECT_TRUE(Script->Errors().empty());
    EXPECT_TRUE(form.JournalModified()) << "a PDF is not the journal's file";
    EXPECT_EQ(form.JournalFileName(), Path("day.txt"));

    // A failure is shown; the journal goes on as it was.
    Script->SaveNames = {Path("no such folder/day.pdf")};
    form.actSavePdf->trigger();
    ASSERT_EQ(Script->Errors().size(), 1u);
    EXPECT_TRUE(Script->Errors()[0].Text.startsWith("Не удалось записать файл PDF"))
        << Script->Errors()[0].Text.toStdString();

    EXPECT_EQ(TPrintCommands::PdfFileName("Новый.txt"), "Новый.pdf");
    EXPECT_EQ(TPrintCommands::PdfFileName("C:\\данные\\день.2024.txt"), "C:\\данные\\день.2024.pdf");
    EXPECT_EQ(TPrintCommands::PdfFileName("/data/journal"), "/data/journal.pdf");
}

TEST_F(Commands, WithoutADefaultPrinterPrintReportsIt)
{
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "this machine has a default printer; nothing is sent to it";
    TForm1 &form = Create();
    form.actPrint->trigger();
    ASSERT_EQ(Script->Errors().size(), 1u);
    EXPECT_EQ(Script->Errors()[0].Text, "There is no default printer currently selected");
}

} // namespace
