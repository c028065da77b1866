#include "JournalFile.h"

#include "DurableFile.h"
#include "FileError.h"
#include "RegularFile.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

namespace {

constexpr int MaxTabs = JournalRows::FieldCount - 1;
// Far beyond any real journal (a year is about 10 MB); keeps a device that
// never ends, or a file that is not a journal, from exhausting memory.
constexpr qsizetype MaxJournalBytes = qsizetype(1) << 30;

QString Quoted(const QString &fileName)
{
    return u'"' + QDir::toNativeSeparators(fileName) + u'"';
}

[[noreturn]] void Fail(const QString &text)
{
    throw EJournalFile(text.toStdString());
}

// TABs in [p, end), counted up to limit.
int CountTabs(const char *p, const char *end, int limit)
{
    int tabs = 0;
    for (; tabs < limit && p != end; ++tabs) {
        p = static_cast<const char *>(std::memchr(p, '\t', size_t(end - p)));
        if (!p)
            break;
        ++p;
    }
    return tabs;
}

// Number of bytes equal to zero in a 64-bit word (exact, no carries).
inline int ZeroBytes(std::uint64_t w)
{
    constexpr std::uint64_t Low7 = 0x7F7F7F7F7F7F7F7FULL;
    const std::uint64_t t = ~(((w & Low7) + Low7) | w | Low7); // 0x80 at each zero byte
    return int(((t >> 7) * 0x0101010101010101ULL) >> 56);      // sums the flags, no popcnt needed
}

// True when the line needs no change: no CR, at most 15 TABs. Looks at 8
// bytes per step; a journal line is about 100 bytes.
bool IsCleanLine(const char *line, qsizetype length)
{
    constexpr std::uint64_t Tabs = 0x0909090909090909ULL;
    constexpr std::uint64_t Crs = 0x0D0D0D0D0D0D0D0DULL;
    int tabs = 0;
    int crs = 0;
    qsizetype i = 0;
    for (; i + 8 <= length; i += 8) {
        std::uint64_t w;
        std::memcpy(&w, line + i, 8);
        tabs += ZeroBytes(w ^ Tabs);
        crs += ZeroBytes(w ^ Crs);
    }
    for (; i < length; ++i) {
        tabs += line[i] == '\t';
        crs += line[i] == '\r';
    }
    return tabs <= MaxTabs && crs == 0;
}

// Drops every CR (the one before the LF belongs to the line end, any other
// is dropped as well) and the TABs behind the 15th, in place. Returns the
// new length. Lines as this program writes them pass unchanged.
qsizetype NormaliseLine(char *line, qsizetype length)
{
    if (length > 0 && line[length - 1] == '\r')
        --length;
    if (IsCleanLine(line, length))
        return length;
    const char *const end = line + length;
    char *out = line;
    int seen = 0;
    for (const char *in = line; in != end; ++in) {
        if (*in == '\r')
            continue;
        if (*in == '\t' && seen++ >= MaxTabs)
            continue;
        *out++ = *in;
    }
    return out - line;
}

qsizetype CountLines(const char *p, const char *end)
{
    qsizetype lines = 0;
    while (p != end && (p = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p))))) {
        ++lines;
        ++p;
    }
    return lines;
}

} // namespace

JournalRows ParseJournal(QByteArray &&bytes)
{
    JournalRows rows;
    const qsizetype size = bytes.size();
    rows.Reserve(CountLines(bytes.cbegin(), bytes.cend()) + 2);
    char *const base = size > 0 ? rows.AdoptBlock(std::move(bytes)) : nullptr;
    qsizetype pos = 0;
    while (pos < size) {
        char *line = base + pos;
        const char *lf = static_cast<const char *>(std::memchr(line, '\n', size_t(size - pos)));
        const qsizetype end = lf ? lf - base : size;
        rows.AppendInBlock(line, NormaliseLine(line, end - pos));
        pos = end + 1;
    }
    if (rows.IsEmpty() || rows.HasResult(rows.Count() - 1))
        rows.AppendEmpty();
    return rows;
}

