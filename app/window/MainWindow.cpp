#include "MainWindow.h"

#include "AboutForm.h"
#include "AppError.h"
#include "CommandKeys.h"
#include "GridFollow.h"
#include "Icons.h"
#include "IniFile.h"
#include "JournalGrid.h"
#include "JournalView.h"
#include "LabelCandidates.h"
#include "LabelCompletion.h"
#include "LinkStatusBar.h"
#include "LogWarning.h"
#include "NormMarks.h"
#include "NumberEdit.h"
#include "PollingController.h"
#include "PortMenu.h"
#include "ProgramTexts.h"
#include "QualityNormsFile.h"
#include "ResultEntry.h"
#include "SelectionStatusLabel.h"
#include "SerialPortList.h"
#include "SettingsLocation.h"
#include "SettingsMessages.h"
#include "SummaryDialog.h"
#include "WindowPlacement.h"

#include <QAbstractItemDelegate>
#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDir>

#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

#include <cmath>
#include <exception>
#include <limits>
#include <stdexcept>

namespace {

// The journal's labels, first row first, for the label cell's list.
QStringList JournalLabels(const JournalModel &Model)
{
    QStringList labels;
    for (int row = 1; row < Model.RowCount(); ++row)
        labels << Model.Cell(JournalModel::LabelColumn, row);
    return labels;
}

const char *const kImageIndexProperty = "ImageIndex";
const QString kConfig = QStringLiteral("Config");
const QString kKeyCom = QStringLiteral("COM");
const QString kKeyFileName = QStringLiteral("FileName");
const QString kKeyDeviceNumber = QStringLiteral("DeviceNumber");

constexpr int kClientWidth = 756;
constexpr int kClientHeight = 527;
constexpr int kToolBarHeight = 41;
constexpr int kButtonWidth = 33;
constexpr int kButtonHeight = 31;
constexpr int kDropDownArrowWidth = 14;

QFrame *Divider(int Width)
{
    auto *line = new QFrame;
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setFixedSize(Width, kButtonHeight);
    return line;
}

} // namespace

TForm1::TForm1(TForm1Setup Setup, QWidget *Parent)
    : QMainWindow(Parent)
    , FDialogs(Setup.Dialogs ? std::move(Setup.Dialogs) : CreateQtFormDialogs())
    , FSession(
          *FDialogs, this, [this] { CommitGridEditor(); }, [this] { return FIniFileName; })
    , FJournal(FSession.Document())
    , FPrintCommands(*FDialogs, std::move(Setup.PrintPreview),
                     [this] {
                         CommitGridEditor();
                         return FJournal.Printout(FJournal.Model().RowCount() - 1, MainGrid->font());
                     })
    , FSerialPortNames(std::move(Setup.SerialPortNames))
    , FSerialRoots(std::move(Setup.SerialRoots))
    , FIniFileName(std::move(Setup.IniFileName))
    , FLocation(std::move(Setup.Location))
    , FLogFileName(std::move(Setup.LogFileName))
{
    CreateComponents();
    FPreviousErrorSink = SetApplicationErrorSink([this](const QString &Text) {
        const QString caption = QGuiApplication::applicationDisplayName();
        FDialogs->ShowError(this, Text, caption.isEmpty() ? QStringLiteral("Nivara") : caption);
    });
    FormCreate();
}

TForm1::~TForm1()
{
    // The poller goes first, while everything its handlers touch still
    // exists; its end notification finds no handlers left to call.
    FPolling.reset();
    LinkStatus->SetSource(nullptr); // it reads the poller
    FFixMeas.reset();
    FixMeas1 = nullptr;
    SetApplicationErrorSink(FPreviousErrorSink);
}

