#pragma once
// Writing a whole file so that the data are on the disk when the call
// returns and a failure never costs the previous content.
//
// The new content goes into a temporary file beside the old one, is flushed
// to the disk (fdatasync; FlushFileBuffers on Windows) and then renamed over
// it in one step (rename; MoveFileExW with write-through on Windows). A
// folder that lets the user change its files but not create new ones (a
// shared station folder, a program folder with a writable settings file)
// refuses the temporary file; there the existing file is written in place
// instead, once its new size is known to fit on the disk. The platform's side
// is in a file of its own.

#include <QByteArrayView>
#include <QString>

#include <functional>

namespace DurableFile {

// Receives the content piece by piece; throws EFileError.
using TWrite = std::function<void(QByteArrayView)>;
// Produces the content through the TWrite it is given.
using TProduce = std::function<void(const TWrite &)>;
// Asked before the temporary file is created: a system error number
// (errno; GetLastError() on Windows) refuses the creation with that error, 0
// lets it go on. Tests refuse creation where permissions would not (root
// ignores permission bits, Wine ignores access control lists).
using TRefuseTemp = std::function<int(const QString &TempFileName)>;

struct TOptions {
    TRefuseTemp RefuseTemp; // empty: the system alone decides
};

// The name of the temporary file a write of FileName goes through: in the
// same folder (so the rename stays on one file system), a dot name, and always
// the same for one file, so that what a write killed before its rename left
// behind is recognised and removed by the next write of that file. A name
// too long for the additions (near the file system's limit of 255 bytes, or
// of 255 UTF-16 characters on Windows) gets a short one made from a hash of
// it.
QString TempFileName(const QString &FileName);

// Makes a name just created or renamed in Folder survive a power cut as
// well as the file's bytes. A folder that cannot be opened or synced costs
// only that. Nothing to do on Windows: see DurableFileWin32.cpp.
void SyncFolder(const QString &Folder);

enum class TWritten { Replaced, InPlace };

// Writes FileName with what Produce gives. An existing file keeps its
// permission bits (on Windows its attributes); a symbolic link is followed
// and the file it names is written; a device or a pipe is written to. A file
// the user may not change (a read-only one) is refused, not replaced.
// Throws EFileError (and passes on what Produce throws); the previous file
// then stays as it was and no temporary file is left. (Only an in-place write that the disk fails after
// it has begun, an I/O error, can leave the file part new, part old.)
TWritten WriteFile(const QString &FileName, const TProduce &Produce, const TOptions &Options = {});

} // namespace DurableFile