namespace {

// Reads to the end through read (a count, 0 at the end, -1 on an error) into
// one buffer of the expected size: the bytes become the rows' storage, so
// loading needs little more memory than the file.
template <typename Read, typename ReadError>
QByteArray ReadAll(qint64 expected, Read read, ReadError readError, const QString &name = {})
{
    const auto tooLarge = [&name] {
        Fail(QStringLiteral("Файл %1слишком велик для журнала (больше %2 байт)")
                 .arg(name.isEmpty() ? QString() : name + u' ', QString::number(MaxJournalBytes)));
    };
    if (expected > MaxJournalBytes)
        tooLarge();
    QByteArray bytes;
    qsizetype filled = 0;
    bytes.resize(qsizetype(expected) + 1); // +1 sees a file that has grown
    for (;;) {
        if (filled > MaxJournalBytes)
            tooLarge();
        if (filled == bytes.size())
            bytes.resize(std::max<qsizetype>(bytes.size() * 2, 64 * 1024));
        const qint64 n = read(bytes.data() + filled, bytes.size() - filled);
        if (n < 0)
            readError();
        if (n == 0)
            break;
        filled += qsizetype(n);
    }
    bytes.resize(filled);
    return bytes;
}

} // namespace

JournalRows ReadJournal(QIODevice &device)
{
    const qint64 expected = device.isSequential() ? 0 : std::max<qint64>(0, device.size() - device.pos());
    const auto read = [&device](char *data, qint64 room) -> qint64 {
        for (;;) {
            const qint64 n = device.read(data, room);
            if (n != 0 || !device.isSequential() || device.atEnd() || !device.waitForReadyRead(30000))
                return n;
        }
    };
    const auto readError = [&device] {
        Fail(QStringLiteral("Не удалось прочитать журнал: %1").arg(device.errorString()));
    };
    return ParseJournal(ReadAll(expected, read, readError));
}

JournalRows ReadJournalFile(const QString &fileName)
{
    const auto fail = [&fileName](const QString &cause) {
        Fail(QStringLiteral("Не удалось прочитать журнал %1: %2").arg(Quoted(fileName), cause));
    };
    TRegularFileReader file;
    try {
        // Pipes and devices could block or never end: the reader refuses them.
        if (!file.Open(fileName)) {
            JournalRows empty;
            empty.AppendEmpty();
            return empty;
        }
    } catch (const EFileError &e) {
        fail(e.Cause());
    }
    QString cause;
    const auto read = [&file, &cause](char *data, qint64 room) -> qint64 {
        try {
            return file.Read(data, room);
        } catch (const EFileError &e) {
            cause = e.Cause();
            return -1;
        }
    };
    return ParseJournal(ReadAll(
        file.Size(), read, [&] { fail(cause); }, Quoted(fileName)));
}

namespace {

// Formats the rows into one reused buffer and hands it on a megabyte at a
// time: no allocation per piece, and few, large writes.
void FormatJournal(const JournalRows &rows, const DurableFile::TWrite &write)
{
    constexpr qsizetype Room = 1024 * 1024;
    constexpr qsizetype LineEnd = MaxTabs + 2; // the most a row adds to its text
    const std::unique_ptr<char[]> buffer(new char[Room]);
    char *const begin = buffer.get();
    char *out = begin;
    for (qsizetype i = 0; i < rows.Count(); ++i) {
        QByteArrayView line = rows.Line(i);
        const int tabs = MaxTabs - CountTabs(line.begin(), line.end(), MaxTabs);
        if (out - begin + line.size() + LineEnd > Room) {
            write(QByteArrayView(begin, out - begin));
            out = begin;
            if (line.size() + LineEnd > Room) { // a row longer than the buffer
                write(line);
                line = {};
            }
        }
        if (!line.isEmpty())
            std::memcpy(out, line.data(), size_t(line.size()));
        out += line.size();
        std::memset(out, '\t', size_t(tabs));
        out += tabs;
        *out++ = '\r';
        *out++ = '\n';
    }
    write(QByteArrayView(begin, out - begin));
}

} // namespace

void WriteJournal(const JournalRows &rows, QIODevice &device)
{
    FormatJournal(rows, [&device](QByteArrayView piece) {
        if (device.write(piece.data(), piece.size()) != piece.size())
            Fail(QStringLiteral("Не удалось записать журнал: %1").arg(device.errorString()));
    });
}

void SaveJournalFile(const JournalRows &rows, const QString &fileName, const DurableFile::TOptions &options)
{
    try {
        DurableFile::WriteFile(
            fileName, [&rows](const DurableFile::TWrite &write) { FormatJournal(rows, write); }, options);
    } catch (const EFileError &e) {
        Fail(QStringLiteral("Не удалось записать журнал %1: %2").arg(Quoted(fileName), e.Cause()));
    }
}