void TForm1::CreateComponents()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    setFont(JournalFont());
    ImageList1 = ::ImageList1();
    setWindowIcon(ApplicationIcon());

    FFixMeas = std::make_unique<TFixMeas>();
    FixMeas1 = FFixMeas.get();
    FixMeas1->setObjectName(QStringLiteral("FixMeas1"));

    CreateActions();
    CreateToolBar();
    CreateMenus();

    MainGrid = new TColorStringGrid(this);
    MainGrid->setObjectName(QStringLiteral("MainGrid"));
    AttachJournalGrid(*MainGrid, FJournal);
    FLabelCompletion = new TLabelCompletion([this] { return JournalLabels(FJournal.Model()); },
                                            [this] { return SupplierListFileName(FIniFileName); }, this);
    MainGrid->OnEditorCreated = [this](TColorStringGrid *, int ACol, int, QLineEdit *Editor) {
        if (ACol == JournalModel::LabelColumn)
            FLabelCompletion->Attach(Editor);
    };
    FollowAppendedRows(*MainGrid);
    setCentralWidget(MainGrid);
    NormMarks = new TNormMarks(*MainGrid, FJournal, this, numedit::RegionalDecimalSeparator());
    statusBar()->addPermanentWidget(NormMarks->StatusLabel());
    SelectionStatus = new TSelectionStatusLabel(MainGrid, this);
    statusBar()->addPermanentWidget(SelectionStatus);
    LogWarning = new TLogWarning(this);
    addToolBar(Qt::BottomToolBarArea, LogWarning);
    connect(&FJournal, &JournalDocument::TitleChanged, this, &QWidget::setWindowTitle);

    // The grid is first in the tab order and holds the focus at start.
    setTabOrder(MainGrid, NumberEdit1);
    WireFixMeas();
    WireLinkStatus();
    resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    MainGrid->setFocus();
}

void TForm1::CreateActions()
{
    ActionList1 = new QObject(this);
    ActionList1->setObjectName(QStringLiteral("ActionList1"));
    auto make = [this](QAction *&Action, const char *Name, const char *DesignCaption, int Image) {
        Action = new QAction(QString::fromLatin1(DesignCaption), ActionList1);
        Action->setObjectName(QString::fromLatin1(Name));
        SetImage(Action, Image);
    };
    make(actNew, "actNew", "New", kImageNew);
    make(actOpenFile, "actOpenFile", "Open", kImageOpen);
    make(actSave, "actSave", "Save", kImageSave);
    make(actSaveAs, "actSaveAs", "Save As", kImageSave);
    make(actPrint, "actPrint", "Print", kImagePrint);
    make(actSavePdf, "actSavePdf", "Save As PDF", -1);
    make(actPrintPreview, "actPrintPreview", "Print Preview", -1);
    make(actSummary, "actSummary", "Summary", -1);
    make(actOpr, "actOpr", "Opr", kImageStart);

    BindCommand(actNew, &TForm1::actNewExecute);
    BindCommand(actOpenFile, &TForm1::actOpenFileExecute);
    BindCommand(actSave, &TForm1::actSaveExecute);
    BindCommand(actSaveAs, &TForm1::actSaveAsExecute);
    BindCommand(actPrint, &TForm1::actPrintExecute);
    BindCommand(actSavePdf, &TForm1::actSavePdfExecute);
    BindCommand(actPrintPreview, &TForm1::actPrintPreviewExecute);
    BindCommand(actSummary, &TForm1::actSummaryExecute);
    BindCommand(actOpr, &TForm1::actOprExecute);
    AssignCommandKeys({actNew, actOpenFile, actSave, actSaveAs, actPrint, actOpr});
}

void TForm1::CreateToolBar()
{
    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(kImageSize, kImageSize));
    ToolBar1->setFixedHeight(kToolBarHeight);
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    for (QAction *action : {actNew, actOpenFile, actSave, actPrint}) {
        ToolBar1->addAction(action);
        if (QWidget *button = ToolBar1->widgetForAction(action))
            button->setFixedSize(kButtonWidth, kButtonHeight);
    }
    ToolBar1->addWidget(Divider(21));

    NumberEdit1 = new TNumberEdit(ToolBar1);
    NumberEdit1->setObjectName(QStringLiteral("NumberEdit1"));
    NumberEdit1->SetEntryRequired(TNumberEditType::wordvalue);
    NumberEdit1->SetDisplayFormat(QStringLiteral("0;-0"));
    NumberEdit1->setFixedSize(77, kButtonHeight);
    QFont font = JournalFont();
    font.setPixelSize(16);
    font.setBold(true);
    NumberEdit1->setFont(font);
    ToolBar1->addWidget(NumberEdit1);
    ToolBar1->addWidget(Divider(19));

    MenuPort = new QMenu(this);
    MenuPort->setObjectName(QStringLiteral("MenuPort"));
    ToolButton7 = new QToolButton(ToolBar1);
    ToolButton7->setObjectName(QStringLiteral("ToolButton7"));
    ToolButton7->setDefaultAction(actOpr);
    ToolButton7->setMenu(MenuPort);
    connect(MenuPort, &QMenu::aboutToShow, this, &TForm1::MenuPortAboutToShow);
    ToolButton7->setPopupMode(QToolButton::MenuButtonPopup);
    ToolButton7->setIconSize(QSize(kImageSize, kImageSize));
    ToolButton7->setFixedSize(kButtonWidth + kDropDownArrowWidth, kButtonHeight);
    ToolBar1->addWidget(ToolButton7);
}

