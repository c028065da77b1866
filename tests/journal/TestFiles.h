#pragma once
// Small helpers for tests that work with real files.

#include "Cp1251.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <stdexcept>
#include <string>

inline QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file " + path.toStdString());
}

// Windows-1251 bytes of a UTF-8 literal.
inline QByteArray Win1251(const char* utf8) { return Cp1251::Encode(QString::fromUtf8(utf8)); }

inline std::string Utf8(const QString& s) { return s.toStdString(); }
