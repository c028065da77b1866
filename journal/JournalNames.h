#pragma once
// File names of journals: name part, folder part, window title and the
// name that New gives a fresh journal.

#include <QString>

// Folder separators: '/', and for names brought from Windows also '\' and
// the drive colon.
// "C:\data\a.txt" -> "a.txt"; "dir/b.txt" -> "b.txt"; "c.txt" -> "c.txt".
QString JournalNamePart(const QString &fileName);
// Everything up to and including the last separator, or empty.
QString JournalFolderPart(const QString &fileName);

// programTitle + "(" + name part + ")", e.g.
// "Регистрация измерений молока(Новый.txt)".
QString JournalTitle(const QString &programTitle, const QString &fileName);

// The first of <folder of currentFileName><base>1.txt, <base>2.txt, ... for
// which nothing exists on disk (base "Новый": Новый1.txt, ...). Creates
// nothing.
QString NextNewJournalName(const QString &newJournalBase, const QString &currentFileName);
