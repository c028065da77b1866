#include "Cp1251.h"

#include <QHash>
#include <QStringDecoder>

#include <array>

namespace Cp1251 {
namespace {

struct Table {
    std::array<char16_t, 256> toUnicode{};
    QHash<char16_t, char> fromUnicode;

    Table()
    {
        // The code page itself comes from Qt; a byte its table leaves
        // undefined (0x98 in some) is mapped to the C1 control of the same
        // number, so it still survives a decode/encode round trip.
        QStringDecoder decoder("windows-1251");
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            char16_t ch = char16_t(b);
            if (decoder.isValid()) {
                const QString s = decoder.decode(QByteArrayView(&byte, 1));
                if (s.size() == 1 && s.at(0) != QChar::ReplacementCharacter)
                    ch = s.at(0).unicode();
            }
            if (fromUnicode.contains(ch))
                ch = char16_t(b); // keep the mapping one-to-one
            toUnicode[b] = ch;
            fromUnicode.insert(ch, byte);
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
