#pragma once

// The program's own user-interface texts, in one table. Every text the code
// shows comes from here, except the printout's page label.

#include "JournalTexts.h"

#include <QString>
#include <QStringList>

namespace MyConsts {

QString sProgramTitle();        // main window caption start, About program line
QString sNewFileBase();         // base of new journal file names: Новый.txt, Новый1.txt, ...
QString sFileMenu();            // File menu caption
QString sActNew();              // New command caption and hint
QString sActOpen();             // Open command caption and hint
QString sActSave();             // Save command caption and hint
QString sActSaveAs();           // Save As command caption and hint
QString sActPrint();            // Print command caption and hint
QString sSaveQuestion();        // unsaved-changes question, at closing and at New
QString sDataChanged();         // caption of the unsaved-changes question at closing
QString sDeviceNumberHint();    // hint of the device number field
QString sStartPolling();        // Start/Stop button hint while polling is off
QString sStopPolling();         // Start/Stop button hint while polling runs
QString sAbout();               // About menu item and About window caption
QString sCompanyName();         // maker's name, About window
QString sCompanyPhone();        // maker's telephone and fax line, About window
QString sPortOpenError();       // the serial port cannot be opened
QString sErrorCaption();        // caption of that message
// The result log: the warning while results are not secured against a crash
// (%1 the log file, %2 the cause), the report of a recovery at start-up (%1
// results, %2 labels) with its caption, and the two ways a recovery fails.
QString sLogNotSecured();
QString sRecovered();
QString sRecoveryCaption();
QString sLogUnreadable();       // %1 log, %2 cause, %3 where it was set aside
QString sLogDoesNotFit();       // %1 journal, %2 cause, %3 where the log was set aside
QString sSettingsUnreadable();  // the settings file exists but cannot be read: %1 its path, %2 the cause
// The status bar's statistics of the selected numbers: %1 count, %2 mean, %3 minimum, %4 maximum.
QString sSelectionStatistics();

inline constexpr int kColumnCount = 17;
// Journal column captions, column 0 to 16.
QStringList sColumnCaptions();
QString sColumnCaption(int column);  // empty outside 0..16

// The texts of this table that the journal shows (captions, program title,
// base of new journal names), as the journal takes them.
JournalTexts sJournalTexts();

}  // namespace MyConsts
