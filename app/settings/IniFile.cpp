#include "IniFile.h"

#include <limits>

namespace {

int digitValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// Digits only (no sign), in the given base, as long as the magnitude stays
// within `limit`.
std::optional<qint64> parseMagnitude(QStringView digits, int base, qint64 limit)
{
    if (digits.isEmpty())
        return std::nullopt;
    qint64 result = 0;
    for (QChar c : digits) {
        const int digit = digitValue(c);
        if (digit < 0 || digit >= base)
            return std::nullopt;
        result = result * base + digit;
        if (result > limit)
            return std::nullopt;
    }
    return result;
}

} // namespace

std::optional<int> ProfileTextToInt(QStringView text)
{
    constexpr qint64 maxInt = std::numeric_limits<int>::max();
    const bool cPrefix = text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X');
    if (cPrefix || text.startsWith(u'$')) {
        const auto value = parseMagnitude(text.sliced(cPrefix ? 2 : 1), 16, maxInt);
        return value ? std::optional<int>(static_cast<int>(*value)) : std::nullopt;
    }

    const bool negative = text.startsWith(u'-');
    if (negative || text.startsWith(u'+'))
        text = text.sliced(1);
    const auto magnitude = parseMagnitude(text, 10, negative ? maxInt + 1 : maxInt);
    if (!magnitude)
        return std::nullopt;
    return static_cast<int>(negative ? -*magnitude : *magnitude);
}

TIniPlus::TIniPlus(QString fileName) : FFileName(std::move(fileName)) {}

QString TIniPlus::ReadProblem() const
{
    return ProfileFile::ReadProblem(FFileName);
}

QString TIniPlus::ReadString(const QString &section, const QString &ident, const QString &defaultValue) const
{
    return ProfileFile::ReadValue(FFileName, section, ident).value_or(defaultValue);
}

int TIniPlus::ReadInteger(const QString &section, const QString &ident, int defaultValue) const
{
    const auto text = ProfileFile::ReadValue(FFileName, section, ident);
    if (!text)
        return defaultValue;
    return ProfileTextToInt(*text).value_or(defaultValue);
}

void TIniPlus::WriteString(const QString &section, const QString &ident, const QString &value)
{
    ProfileFile::WriteValue(FFileName, section, ident, value);
}

void TIniPlus::WriteInteger(const QString &section, const QString &ident, int value)
{
    WriteString(section, ident, QString::number(value));
}