void TForm1::CreateMenus()
{
    mnFile = menuBar()->addMenu(QStringLiteral("File"));
    mnFile->setObjectName(QStringLiteral("mnFile"));
    mnFile->addActions({actNew, actOpenFile, actSave, actSaveAs, actSavePdf, actPrintPreview, actPrint});
    mnFile->addSeparator();
    mnFile->addAction(actSummary);

    mnService = menuBar()->addMenu(QStringLiteral("Service"));
    mnService->setObjectName(QStringLiteral("mnService"));
    actNorms = new QAction(QStringLiteral("Norms"), ActionList1);
    actNorms->setObjectName(QStringLiteral("actNorms"));
    mnService->addAction(actNorms);
    BindCommand(actNorms, &TForm1::actNormsExecute);

    mnAbout = new QAction(QStringLiteral("About"), this);
    mnAbout->setObjectName(QStringLiteral("mnAbout"));
    menuBar()->addAction(mnAbout);
    menuBar()->setObjectName(QStringLiteral("MainMenu1"));
    BindCommand(mnAbout, &TForm1::mnAboutClick);
    ReachMenuBarByKeys(menuBar());
}

void TForm1::WireFixMeas()
{
    TPollingController::TWindow window;
    window.TypedDeviceNumber = [this] { return NumberEdit1->Value(); };
    window.CommitTypedDeviceNumber = [this] { CommitTypedDeviceNumber(); };
    window.ShowPolling = [this](bool Polling) {
        NumberEdit1->setEnabled(!Polling);
        SetImage(actOpr, Polling ? kImageStop : kImageStart);
        actOpr->setToolTip(Polling ? MyConsts::sStopPolling() : MyConsts::sStartPolling());
    };
    window.EnableCommands = [this](bool Enabled) {
        const auto commands = {actNew,   actOpenFile, actSave,  actSaveAs, actSavePdf, actPrintPreview,
                               actPrint, actOpr,      actNorms, mnAbout,   actSummary};
        for (QAction *action : commands)
            action->setEnabled(Enabled);
    };
    window.ShowError = [this](const QString &Text) { ShowError(Text); };
    window.Closing = [this] { return FClosing; };
    FPolling = std::make_unique<TPollingController>(*FixMeas1, FSession, PollState, std::move(window));
}

void TForm1::WireLinkStatus()
{
    LinkStatus = new TLinkStatusBar(this);
    statusBar()->addWidget(LinkStatus, 1);
    LinkStatus->SetSource([this] {
        TLinkInput in = FPolling->LinkInput();
        in.ResultCount = FJournal.Model().RowCount() - 2; // less the captions and the entry row
        return in;
    });
}

void TForm1::BindCommand(QAction *Action, void (TForm1::*Handler)())
{
    connect(Action, &QAction::triggered, this, [this, Handler] { RunReportingErrors([&] { (this->*Handler)(); }); });
}

void TForm1::SetImage(QAction *Action, int Index)
{
    Action->setProperty(kImageIndexProperty, Index);
    if (Index >= 0 && Index < ImageList1.size())
        Action->setIcon(ImageList1[Index]);
}

int TForm1::ImageIndex(const QAction *Action)
{
    const QVariant index = Action->property(kImageIndexProperty);
    return index.isValid() ? index.toInt() : -1;
}

// ---- Start-up ---------------------------------------------------------------

void TForm1::FormCreate()
{
    // A failing step is shown, and the steps after it are skipped; the
    // window is shown all the same.
    RunReportingErrors([this] {
        FJournal.SetJournalFileName(MyConsts::sJournalTexts().DefaultJournalFileName());
        if (FIniFileName.isEmpty())
            UseSettingsLocation(FLocation ? *FLocation : PrepareSettingsLocation());
        ReadSettings();

        MenuPortAboutToShow();

        SetCaptions();
        FSession.LoadRemembered();
    });
    RecoverOrStartJournalLog();
    RunReportingErrors([this] { ReadNorms(); });
}

