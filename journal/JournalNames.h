#pragma once
// File names of journals: name part, folder part, window title and the
// name that New gives a fresh journal.

#include <QString>

// Folder separators: '/', and for names brought from Windows also '\' and
// the drive colon.
// "C:\data\a.txt" -> "a.txt"; "dir/b.txt" -> "b.txt"; "c.txt" -> "c.txt".
QString JournalNamePart(const QString& fileName);
// Everything up to and including the last separator, or empty.
QString JournalFolderPart(const QString& fileName);

// "Регистрация измерений молока(" + name part + ")".
QString JournalTitle(const QString& fileName);

// The first of <folder of currentFileName>Новый1.txt, Новый2.txt, ... for
// which nothing exists on disk. Creates nothing.
QString NextNewJournalName(const QString& currentFileName);
