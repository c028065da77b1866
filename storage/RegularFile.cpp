#include "RegularFile.h"

std::optional<QByteArray> TRegularFileReader::ReadAll(const QString &FileName)
{
    TRegularFileReader file;
    if (!file.Open(FileName))
        return std::nullopt;
    QByteArray bytes;
    bytes.reserve(qsizetype(file.Size()));
    char buffer[16384];
    while (const qint64 n = file.Read(buffer, sizeof buffer))
        bytes.append(buffer, qsizetype(n));
    return bytes;
}

TRegularFileReader::~TRegularFileReader()
{
    Close();
}
