#pragma once

// What the operator is told about settings that cannot be written: the
// settings file Nivara.Ini is Windows-1251 text, so a journal's name with
// characters that code page lacks cannot be remembered in it, and the next
// start would not open that journal.

#include "FormDialogs.h"
#include "ProfileFile.h"

#include <QString>

class QWidget;

// Why the settings file cannot hold the value, in Russian; empty when it can.
QString SettingsValueFaultText(const QString &Value);

// The message for a write of the settings file that failed, in Russian.
QString SettingsWriteErrorText(const EIniFileException &Error);

// Once the journal has a new name (Save As, Open): says so when the settings
// file cannot remember it, before the operator relies on the next start.
void TellIfJournalNameNotRemembered(IFormDialogs &Dialogs, QWidget *Parent, const QString &IniFileName,
                                    const QString &JournalFileName);
