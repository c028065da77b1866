#pragma once
// What the settings file's tests share: the file's bytes and a folder of
// its own for each test.

#include "Cp1251.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

// Readable failure messages.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

inline QByteArray ansi(const QString &text)
{
    return Cp1251::Encode(text);
}

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

class SettingsFile : public ::testing::Test {
protected:
    QString path(const QString &name = QStringLiteral("Nivara.Ini")) const { return dir.filePath(name); }
    QTemporaryDir dir;
};
