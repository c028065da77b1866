#pragma once
// What the label cell offers while the operator types: the labels already in
// the journal, newest first, then the station's list of suppliers, a plain
// text file beside the settings with one label per line, kept in any editor.
// Qt Core only.

#include <QByteArray>
#include <QString>
#include <QStringList>

// The suppliers' file beside the settings file IniFileName.
QString SupplierListFileName(const QString &IniFileName);

// The labels of a suppliers' file: UTF-8 (with or without its byte-order
// mark, as today's editors write it) or else Windows-1251 (as older ones
// do); any line ending; blanks around a label dropped, empty lines skipped.
// A label the journal's code page cannot hold is left out: picked, it would
// be saved with question marks.
QStringList ReadSupplierList(const QByteArray &Bytes);

// The offer: the journal's labels from the last row up, then the suppliers
// in the file's order; each label once, letter case aside.
QStringList LabelCandidates(const QStringList &JournalLabels, const QStringList &Suppliers);
