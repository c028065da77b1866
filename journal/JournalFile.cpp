#include "JournalFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr int MaxTabs = JournalRows::FieldCount - 1;
// Far beyond any real journal (a year is about 10 MB); keeps a device that
// never ends, or a file that is not a journal, from exhausting memory.
constexpr qsizetype MaxJournalBytes = qsizetype(1) << 30;

QString Quoted(const QString& fileName)
{
    return u'"' + QDir::toNativeSeparators(fileName) + u'"';
}

[[noreturn]] void Fail(const QString& text)
{
    throw EJournalFile(text.toStdString());
}

// TABs in [p, end), counted up to limit.
int CountTabs(const char* p, const char* end, int limit)
{
    int tabs = 0;
    for (; tabs < limit && p != end; ++tabs) {
        p = static_cast<const char*>(std::memchr(p, '\t', size_t(end - p)));
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
    const std::uint64_t t = ~(((w & Low7) + Low7) | w | Low7);  // 0x80 at each zero byte
    return int(((t >> 7) * 0x0101010101010101ULL) >> 56);      // sums the flags, no popcnt needed
}

// True when the line needs no change: no CR, at most 15 TABs. Looks at 8
// bytes per step; a journal line is about 100 bytes.
bool IsCleanLine(const char* line, qsizetype length)
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
qsizetype NormaliseLine(char* line, qsizetype length)
{
    if (length > 0 && line[length - 1] == '\r')
        --length;
    if (IsCleanLine(line, length))
        return length;
    const char* const end = line + length;
    char* out = line;
    int seen = 0;
    for (const char* in = line; in != end; ++in) {
        if (*in == '\r')
            continue;
        if (*in == '\t' && seen++ >= MaxTabs)
            continue;
        *out++ = *in;
    }
    return out - line;
}

qsizetype CountLines(const char* p, const char* end)
{
    qsizetype lines = 0;
    while (p != end && (p = static_cast<const char*>(std::memchr(p, '\n', size_t(end - p))))) {
        ++lines;
        ++p;
    }
    return lines;
}

}  // namespace

JournalRows ParseJournal(QByteArray&& bytes)
{
    JournalRows rows;
    const qsizetype size = bytes.size();
    rows.Reserve(CountLines(bytes.cbegin(), bytes.cend()) + 2);
    char* const base = size > 0 ? rows.AdoptBlock(std::move(bytes)) : nullptr;
    qsizetype pos = 0;
    while (pos < size) {
        char* line = base + pos;
        const char* lf = static_cast<const char*>(std::memchr(line, '\n', size_t(size - pos)));
        const qsizetype end = lf ? lf - base : size;
        rows.AppendInBlock(line, NormaliseLine(line, end - pos));
        pos = end + 1;
    }
    if (rows.IsEmpty() || rows.HasResult(rows.Count() - 1))
        rows.AppendEmpty();
    return rows;
}

JournalRows ReadJournal(QIODevice& device)
{
    // One buffer of the file's size, read in place: the bytes become the
    // rows' storage, so loading needs little more memory than the file.
    QByteArray bytes;
    qsizetype filled = 0;
    const qint64 expected = device.isSequential() ? 0 : std::max<qint64>(0, device.size() - device.pos());
    const auto tooLarge = [] {
        Fail(QStringLiteral("The file is too large for a journal (more than %1 bytes)").arg(MaxJournalBytes));
    };
    if (expected > MaxJournalBytes)
        tooLarge();
    bytes.resize(qsizetype(expected) + 1);  // +1 sees a file that has grown
    for (;;) {
        if (filled > MaxJournalBytes)
            tooLarge();
        if (filled == bytes.size())
            bytes.resize(std::max<qsizetype>(bytes.size() * 2, 64 * 1024));
        const qint64 n = device.read(bytes.data() + filled, bytes.size() - filled);
        if (n < 0)
            Fail(QStringLiteral("Cannot read the journal: %1").arg(device.errorString()));
        if (n == 0) {
            if (!device.isSequential() || device.atEnd() || !device.waitForReadyRead(30000))
                break;
            continue;
        }
        filled += qsizetype(n);
    }
    bytes.resize(filled);
    return ParseJournal(std::move(bytes));
}

JournalRows ReadJournalFile(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (!info.exists()) {
        JournalRows empty;
        empty.AppendEmpty();
        return empty;
    }
    if (info.isDir())
        Fail(QStringLiteral("Cannot read the journal %1: it is a folder").arg(Quoted(fileName)));
    // Pipes and devices could block or never end.
    if (!info.isFile())
        Fail(QStringLiteral("Cannot read the journal %1: it is not a regular file").arg(Quoted(fileName)));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        Fail(QStringLiteral("Cannot open the journal %1: %2").arg(Quoted(fileName), file.errorString()));
    try {
        return ReadJournal(file);
    } catch (const EJournalFile& e) {
        Fail(QStringLiteral("%1 (%2)").arg(QString::fromUtf8(e.what()), Quoted(fileName)));
    }
}

void WriteJournal(const JournalRows& rows, QIODevice& device)
{
    constexpr qsizetype FlushAt = 1024 * 1024;
    QByteArray out;
    out.reserve(FlushAt + 4096);
    const auto flush = [&] {
        if (device.write(out) != out.size())
            Fail(QStringLiteral("Cannot write the journal: %1").arg(device.errorString()));
        out.clear();
    };
    for (qsizetype i = 0; i < rows.Count(); ++i) {
        const QByteArrayView line = rows.Line(i);
        out.append(line);
        out.append(MaxTabs - CountTabs(line.begin(), line.end(), MaxTabs), '\t');
        out.append("\r\n", 2);
        if (out.size() >= FlushAt)
            flush();
    }
    flush();
}

void SaveJournalFile(const JournalRows& rows, const QString& fileName)
{
    QSaveFile file(fileName);
    const auto fail = [&] {
        Fail(QStringLiteral("Cannot write the journal %1: %2").arg(Quoted(fileName), file.errorString()));
    };
    if (!file.open(QIODevice::WriteOnly))
        fail();
    try {
        WriteJournal(rows, file);
    } catch (const EJournalFile&) {
        fail();
    }
    if (!file.commit())
        fail();
}
