#include "ProfileFile.h"

#include "Cp1251.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

EIniFileException::EIniFileException(const QString &message)
    : std::runtime_error(message.toStdString())
{
}

namespace {

// Profile files are 8-bit text in the Windows ANSI code page of the
// program's Russian texts, Windows-1251: bytes are read one character each,
// and a name or value that the code page cannot hold is refused.

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

bool sameName(QByteArrayView stored, QStringView wanted)
{
    return QString::compare(Cp1251::Decode(stored), wanted, Qt::CaseInsensitive) == 0;
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
    qsizetype valueStart;  // offset of the value's first non-blank byte
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

QString valueFromRaw(QByteArrayView raw)
{
    QByteArrayView value = trimmed(raw);
    if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return Cp1251::Decode(value.first(std::min(value.size(), kProfileMaxValueLength)));
}

// A value that reading would change (blanks at either end, an enclosing pair
// of quotes) is stored in double quotes, so that it reads back unchanged.
QByteArray rawFromValue(QByteArrayView value)
{
    const bool needsQuotes =
        !value.isEmpty() &&
        (isBlank(value.front()) || isBlank(value.back()) ||
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

QString unableToWrite(const QString &path)
{
    return QStringLiteral("Unable to write to %1").arg(path);
}

}  // namespace

QString ProfileValueProblem(ProfilePart part, QStringView text)
{
    const QString what = partName(part);
    if (text.contains(u'\r') || text.contains(u'\n') || text.contains(QChar(0)))
        return QStringLiteral("the %1 contains a line break or a NUL character").arg(what);
    if (!Cp1251::EncodeStrict(text))
        return QStringLiteral("the %1 \"%2\" has characters that Windows-1251 cannot hold")
            .arg(what, text);
    if (part == ProfilePart::Value) {
        if (text.size() > kProfileMaxValueLength)
            return QStringLiteral("the value is longer than %1 characters")
                .arg(kProfileMaxValueLength);
        return {};
    }
    if (text.isEmpty())
        return QStringLiteral("the %1 is empty").arg(what);
    if (text.trimmed() != text)
        return QStringLiteral("the %1 \"%2\" has blanks at its ends").arg(what, text);
    if (part == ProfilePart::Section && text.contains(u']'))
        return QStringLiteral("the section name \"%1\" contains \"]\"").arg(text);
    if (part == ProfilePart::Key &&
        (text.contains(u'=') || text.startsWith(u'[') || text.startsWith(u';')))
        return QStringLiteral("the key name \"%1\" cannot stand in a key line").arg(text);
    return {};
}

ProfileDocument::ProfileDocument(const QByteArray &bytes)
{
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype newline = bytes.indexOf('\n', start);
        if (newline < 0) {
            FLines.push_back({bytes.sliced(start), {}});
            break;
        }
        qsizetype textEnd = newline;
        if (textEnd > start && bytes[textEnd - 1] == '\r')
            --textEnd;
        FLines.push_back(
            {bytes.sliced(start, textEnd - start), bytes.sliced(textEnd, newline + 1 - textEnd)});
        start = newline + 1;
    }
}

std::optional<ProfileDocument::SectionRange> ProfileDocument::findSection(QStringView section) const
{
    const auto count = static_cast<qsizetype>(FLines.size());
    for (qsizetype i = 0; i < count; ++i) {
        const auto name = sectionName(FLines[i].text);
        if (!name || !sameName(*name, section))
            continue;
        qsizetype end = i + 1;
        while (end < count && !sectionName(FLines[end].text))
            ++end;
        return SectionRange{i, end};
    }
    return std::nullopt;
}

std::optional<ProfileDocument::KeyLine> ProfileDocument::findKey(const SectionRange &range,
                                                                 QStringView key) const
{
    for (qsizetype i = range.header + 1; i < range.end; ++i) {
        const QByteArray &text = FLines[i].text;
        const auto pair = keyValue(text);
        if (pair && sameName(pair->key, key))
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
    return valueFromRaw(line->rawValue);
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
    for (const auto &[part, text] : {std::pair{ProfilePart::Section, section},
                                     std::pair{ProfilePart::Key, key},
                                     std::pair{ProfilePart::Value, QStringView(value)}}) {
        const QString problem = ProfileValueProblem(part, text);
        if (!problem.isEmpty())
            throw std::invalid_argument(problem.toStdString());
    }
    const QByteArray rawValue = rawFromValue(*Cp1251::EncodeStrict(value));
    const QByteArray lineEnd = lineEndForNewLines();

    const auto range = findSection(section);
    if (range) {
        if (const auto found = findKey(*range, key)) {
            if (valueFromRaw(found->rawValue) == value)
                return false;
            QByteArray &text = FLines[found->index].text;
            text = text.first(text.size() - found->rawValue.size()) + rawValue;
            return true;
        }
    }

    const QByteArray keyLine = *Cp1251::EncodeStrict(key) + '=' + rawValue;
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
        added.push_back({'[' + *Cp1251::EncodeStrict(section) + ']', lineEnd});
    added.push_back({keyLine, lineEnd});
    FLines.insert(FLines.begin() + insertAt, added.begin(), added.end());
    return true;
}

QByteArray ProfileDocument::toBytes() const
{
    QByteArray bytes;
    for (const Line &line : FLines)
        bytes += line.text + line.end;
    return bytes;
}

namespace ProfileFile {

std::optional<QString> ReadValue(const QString &path, QStringView section, QStringView key)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return ProfileDocument(bytes).value(section, key);
}

void WriteValue(const QString &path, QStringView section, QStringView key, const QString &value)
{
    const bool existed = QFileInfo::exists(path);
    QByteArray old;
    if (existed) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw EIniFileException(unableToWrite(path));
        old = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw EIniFileException(unableToWrite(path));
    }

    ProfileDocument document(old);
    try {
        if (!document.setValue(section, key, value) && existed)
            return;
    } catch (const std::invalid_argument &problem) {
        throw EIniFileException(unableToWrite(path) + QStringLiteral(": ") +
                                QString::fromUtf8(problem.what()));
    }

    QSaveFile file(path);
    const QByteArray bytes = document.toBytes();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EIniFileException(unableToWrite(path));
}

}  // namespace ProfileFile
