#include "ProfileFile.h"

#include "Cp1251.h"
#include "DurableFile.h"
#include "FileError.h"
#include "RegularFile.h"

namespace {

// The framework's text, and the cause behind a colon when there is one.
QString unableToWrite(const QString &path, const QString &cause)
{
    const QString text = QStringLiteral("Unable to write to %1").arg(path);
    return cause.isEmpty() ? text : text + QStringLiteral(": ") + cause;
}

} // namespace

EIniFileException::EIniFileException(const QString &path, const QString &cause, std::optional<QString> refusedValue)
    : std::runtime_error(unableToWrite(path, cause).toStdString())
    , FPath(path)
    , FCause(cause)
    , FRefusedValue(std::move(refusedValue))
{
}

namespace {

// Profile files are 8-bit text in the Windows ANSI code page of the
// program's Russian texts, Windows-1251: bytes are read one character each,
// and a name or value that the code page cannot hold is refused. A file that
// begins with a UTF-8 byte-order mark (some editors write one) is UTF-8 text
// and stays so.

const QByteArray kUtf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

QByteArrayView trimmed(QByteArrayView text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    return text.sliced(first, last - first);
}

bool isQuote(char c)
{
    return c == '"' || c == '\'';
}

QString decode(QByteArrayView bytes, bool utf8)
{
    return utf8 ? QString::fromUtf8(bytes) : Cp1251::Decode(bytes);
}

std::optional<QByteArray> encode(QStringView text, bool utf8)
{
    return utf8 ? std::optional(text.toUtf8()) : Cp1251::EncodeStrict(text);
}

bool sameName(QByteArrayView stored, QStringView wanted, bool utf8)
{
    return QString::compare(decode(stored, utf8), wanted, Qt::CaseInsensitive) == 0;
}

// The name of a section header line, or nothing for any other line.
std::optional<QByteArrayView> sectionName(QByteArrayView line)
{
    const QByteArrayView text = trimmed(line);
    if (!text.startsWith('['))
        return std::nullopt;
    QByteArrayView name = text.sliced(1);
    const qsizetype close = name.indexOf(']');
    if (close >= 0)
        name = name.first(close);
    return trimmed(name);
}

struct KeyValue {
    QByteArrayView key;
    qsizetype valueStart; // offset of the value's first non-blank byte
};

std::optional<KeyValue> keyValue(QByteArrayView line)
{
    const QByteArrayView text = trimmed(line);
    if (text.startsWith(';') || text.startsWith('['))
        return std::nullopt;
    const qsizetype eq = line.indexOf('=');
    if (eq < 0)
        return std::nullopt;
    qsizetype valueStart = eq + 1;
    while (valueStart < line.size() && isBlank(line[valueStart]))
        ++valueStart;
    return KeyValue{trimmed(line.first(eq)), valueStart};
}

QString valueFromRaw(QByteArrayView raw, bool utf8)
{
    QByteArrayView value = trimmed(raw);
    if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return decode(value, utf8).left(kProfileMaxValueLength);
}

// A value that reading would change (blanks at either end, an enclosing pair
// of quotes) is stored in double quotes, so that it reads back unchanged.
QByteArray rawFromValue(QByteArrayView value)
{
    const bool needsQuotes =
        !value.isEmpty() && (isBlank(value.front()) || isBlank(value.back()) ||
                             (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front()));
    if (!needsQuotes)
        return value.toByteArray();
    return '"' + value.toByteArray() + '"';
}

QString partName(ProfilePart part)
{
    switch (part) {
    case ProfilePart::Section: return QStringLiteral("section name");
    case ProfilePart::Key: return QStringLiteral("key name");
    case ProfilePart::Value: return QStringLiteral("value");
    }
    return {};
}

struct FileBytes {
    std::optional<QByteArray> bytes; // nothing when the file is missing or unreadable
    QString problem;                 // why an existing file cannot be read
};

// The whole file. Only a regular file is read: a device could give bytes
// without end, a pipe could block the program.
FileBytes readFile(const QString &path)
{
    try {
        return {TRegularFileReader::ReadAll(path), {}};
    } catch (const EFileError &e) {
        return {std::nullopt, e.Cause()};
    }
}

} // namespace

ProfileValueFault ProfileValueFaultOf(QStringView value)
{
    if (value.contains(u'\r') || value.contains(u'\n') || value.contains(QChar(0)))
        return ProfileValueFault::LineBreak;
    if (!Cp1251::EncodeStrict(value))
        return ProfileValueFault::NotInWindows1251;
    if (value.size() > kProfileMaxValueLength)
        return ProfileValueFault::TooLong;
    return ProfileValueFault::None;
}

QString ProfileValueProblem(ProfilePart part, QStringView text)
{
    const QString what = partName(part);
    switch (ProfileValueFaultOf(text)) {
    case ProfileValueFault::LineBreak:
        return QStringLiteral("the %1 contains a line break or a NUL character").arg(what);
    case ProfileValueFault::NotInWindows1251:
        return QStringLiteral("the %1 \"%2\" has characters that Windows-1251 cannot hold").arg(what, text);
    case ProfileValueFault::TooLong:
        if (part == ProfilePart::Value)
            return QStringLiteral("the value is longer than %1 characters").arg(kProfileMaxValueLength);
        break;
    case ProfileValueFault::None: break;
    }
    if (part == ProfilePart::Value)
        return {};
    if (text.isEmpty())
        return QStringLiteral("the %1 is empty").arg(what);
    if (text.trimmed() != text)
        return QStringLiteral("the %1 \"%2\" has blanks at its ends").arg(what, text);
    if (part == ProfilePart::Section && text.contains(u']'))
        return QStringLiteral("the section name \"%1\" contains \"]\"").arg(text);
    if (part == ProfilePart::Key && (text.contains(u'=') || text.startsWith(u'[') || text.startsWith(u';')))
        return QStringLiteral("the key name \"%1\" cannot stand in a key line").arg(text);
    return {};
}

