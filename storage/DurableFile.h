#pragma once
// Writing a whole file so that the data are on the disk when the call
// returns and a failure never costs the previous content.
//
// The new content goes into a temporary file beside the old one, is flushed
// to the disk (fdatasync) and then renamed over it. A folder that lets the
// user change its files but not create new ones (a shared station folder, a
// program folder with a writable settings file) refuses the temporary file;
// there the existing file is written in place instead, once its new size is
// known to fit on the disk.

#include <QByteArrayView>
#include <QString>

#include <functional>
#include <sys/types.h>

namespace DurableFile {

// Receives the content piece by piece; throws EFileError.
using TWrite = std::function<void(QByteArrayView)>;
// Produces the content through the TWrite it is given.
using TProduce = std::function<void(const TWrite &)>;
// Creates the temporary file exclusively and opens it for writing: a
// descriptor, or -1 with errno set. Tests put their own in place to refuse
// creation where the permission bits would not (root ignores them).
using TCreateTemp = std::function<int(const QByteArray &Path, mode_t Mode)>;

struct TOptions {
    TCreateTemp CreateTemp; // empty: open(2) with O_CREAT | O_EXCL
};

// The name of the temporary file a write of FileName goes through: in the
// same folder (so the rename stays on one file system), hidden, and always
// the same for one file, so that what a write killed before its rename left
// behind is recognised and removed by the next write of that file. A name
// too long for the additions (near the file system's limit of 255 bytes)
// gets a short one made from a hash of it.
QString TempFileName(const QString &FileName);

// Makes a name just created or renamed in Folder survive a power cut as
// well as the file's bytes. A folder that cannot be opened or synced costs
// only that.
void SyncFolder(const QString &Folder);

enum class TWritten { Replaced, InPlace };

// Writes FileName with what Produce gives. An existing file keeps its
// permission bits; a symbolic link is followed and the file it names is
// written; a device or a pipe is written to. Throws EFileError (and passes
// on what Produce throws); the previous file then stays as it was and no
// temporary file is left. (Only an in-place write that the disk fails after
// it has begun, an I/O error, can leave the file part new, part old.)
TWritten WriteFile(const QString &FileName, const TProduce &Produce, const TOptions &Options = {});

} // namespace DurableFile