void TForm1::ReadNorms()
{
    // Beside the settings file, whatever became of reading it.
    FNormsFileName = ::NormsFileName(FIniFileName);
    const TNormsFileContents contents = ReadNormsFile(FNormsFileName);
    NormMarks->SetNorms(contents.Norms);
    if (!contents.Problems.isEmpty())
        FDialogs->ShowError(this, contents.Problems.join(QStringLiteral("\n\n")), MyConsts::sNormsFileCaption());
}

void TForm1::actNormsExecute()
{
    const std::optional<TQualityNorms> norms =
        FDialogs->EditNorms(this, NormMarks->Norms(), numedit::RegionalDecimalSeparator());
    if (!norms)
        return;
    // In force at once; a file that cannot be written is said, and the
    // norms last until the program ends.
    NormMarks->SetNorms(*norms);
    try {
        WriteNormsFile(FNormsFileName.isEmpty() ? ::NormsFileName(FIniFileName) : FNormsFileName, *norms);
    } catch (const std::runtime_error &e) {
        FDialogs->ShowError(this, QString::fromStdString(e.what()), MyConsts::sNormsFileCaption());
    }
}

void TForm1::RecoverOrStartJournalLog()
{
    // The log lives beside the settings file, whatever became of reading it.
    if (FLogFileName.isEmpty())
        FLogFileName = ResultLogFileName(FIniFileName);
    const std::optional<TPollSnapshot> poll =
        FSession.RecoverOrStartLog(FLogFileName, [this](bool Secured, const QString &Cause) {
            LogWarning->SetSecured(Secured, FLogFileName, Cause);
        });
    // The poller goes on where it was.
    if (poll)
        FPolling->GoOnFrom(*poll);
}

void TForm1::UseSettingsLocation(const TSettingsLocation &Location)
{
    FIniFileName = Location.IniFileName; // the result log goes beside it
    // A journal named without a folder (the first one, New's names, a name
    // kept in the settings) then lands in the user's own folder, not
    // wherever the desktop started the program.
    if (!Location.JournalFolder.isEmpty())
        QDir::setCurrent(Location.JournalFolder);
}

void TForm1::ReadSettings()
{
    if (!QFileInfo::exists(FIniFileName))
        return;
    TIniPlus ini(FIniFileName);
    if (const QString problem = ini.ReadProblem(); !problem.isEmpty())
        ShowApplicationError(MyConsts::sSettingsUnreadable().arg(QDir::toNativeSeparators(FIniFileName), problem));
    FixMeas1->SetPort(ini.ReadString(kConfig, kKeyCom, FixMeas1->Port()));
    FJournal.SetJournalFileName(ini.ReadString(kConfig, kKeyFileName, FJournal.JournalFileName()));
    NumberEdit1->SetValue(ini.ReadInteger(kConfig, kKeyDeviceNumber, 0));
    if (const std::optional<TWindowPlacement> placement = ReadWindowPlacement(FIniFileName)) {
        ApplyWindowPlacement(*this, *placement);
        FPlacementRestored = true;
    }
}

void TForm1::SetCaptions()
{
    // The column captions are the journal model's own (its header row).
    mnFile->setTitle(MyConsts::sFileMenu());
    const std::pair<QAction *, QString> commands[] = {
        {actNew, MyConsts::sActNew()},
        {actOpenFile, MyConsts::sActOpen()},
        {actSave, MyConsts::sActSave()},
        {actSaveAs, MyConsts::sActSaveAs()},
        {actPrint, MyConsts::sActPrint()},
        {actSavePdf, MyConsts::sActSavePdf()},
        {actPrintPreview, MyConsts::sActPrintPreview()},
        {actSummary, MyConsts::sSummaryMenu()},
    };
    for (const auto &[action, text] : commands) {
        action->setText(text);
        action->setToolTip(text);
    }
    mnAbout->setText(MyConsts::sAbout());
    mnService->setTitle(MyConsts::sServiceMenu());
    actNorms->setText(MyConsts::sActNorms());
    // The established commands pick their access keys first, so that the
    // newer ones do not take Print's П.
    AddAccessKeys({actNew, actOpenFile, actSave, actSaveAs, actPrint, actSavePdf, actPrintPreview, actSummary});
    AddAccessKeys({actNorms});
    AddAccessKeys(menuBar()->actions());
    actOpr->setToolTip(FixMeas1->Active() ? MyConsts::sStopPolling() : MyConsts::sStartPolling());
    NumberEdit1->setToolTip(MyConsts::sDeviceNumberHint());
}

