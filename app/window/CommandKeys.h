#pragma once

// The keys of the main window: the platform's standard keys for the journal
// commands, shown beside their menu items (the hints stay the captions), one
// key that starts and stops polling; access keys in the menus; F10 and Alt to
// reach the menu bar.

#include <QKeySequence>
#include <QList>
#include <QString>

class QAction;
class QMenuBar;

// Starts and stops polling; no other command of the window uses it.
inline constexpr QKeyCombination kPollingKey = Qt::Key_F9;

// The platform's key for a standard command; a fixed one where the platform
// has none (Save As has none on some).
QKeySequence StandardKey(QKeySequence::StandardKey Key);

struct TCommandActions {
    QAction *New = nullptr;
    QAction *Open = nullptr;
    QAction *Save = nullptr;
    QAction *SaveAs = nullptr;
    QAction *Print = nullptr;
    QAction *Polling = nullptr;
};
void AssignCommandKeys(const TCommandActions &Actions);

// Marks an access key in each text: the first letter of a word not taken by
// an earlier one, else the first free letter, else none. The words stay as
// they are; only the "&" is added.
QStringList WithAccessKeys(const QStringList &Texts);
void AddAccessKeys(const QList<QAction *> &Actions);

// F10 opens the first menu of the bar; Alt pressed and released alone
// highlights the bar, as on the platforms the operators come from.
void ReachMenuBarByKeys(QMenuBar *MenuBar);
