#pragma once

// TForm1, the program's main window: it builds the widgets (the journal grid
// MainGrid, the device number field NumberEdit1, the port menu MenuPort, the
// actions and menus) and wires them to the journal session (TJournalSession:
// the journal, its result log and the journal commands) and to the polling
// controller (TPollingController: the poller FixMeas1 as the window drives
// it); it reads the settings file at start-up and writes it back at closing.

#include "FixMeas.h"
#include "FormDialogs.h"
#include "JournalDocument.h"
#include "JournalSession.h"
#include "PrintCommands.h"
#include "SerialPortList.h"
#include "SettingsLocation.h"

#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>

class QAction;
class QMenu;
class QToolBar;
class QToolButton;
class TColorStringGrid;
class TJournalLog;
class TLinkStatusBar;
class TLogWarning;
class TNormMarks;
class TNumberEdit;
class TPollingController;
class TSelectionStatusLabel;

enum class TCloseAction { caNone, caHide, caFree, caMinimize };

struct TForm1Setup {
    // Message boxes and file dialogs; null: the real ones.
    std::unique_ptr<IFormDialogs> Dialogs;
    // The settings file; empty: "Nivara.Ini" in Location.
    QString IniFileName;
    // Where the settings live, as the program's start chose them; none:
    // where PrepareSettingsLocation puts them (beside the executable
    // whenever that works).
    std::optional<TSettingsLocation> Location;
    // The serial ports for the port menu, comma-separated; null: the ports
    // present on this machine.
    std::function<std::string()> SerialPortNames;
    // Where the ports are described (and listed, without SerialPortNames).
    TSerialRoots SerialRoots;
    // The result log; empty: "Nivara.log" beside the settings file.
    QString LogFileName;
    // The print preview; null: QPrintPreviewDialog.
    std::unique_ptr<IPrintPreview> PrintPreview;
};

class TLabelCompletion;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window's components, then runs FormCreate.
    explicit TForm1(TForm1Setup Setup = {}, QWidget *Parent = nullptr);
    ~TForm1() override;

    // Components, with the names they have in the window's design.
    QToolBar *ToolBar1 = nullptr;
    TNumberEdit *NumberEdit1 = nullptr;
    QToolButton *ToolButton7 = nullptr;
    QMenu *MenuPort = nullptr;
    TColorStringGrid *MainGrid = nullptr;
    QAction *actNew = nullptr;
    QAction *actOpenFile = nullptr;
    QAction *actSave = nullptr;
    QAction *actSaveAs = nullptr;
    QAction *actPrint = nullptr;
    QAction *actSavePdf = nullptr;
    QAction *actPrintPreview = nullptr;
    QAction *actSummary = nullptr;
    QAction *actOpr = nullptr;
    QMenu *mnFile = nullptr;
    QMenu *mnService = nullptr;
    QAction *actNorms = nullptr; // the quality norms dialog, in mnService
    QAction *mnAbout = nullptr;
    TFixMeas *FixMeas1 = nullptr;
    TLogWarning *LogWarning = nullptr;
    TLinkStatusBar *LinkStatus = nullptr; // in the status bar
    TSelectionStatusLabel *SelectionStatus = nullptr;
    TNormMarks *NormMarks = nullptr; // quality norms in the grid, the status bar and printouts

    // The window's copy of the poller's record; outlives every polling run.
    TFixMeasResult PollState{};

    JournalDocument &Journal() { return FJournal; }
    bool JournalModified() const { return FJournal.JournalModified(); }
    QString JournalFileName() const { return FJournal.JournalFileName(); }
    const QString &IniFileName() const { return FIniFileName; }
    // The quality norms file beside the settings file.
    const QString &NormsFileName() const { return FNormsFileName; }
    IFormDialogs &Dialogs() { return *FDialogs; }
    TJournalLog &JournalLog() { return FSession.Log(); }
    // The index into ImageList1 that an action shows.
    static int ImageIndex(const QAction *Action);

    // The end of the program on a termination signal or the desktop's
    // logout: the poller finishes its exchange and stops, the settings are
    // written as at closing, and nothing is asked or saved.
    void FormEndSession();
    void ShowJournalTitle(const QString &FileName);

    // The poller's hand-offs as they reach the window (see TPollingController).
    void FixMeas1Stoping(QObject *Sender, bool Error);
    void FixMeas1PutResult(QObject *Sender);
    void ShowError(const QString &Text);

    // A port chosen in the port menu.
    void PortMenuItemClick(QAction *Sender);
    // Prints journal rows 1..LastRow. Errors propagate to the caller.
    void PrintJournal(int LastRow);

protected:
    void closeEvent(QCloseEvent *Event) override;
    void resizeEvent(QResizeEvent *Event) override;
    void showEvent(QShowEvent *Event) override;

private:
    // Start-up and closing.
    void FormCreate();
    void FormClose(TCloseAction &Action);
    void FormResize();
    void SetCaptions();
    // The commands, as the actions trigger them.
    void actOprExecute();
    void actNewExecute();
    void actOpenFileExecute();
    void actSaveExecute();
    void actSaveAsExecute();
    void actPrintExecute();
    void actSavePdfExecute();
    void actPrintPreviewExecute();
    void actSummaryExecute();
    void mnAboutClick();
    void actNormsExecute();
    // The port menu, rebuilt each time it opens so that it shows the ports
    // present now.
    void MenuPortAboutToShow();
    void PortMenuOtherClick();

    QList<QIcon> ImageList1;
    QObject *ActionList1 = nullptr;

    void CreateComponents();
    void CreateActions();
    void CreateToolBar();
    void CreateMenus();
    void WireFixMeas();
    void WireLinkStatus();
    void BindCommand(QAction *Action, void (TForm1::*Handler)());
    void SetImage(QAction *Action, int Index);
    void CommitTypedDeviceNumber();
    void StopPollingAndWriteSettings();
    void CommitGridEditor();
    void UseSettingsLocation(const TSettingsLocation &Location);
    void ReadSettings();
    void WriteSettings();
    void WaitWhilePollerActive();
    void RecoverOrStartJournalLog();
    void ReadNorms();

    std::unique_ptr<IFormDialogs> FDialogs;
    TJournalSession FSession;      // after FDialogs, which it asks
    JournalDocument &FJournal;     // the session's
    TPrintCommands FPrintCommands; // after FDialogs, which it asks
    std::function<std::string()> FSerialPortNames;
    TSerialRoots FSerialRoots;
    QString FIniFileName;
    std::optional<TSettingsLocation> FLocation; // until FormCreate uses it
    QString FLogFileName;
    QString FNormsFileName;
    std::unique_ptr<TFixMeas> FFixMeas;
    std::unique_ptr<TPollingController> FPolling; // the window's side of FFixMeas
    TLabelCompletion *FLabelCompletion = nullptr; // the label cell's list, a child
    std::function<void(const QString &)> FPreviousErrorSink;
    bool FClosing = false;
    bool FShownOnce = false;
    bool FPlacementRestored = false; // the remembered size and position, not the centre
};
