#pragma once
// Small helpers for tests that work with real files.

#include "Cp1251.h"
#include "JournalFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QString>

#include <csignal>
#include <stdexcept>
#include <string>
#include <sys/resource.h>

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

// Runs fn with the file size limit at bytes, which stands in for a disk that
// fills up (it works also for root): a write beyond it fails with EFBIG.
template <typename Fn>
void WithFileSizeLimit(rlim_t bytes, Fn fn)
{
    struct rlimit old {};
    if (getrlimit(RLIMIT_FSIZE, &old) != 0)
        throw std::runtime_error("getrlimit");
    struct rlimit small = old;
    small.rlim_cur = bytes;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (setrlimit(RLIMIT_FSIZE, &small) != 0)
        throw std::runtime_error("setrlimit");
    fn();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
}
