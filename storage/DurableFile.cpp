// The durable write's shared part: the temporary file's name. The write
// itself is in the platform's file (DurableFilePosix.cpp, DurableFileWin32.cpp).

#include "DurableFile.h"

#include "DurableFilePlatform.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

namespace DurableFile {

QString TempFileName(const QString &FileName)
{
    const QFileInfo info(FileName);
    const QString name = u'.' + info.fileName() + QStringLiteral(".nivara-save");
    if (NameFits(info.absolutePath(), name))
        return info.dir().filePath(name);
    // A name near the limit leaves no room for the additions. Falling back
    // to writing in place would put the previous copy at risk, so such a
    // file gets a short name of its own, the same at every write.
    const QByteArray hash = QCryptographicHash::hash(info.fileName().toUtf8(), QCryptographicHash::Sha256);
    return info.dir().filePath(QStringLiteral(".nivara-save-") + QString::fromLatin1(hash.toHex().left(16)));
}

QByteArray Collect(const TProduce &Produce)
{
    QByteArray content;
    Produce([&content](QByteArrayView piece) { content.append(piece); });
    return content;
}

} // namespace DurableFile
