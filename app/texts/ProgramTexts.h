#pragma once

// The program's own user-interface texts, in one table. Texts that other
// units make themselves are not here: the journal's own (the printout's page
// label, the file extension: JournalTexts), the journal file's and the PDF's
// error texts (journal/JournalFile, journal/JournalPrint), the causes of file
// errors (journal/FileError), which the result log's warning quotes too, the
// name of a journal written at an end while the log fails (EmergencyJournal),
// the serial port's own error texts (shown in the link's tooltip), Qt's texts
// (QtTranslations), and the captions "Confirm" of the question at New and
// "OK" of the About window.

#include "JournalTexts.h"

#include <QString>
#include <QStringList>

namespace MyConsts {

QString sProgramTitle();     // main window caption start, About program line
QString sNewFileBase();      // base of new journal file names: Новый.txt, Новый1.txt, ...
QString sFileMenu();         // File menu caption
QString sActNew();           // New command caption and hint
QString sActOpen();          // Open command caption and hint
QString sActSave();          // Save command caption and hint
QString sActSaveAs();        // Save As command caption and hint
QString sActPrint();         // Print command caption and hint
QString sActSavePdf();       // "save as PDF" command caption and hint
QString sActPrintPreview();  // print preview command caption and hint
QString sPdfFilesFilter();   // the PDF save dialog's filter, "description (*.pdf)"
QString sSaveQuestion();     // unsaved-changes question, at closing and at New
QString sDataChanged();      // caption of the unsaved-changes question at closing
QString sDeviceNumberHint(); // hint of the device number field
QString sStartPolling();     // Start/Stop button hint while polling is off
QString sStopPolling();      // Start/Stop button hint while polling runs
QString sAbout();            // About menu item and About window caption
QString sCompanyName();      // maker's name, About window
QString sCompanyPhone();     // maker's telephone and fax line, About window
QString sPortOpenError();    // the serial port cannot be opened
QString sErrorCaption();     // caption of that message
// The second line of that message: the cause and what to do. %1 is the port.
QString sPortMissing();        // no such device
QString sPortNoPermission();   // %2 the user, who is not in the dialout group
QString sPortBusy();           // held by a program that could not be found
QString sPortBusyBy();         // %2 the program, %3 its process id
QString sPortBusyLeftBehind(); // a pseudo-terminal's exclusive mode that nobody in sight holds
QString sPortOtherError();     // %2 the operating system's text
// The port menu: the mark of the configured port when it is not present, the
// item that lets the operator type a port, and that dialog's caption and label.
QString sPortAbsent();
QString sOtherPort();
QString sOtherPortCaption();
QString sOtherPortLabel();
// The result log: the warning while results are not secured against a crash
// (%1 the log file, %2 the cause), the report of a recovery at start-up (%1
// results, %2 labels) with its caption and what else it may have to say,
// and a log that cannot be read at all.
QString sLogNotSecured();
QString sRecovered();
QString sRecoveryCaption();
QString sRecoveredAsLogBegan(); // %1 the journal file, %2 what became of it, %3 the new name
QString sJournalFileMissing();
QString sJournalFileChanged();
QString sJournalFileUnreadable();   // %1 the cause
QString sRecoveredIntoNewJournal(); // %1 the new name
QString sLabelsUnplaced();          // %1 how many
QString sLogRecordsUnreadable();    // %1 how many
QString sLogCopiedAs();             // %1 the copy
QString sEmergencyJournal();        // %1 where the journal went at the last orderly end
QString sLogUnreadable();           // %1 log, %2 cause, %3 where it was set aside
QString sLogNotSetAside();          // why a log that could not be moved away is not written
QString sSettingsUnreadable();      // the settings file exists but cannot be read: %1 its path, %2 the cause
// Settings that cannot be written: the file (%1) with the disk's cause (%2),
// or a value (%2) the file cannot hold, with why (%3).
QString sSettingsNotWritten();
QString sSettingsValueNotWritten();
// Why the settings file cannot hold a value (a journal's name, the port).
QString sSettingsNotInWindows1251(); // %1 the characters Windows-1251 lacks
QString sSettingsLineBreak();
QString sSettingsTooLong(); // %1 the most characters a value may have
// After Save As or Open: the journal's name (%1) cannot be remembered in the
// settings file (%2) because %3 (one of the reasons above), with its caption.
QString sJournalNotRemembered();
QString sJournalNotRememberedCaption();
// A file that is plainly not a journal: the questions before Open reads it
// and before a save writes over it (%1 the file, %2 why), their caption, and
// the reasons.
QString sNotJournalOpen();
QString sNotJournalSave();
QString sNotJournalCaption();
QString sNotJournalUtf16();
QString sNotJournalUtf8();
QString sNotJournalNulBytes();
QString sNotJournalSemicolons();
// A second start in a settings folder whose program does not answer: %1 the folder.
QString sAlreadyRunning();
// The link's status bar: the port with its description and the
// device number, the link's states (%1 a duration or a cause), and the
// journal's count of results with the time of the last one.
QString sLinkPort();          // %1 port, %2 device number
QString sLinkPortDescribed(); // %1 port, %2 description, %3 device number
QString sLinkNoPort();        // no port chosen, %1 device number
QString sLinkOff();
QString sLinkCannotStart(); // %1 the reason
QString sLinkReasonDevice0();
QString sLinkAdviceDevice0();
QString sLinkReasonNoPort();
QString sLinkAdviceNoPort();
QString sLinkReasonPortAbsent(); // %1 port
QString sLinkAdvicePortAbsent();
QString sLinkOpening();
QString sLinkWaiting();    // %1 time left on the 125 s gate
QString sLinkAckMissing(); // added to the waiting text while the acknowledgement is not confirmed
QString sLinkFetching();
QString sLinkNoAnswer(); // %1 for how long
QString sLinkAdviceNoAnswer();
QString sLinkRefused();       // %1 the cause in short, %2 for how long
QString sLinkAdviceRefused(); // %1 the cause at length
// Causes of refused replies, in short and at length.
QString sLinkRefusedEcho();
QString sLinkRefusedEchoLong();
QString sLinkRefusedLength();
QString sLinkRefusedLengthLong();
QString sLinkRefusedOwnRequest();
QString sLinkRefusedOwnRequestLong();
QString sLinkRefusedNoise();
QString sLinkRefusedNoiseLong();
QString sLinkPortLost(); // %1 for how long
QString sLinkAdvicePortLost();
QString sLinkSeconds();     // %1 seconds
QString sLinkMinutes();     // %1 minutes, %2 seconds
QString sLinkResults();     // %1 results in the journal
QString sLinkResultsLast(); // %1 results in the journal, %2 time of the last accepted result
QString sLinkCounters();    // %1 fetches, %2 refused, %3 acknowledged, %4 unacknowledged, %5 reconnections
QString sLinkPortError();   // %1 the port's last error
// The status bar's statistics of the selected numbers: %1 count, %2 mean, %3 minimum, %4 maximum.
QString sSelectionStatistics();
// The summary of the journal's rows (menu item, window, figures, buttons).
QString sSummaryMenu();
QString sSummaryCaption();     // %1 the journal's name
QString sSummaryOfSelection(); // %1 rows, the selected ones
QString sSummaryOfJournal();   // %1 rows, the whole journal
QString sSummaryFigure();      // caption of the label column in the summary
QString sSummaryCount();
QString sSummaryMean();
QString sSummaryMinimum();
QString sSummaryMaximum();
QString sSummaryDeviation(); // the standard deviation; short, as the printed label column is narrow
QString sSummaryOutsideNorm();
QString sSummaryPrint();
QString sSummaryPdf();
QString sSummaryCopy();
QString sSummaryClose();
QString sSummaryFileWord(); // in the PDF file's name: "day — сводка.pdf"

// Quality norms: the menu and its item, the dialog (caption, the heads of
// the bound columns, the ready set and its button, clearing), why a bound
// typed there is refused (%1 the column, %2 the text), the mark's
// explanation, the status bar's counts (%1 how many), and the norms file:
// a line not understood (%1 the file, %2 line number, %3 the line, %4 why),
// the reasons, a file that cannot be read or written (%1 the file, %2 the
// cause) and the caption of those boxes.
QString sServiceMenu();
QString sActNorms();
QString sNormsCaption();
QString sNormsIntro();
QString sNormsColumn();
QString sNormsLower();
QString sNormsUpper();
QString sRawCowMilkSet();
QString sNormsApplySet();
QString sNormsClear();
QString sNormsBadBound();
QString sNormsLowerAboveUpper(); // %1 the column
QString sNormsMarkHint();
QString sNormsRowsOutside();
QString sUndecodedValues();
QString sNormsFileHeader();
QString sNormsFileBadLine();
QString sNormsFileNoColumn(); // %1 the column's name as written
QString sNormsFileNoRelation();
QString sNormsFileBadNumber(); // %1 the number as written
QString sNormsFileTwice();     // %1 the column
QString sNormsFileNotUtf8();   // %1 the file
QString sNormsFileUnreadable();
QString sNormsFileNotWritten();
QString sNormsFileCaption();

inline constexpr int kColumnCount = JournalTexts::ColumnCount;
// Journal column captions, column 0 to 16.
QStringList sColumnCaptions();
QString sColumnCaption(int column); // empty outside 0..16

// The texts of this table that the journal shows (captions, program title,
// base of new journal names), as the journal takes them.
JournalTexts sJournalTexts();

} // namespace MyConsts
