#pragma once
// Small helpers for tests that work with real files.

#include "Cp1251.h"
#include "JournalFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

inline QByteArray ReadBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file " + path.toStdString());
}

// Windows-1251 bytes of a UTF-8 literal.
inline QByteArray Win1251(const char *utf8)
{
    return Cp1251::Encode(QString::fromUtf8(utf8));
}

inline std::string Utf8(const QString &s)
{
    return s.toStdString();
}

// The bytes the program writes for the rows.
inline QByteArray Written(const JournalRows &rows)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WriteJournal(rows, buffer);
    return buffer.data();
}

// A day's journal of 2000 results and the entry row, saved into a folder
// of its own: large enough that a save takes many writes.
class JournalFileSave : public ::testing::Test {
protected:
    QTemporaryDir dir;
    JournalRows rows;

    void SetUp() override
    {
        for (int i = 0; i < 2000; ++i)
            rows.Append({QByteArrayView(Win1251("Проба")), "01.02.2024", "10:11:12", "3", "4,50", "8,25"});
        rows.AppendEmpty();
    }
};
