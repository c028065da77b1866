#pragma once
// Windows-1251, the 8-bit code page of the journal files and of everything
// the journal stores. Cells are kept as these bytes so that a file read and
// written again comes back byte for byte.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace Cp1251 {

// Every one of the 256 bytes decodes to exactly one character, and encoding
// that character gives the byte back.
QString Decode(QByteArrayView bytes);

// Characters that the code page cannot hold become '?', one per character
// (a surrogate pair counts as one), so what the operator sees after editing
// is what the file will contain.
QByteArray Encode(QStringView text);

}  // namespace Cp1251
