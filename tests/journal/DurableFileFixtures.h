#pragma once
// What the storage suite's files share: a file's bytes read or put without
// the code under test, and a durable write of given bytes.

#include "DurableFile.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

inline QByteArray Read(const QString &Path)
{
    QFile file(Path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline void Put(const QString &Path, const QByteArray &Bytes)
{
    QFile file(Path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << Path.toStdString();
    ASSERT_EQ(file.write(Bytes), Bytes.size());
}

inline DurableFile::TWritten Write(const QString &Path, const QByteArray &Bytes,
                                   const DurableFile::TOptions &Options = {})
{
    return DurableFile::WriteFile(
        Path, [&Bytes](const DurableFile::TWrite &write) { write(Bytes); }, Options);
}
