#pragma once
// Windows-1251, the 8-bit code page of the journal files and of the
// settings file, and of everything the journal stores.
//
// The rule for every byte: each of the 256 bytes decodes to exactly one
// character, and encoding that character gives the byte back, so a file
// read and written again comes back byte for byte. The code page is the
// system's Windows-1251 (Qt's "windows-1251" on Linux), in a table of the
// program's own, so it is the same on every platform; the one byte
// Windows-1251 leaves undefined (0x98) is the C1 control of the same
// number, U+0098, in both directions.
//
// Characters the code page cannot hold are either replaced (journal cells:
// what the operator sees after editing is what the file will contain) or
// refused (settings values: a value that cannot be stored must not be
// written as another one).

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace Cp1251 {

QString Decode(QByteArrayView bytes);

// Characters that the code page cannot hold become '?', one per character
// (a surrogate pair counts as one).
QByteArray Encode(QStringView text);

// The bytes of text, or nothing when some character has no place in the
// code page.
std::optional<QByteArray> EncodeStrict(QStringView text);

} // namespace Cp1251
