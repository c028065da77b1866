#pragma once

// The norms file "NivaraNorms.txt" beside the settings file (never inside
// Nivara.Ini, which keeps the original program's three settings): UTF-8
// text that a person can read and edit, a comment header, then one bound a
// line:
//
//     Жир >= 2,8
//     Т.замерзания <= -0,52
//
// the column by its caption, ">=" (not below) or "<=" (not above; "≥" and
// "≤" read too), a number with a comma or a point. Lines starting with '#'
// or ';' and empty lines are comments. Reading is tolerant: a line not
// understood is left out with a message in Russian, and every other line
// still counts. Written durably (DurableFile), so a failure leaves the
// previous file as it was. Qt Core only.

#include "QualityNorms.h"

#include <QString>
#include <QStringList>

struct TNormsFileContents {
    TQualityNorms Norms;
    // One message per line left out, or for a file that could not be read.
    QStringList Problems;
};

// The norms file beside the settings file IniFileName.
QString NormsFileName(const QString &IniFileName);

// What a file's text says; FileName goes into the messages.
TNormsFileContents ParseNormsText(const QByteArray &Bytes, const QString &FileName);
// A missing file: no norms, no problems.
TNormsFileContents ReadNormsFile(const QString &FileName);

// The file's text for the norms, bounds written with a comma.
QByteArray NormsText(const TQualityNorms &Norms);
// Writes the file durably. Throws std::runtime_error with the Russian
// message (sNormsFileNotWritten) when it cannot.
void WriteNormsFile(const QString &FileName, const TQualityNorms &Norms);
