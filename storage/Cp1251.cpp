#include "Cp1251.h"

#include <QHash>

#include <array>

namespace Cp1251 {
namespace {

// Bytes 0x80 to 0xBF of the code page; 0x00 to 0x7F are ASCII and 0xC0 to
// 0xFF the letters А to я in order. The table is the program's own: Qt
// takes code pages other than Unicode's from ICU, which Qt for Windows goes
// without, and a journal must read the same everywhere. The one byte
// Windows-1251 leaves undefined, 0x98, is the C1 control of the same number,
// so that it too survives a decode and encode.
constexpr std::array<char16_t, 64> kHighBytes = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

struct Table {
    std::array<char16_t, 256> toUnicode{};
    QHash<char16_t, char> fromUnicode;

    Table()
    {
        for (int b = 0; b < 256; ++b) {
            const char16_t ch = b < 0x80   ? char16_t(b)
                                : b < 0xC0 ? kHighBytes[size_t(b - 0x80)]
                                           : char16_t(0x0410 + (b - 0xC0));
            toUnicode[size_t(b)] = ch;
            fromUnicode.insert(ch, char(b));
        }
    }
};

const Table &table()
{
    static const Table t;
    return t;
}

} // namespace

QString Decode(QByteArrayView bytes)
{
    const Table &t = table();
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    for (char c : bytes)
        *dst++ = t.toUnicode[static_cast<unsigned char>(c)];
    return out;
}

namespace {

// Appends the bytes of text; a character the code page cannot hold is
// handed to unmappable, which returns false to stop the encoding.
template <typename Unmappable>
bool EncodeInto(QByteArray &out, QStringView text, Unmappable unmappable)
{
    const Table &t = table();
    out.reserve(out.size() + text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i].unicode();
        if (ch < 0x80) {
            out.append(char(ch));
            continue;
        }
        const auto it = t.fromUnicode.constFind(ch);
        if (it != t.fromUnicode.constEnd()) {
            out.append(*it);
            continue;
        }
        if (!unmappable(out))
            return false;
        if (QChar::isHighSurrogate(ch) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
    }
    return true;
}

} // namespace

QByteArray Encode(QStringView text)
{
    QByteArray out;
    EncodeInto(out, text, [](QByteArray &bytes) {
        bytes.append('?');
        return true;
    });
    return out;
}

std::optional<QByteArray> EncodeStrict(QStringView text)
{
    QByteArray out;
    if (!EncodeInto(out, text, [](QByteArray &) { return false; }))
        return std::nullopt;
    return out;
}

} // namespace Cp1251