void TForm1::ShowJournalTitle(const QString &FileName)
{
    FJournal.ShowJournalTitle(FileName);
}

void TForm1::FormResize()
{
    MainGrid->FitColumns();
}

void TForm1::resizeEvent(QResizeEvent *Event)
{
    QMainWindow::resizeEvent(Event);
    FormResize();
}

void TForm1::showEvent(QShowEvent *Event)
{
    QMainWindow::showEvent(Event);
    if (FShownOnce)
        return;
    FShownOnce = true;
    if (FPlacementRestored) {
        FormResize();
        return;
    }
    if (const QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - frameGeometry().center() + pos());
    FormResize();
}

// ---- Closing ----------------------------------------------------------------

void TForm1::closeEvent(QCloseEvent *Event)
{
    // A second close request while the first one waits for the poller.
    if (FClosing) {
        Event->ignore();
        return;
    }
    TCloseAction action = TCloseAction::caHide;
    if (!RunReportingErrors([&] { FormClose(action); }))
        action = TCloseAction::caNone;
    if (action == TCloseAction::caNone)
        Event->ignore();
    else
        Event->accept();
}

void TForm1::FormClose(TCloseAction &Action)
{
    if (!FSession.AskToSaveChanges()) {
        Action = TCloseAction::caNone;
        return;
    }
    const int enteredBeforeStop = FSession.ResultsEntered();
    StopPollingAndWriteSettings();
    FClosing = false;
    // The pass the poller finished may have brought a result after the
    // answer; it is acknowledged already, so the journal is its only copy.
    if (FSession.ResultsEntered() != enteredBeforeStop && !FSession.AskToSaveChanges())
        Action = TCloseAction::caNone;
    // Closing on "No" lets the unsaved work go: it does not come back at the
    // next start.
    if (Action != TCloseAction::caNone)
        FSession.LetUnsavedWorkGo();
}

void TForm1::FormEndSession()
{
    // Nothing is asked and the journal is not written into its file: its
    // unsaved rows stay where the program keeps them for the next start.
    CommitGridEditor();
    StopPollingAndWriteSettings();
    FSession.EndSession();
}

void TForm1::StopPollingAndWriteSettings()
{
    FixMeas1->Stop();
    CommitTypedDeviceNumber();
    // Stays set for an end of session, so that polling cannot start again.
    FClosing = true;
    // Settings that cannot be written are reported, but do not keep the
    // operator from ending the program.
    RunReportingErrors([this] { WriteSettings(); });
    WaitWhilePollerActive();
}

void TForm1::WriteSettings()
{
    TIniPlus ini(FIniFileName);
    // Every key is tried: a value that cannot be stored (a journal name with
    // characters the file's code page lacks) must not cost the others.
    std::exception_ptr firstError;
    const auto attempt = [&firstError](auto &&write) {
        try {
            write();
        } catch (const EIniFileException &error) {
            if (!firstError)
                firstError = std::make_exception_ptr(std::runtime_error(SettingsWriteErrorText(error).toStdString()));
        } catch (...) {
            if (!firstError)
                firstError = std::current_exception();
        }
    };
    attempt([&] { ini.WriteString(kConfig, kKeyCom, FixMeas1->Port()); });
    // A journal that could not be read at start-up stays the remembered one
    // until the work is saved under another name.
    const QString journal = FSession.RememberedFileName();
    attempt([&] { ini.WriteString(kConfig, kKeyFileName, journal); });
    attempt([&] {
        const long double value = NumberEdit1->Value();
        const long double rounded = RoundDeviceNumber(value);
        if (rounded >= std::numeric_limits<int>::min() && rounded <= std::numeric_limits<int>::max())
            ini.WriteInteger(kConfig, kKeyDeviceNumber, int(rounded));
        else
            ini.WriteString(kConfig, kKeyDeviceNumber, QString::number(double(rounded), 'f', 0));
    });
    attempt([&] { WriteWindowPlacement(FIniFileName, CurrentWindowPlacement(*this)); });
    if (firstError)
        std::rethrow_exception(firstError);
}