ProfileDocument::ProfileDocument(const QByteArray &bytes) : FUtf8(bytes.startsWith(kUtf8Bom))
{
    qsizetype start = FUtf8 ? kUtf8Bom.size() : 0;
    while (start < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', start);
        if (newline < 0) {
            FLines.push_back({bytes.sliced(start), {}});
            break;
        }
        qsizetype textEnd = newline;
        if (textEnd > start && bytes[textEnd - 1] == '\r')
            --textEnd;
        FLines.push_back({bytes.sliced(start, textEnd - start), bytes.sliced(textEnd, newline + 1 - textEnd)});
        start = newline + 1;
    }
}

std::optional<ProfileDocument::SectionRange> ProfileDocument::findSection(QStringView section) const
{
    const auto count = static_cast<qsizetype>(FLines.size());
    for (qsizetype i = 0; i < count; ++i) {
        const auto name = sectionName(FLines[i].text);
        if (!name || !sameName(*name, section, FUtf8))
            continue;
        qsizetype end = i + 1;
        while (end < count && !sectionName(FLines[end].text))
            ++end;
        return SectionRange{i, end};
    }
    return std::nullopt;
}

std::optional<ProfileDocument::KeyLine> ProfileDocument::findKey(const SectionRange &range, QStringView key) const
{
    for (qsizetype i = range.header + 1; i < range.end; ++i) {
        const QByteArray &text = FLines[i].text;
        const auto pair = keyValue(text);
        if (pair && sameName(pair->key, key, FUtf8))
            return KeyLine{i, text.sliced(pair->valueStart)};
    }
    return std::nullopt;
}

std::optional<QString> ProfileDocument::value(QStringView section, QStringView key) const
{
    const auto range = findSection(section);
    if (!range)
        return std::nullopt;
    const auto line = findKey(*range, key);
    if (!line)
        return std::nullopt;
    return valueFromRaw(line->rawValue, FUtf8);
}

QByteArray ProfileDocument::lineEndForNewLines() const
{
    for (const Line &line : FLines) {
        if (!line.end.isEmpty())
            return line.end;
    }
    return QByteArrayLiteral("\r\n");
}

bool ProfileDocument::setValue(QStringView section, QStringView key, const QString &value)
{
    for (const auto &[part, text] : {std::pair{ProfilePart::Section, section}, std::pair{ProfilePart::Key, key},
                                     std::pair{ProfilePart::Value, QStringView(value)}}) {
        const QString problem = ProfileValueProblem(part, text);
        if (!problem.isEmpty())
            throw std::invalid_argument(problem.toStdString());
    }
    const QByteArray rawValue = rawFromValue(*encode(value, FUtf8));
    const QByteArray lineEnd = lineEndForNewLines();

    const auto range = findSection(section);
    if (range) {
        if (const auto found = findKey(*range, key)) {
            if (valueFromRaw(found->rawValue, FUtf8) == value)
                return false;
            QByteArray &text = FLines[found->index].text;
            text = text.first(text.size() - found->rawValue.size()) + rawValue;
            return true;
        }
    }

    const QByteArray keyLine = *encode(key, FUtf8) + '=' + rawValue;
    qsizetype insertAt = static_cast<qsizetype>(FLines.size());
    if (range) {
        insertAt = range->header + 1;
        for (qsizetype i = range->end - 1; i > range->header; --i) {
            if (!trimmed(FLines[i].text).isEmpty()) {
                insertAt = i + 1;
                break;
            }
        }
    }
    // The line before the new ones may be the file's last, without a line end.
    if (insertAt > 0 && FLines[insertAt - 1].end.isEmpty())
        FLines[insertAt - 1].end = lineEnd;

    std::vector<Line> added;
    if (!range)
        added.push_back({'[' + *encode(section, FUtf8) + ']', lineEnd});
    added.push_back({keyLine, lineEnd});
    FLines.insert(FLines.begin() + insertAt, added.begin(), added.end());
    return true;
}

QByteArray ProfileDocument::toBytes() const
{
    QByteArray bytes = FUtf8 ? kUtf8Bom : QByteArray();
    for (const Line &line : FLines)
        bytes += line.text + line.end;
    return bytes;
}

namespace ProfileFile {

std::optional<QString> ReadValue(const QString &path, QStringView section, QStringView key)
{
    const FileBytes file = readFile(path);
    if (!file.bytes)
        return std::nullopt;
    return ProfileDocument(*file.bytes).value(section, key);
}

QString ReadProblem(const QString &path)
{
    return readFile(path).problem;
}

void WriteValue(const QString &path, QStringView section, QStringView key, const QString &value)
{
    const FileBytes old = readFile(path);
    if (!old.problem.isEmpty())
        throw EIniFileException(path, old.problem);
    const bool existed = old.bytes.has_value();

    ProfileDocument document(old.bytes.value_or(QByteArray()));
    try {
        if (!document.setValue(section, key, value) && existed)
            return;
    } catch (const std::invalid_argument &problem) {
        std::optional<QString> refused;
        if (ProfileValueFaultOf(value) != ProfileValueFault::None)
            refused = value;
        throw EIniFileException(path, QString::fromUtf8(problem.what()), refused);
    }

    const QByteArray bytes = document.toBytes();
    try {
        DurableFile::WriteFile(path, [&bytes](const DurableFile::TWrite &write) { write(bytes); });
    } catch (const EFileError &e) {
        throw EIniFileException(path, e.Cause());
    }
}

} // namespace ProfileFile
