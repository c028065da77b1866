#pragma once

// What one program per settings folder asks of the platform (its side is in
// a file of its own):
//
// The folder's one name, however a start spells it: through a link, with
// "..", and on Windows in another case or with the short 8.3 name of a folder
// ("C:\PROGRA~1\Nivara" for "C:\Program Files\Nivara"), as a shortcut may.
//
// The right to come to the front, which a later start hands the program it
// asks to bring its window forward. Windows lets only the program the
// operator has just started (the one in the foreground) take the
// foreground, and passes that on only when asked (AllowSetForegroundWindow);
// without it the running program's window would merely blink in the
// taskbar. POSIX desktops decide that by themselves.

#include <QString>

class QLocalSocket;

// Empty when the folder does not exist.
QString FolderIdentity(const QString &Folder);

// The process serving the other end of a connected local socket; 0 where
// the system does not tell.
qint64 LocalServerProcess(const QLocalSocket &Socket);

// Lets the process serving the other end of Socket bring its window to the
// front (Windows; nothing to do elsewhere).
void LendForeground(const QLocalSocket &Socket);
