#pragma once
// What the durable write's shared part asks of the platform's side, and
// what it gives that side (inside storage only).

#include "DurableFile.h"

#include <QByteArray>

namespace DurableFile {

// Whether Name fits the file system's limit for one name in Folder.
bool NameFits(const QString &Folder, const QString &Name);

// The whole content, for a write that must know its size before it touches
// the file.
QByteArray Collect(const TProduce &Produce);

} // namespace DurableFile