void TForm1::WaitWhilePollerActive()
{
    FPolling->WaitWhileActive();
}

void TForm1::CommitGridEditor()
{
    // A label still in the grid's editor belongs to the journal already;
    // toolbar buttons take no focus, so the editor would stay open with it.
    for (QLineEdit *editor : MainGrid->viewport()->findChildren<QLineEdit *>(Qt::FindDirectChildrenOnly))
        if (editor->isVisible())
            emit MainGrid->itemDelegate()->commitData(editor);
}

void TForm1::CommitTypedDeviceNumber()
{
    MainGrid->setFocus(Qt::OtherFocusReason);
    // In a window that is not active the field gets no focus-out event.
    NumberEdit1->CommitEditing();
}

// ---- Polling control and result entry ---------------------------------------

void TForm1::actOprExecute()
{
    FPolling->Toggle();
}

void TForm1::FixMeas1Stoping(QObject *, bool)
{
    FPolling->Stoping();
}

void TForm1::FixMeas1PutResult(QObject *)
{
    FPolling->PutResult();
}

void TForm1::ShowError(const QString &Text)
{
    FDialogs->ShowError(this, Text, MyConsts::sErrorCaption());
}

void TForm1::MenuPortAboutToShow()
{
    std::vector<TSerialPortInfo> ports;
    if (FSerialPortNames) {
        for (const std::string &name : SplitPortNames(FSerialPortNames()))
            if (!name.empty())
                ports.push_back(DescribeSerialPort(name, FSerialRoots));
    } else {
        ports = ListSerialPorts(FSerialRoots);
    }
    const QString current = FixMeas1->Port();
    const TSerialPortInfo currentInfo = DescribeSerialPort(current.toStdString(), FSerialRoots);
    BuildPortMenu(MenuPort, current, ports, currentInfo, {MyConsts::sPortAbsent(), MyConsts::sOtherPort()});
    LinkStatus->SetPort(current, QString::fromStdString(currentInfo.Description));
    for (QAction *item : MenuPort->actions()) {
        if (item->objectName() == QLatin1String(kOtherPortItemName))
            connect(item, &QAction::triggered, this, &TForm1::PortMenuOtherClick);
        else if (item->isCheckable())
            connect(item, &QAction::triggered, this, [this, item] { PortMenuItemClick(item); });
    }
}

void TForm1::PortMenuItemClick(QAction *Sender)
{
    FixMeas1->SetPort(Sender->objectName());
    LinkStatus->SetPort(
        FixMeas1->Port(),
        QString::fromStdString(DescribeSerialPort(FixMeas1->Port().toStdString(), FSerialRoots).Description));
}

void TForm1::PortMenuOtherClick()
{
    const QString port =
        FDialogs->AskText(this, MyConsts::sOtherPortCaption(), MyConsts::sOtherPortLabel(), FixMeas1->Port());
    if (port.isEmpty())
        return;
    FixMeas1->SetPort(port);
    // Shown checked (as absent, if it is) until the menu opens again.
    MenuPortAboutToShow();
}

// ---- Journal commands -------------------------------------------------------

void TForm1::actNewExecute()
{
    FSession.New();
}

void TForm1::actOpenFileExecute()
{
    FSession.Open();
}

void TForm1::actSaveExecute()
{
    FSession.Save();
}

void TForm1::actSaveAsExecute()
{
    FSession.SaveAs();
}

void TForm1::actPrintExecute()
{
    PrintJournal(FJournal.Model().RowCount() - 1);
}

void TForm1::PrintJournal(int LastRow)
{
    CommitGridEditor();
    FJournal.PrintJournal(LastRow, MainGrid->font());
}

void TForm1::actSavePdfExecute()
{
    FPrintCommands.SaveAsPdf(this, FJournal.JournalFileName());
}

void TForm1::actPrintPreviewExecute()
{
    FPrintCommands.Preview(this);
}

void TForm1::actSummaryExecute()
{
    CommitGridEditor();
    OpenSummary(this, *MainGrid, FJournal, NormMarks->Norms(), *FDialogs);
}

void TForm1::mnAboutClick()
{
    ShowAboutForm(this);
}
