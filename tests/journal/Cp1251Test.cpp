// Windows-1251: every byte is one character and back; what the code page
// cannot hold is replaced in journal cells and refused for settings values.

#include "Cp1251.h"
#include "Cp1251Reference.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

QString U(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

TEST(Cp1251, EveryByteRoundTripsThroughText)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    const QString text = Cp1251::Decode(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(Cp1251::Encode(text), all);
    EXPECT_EQ(Cp1251::Encode(U("Проба ё№")), QByteArray::fromHex("cff0eee1e020b8b9"));
    // What the code page cannot hold becomes one '?' per character.
    EXPECT_EQ(Cp1251::Encode(U("a😀b中")), "a?b?");
}

TEST(Cp1251, DefinedBytesAreTheSystemsCodePageAndTheUndefinedOneItsC1Control)
{
    for (int b = 0; b < 256; ++b) {
        const char byte = char(b);
        const QString decoded = Cp1251::Decode(QByteArrayView(&byte, 1));
        ASSERT_EQ(decoded.size(), 1);
        if (b == 0x98) {
            EXPECT_EQ(decoded.at(0).unicode(), 0x98);
        } else {
            const std::optional<QString> reference = ReferenceCp1251(byte);
            ASSERT_TRUE(reference.has_value()) << "the system has no Windows-1251";
            EXPECT_EQ(decoded, *reference) << "byte " << b;
        }
    }
    EXPECT_EQ(Cp1251::Decode("\xc0\xff\xa8\xb8\x88"), U("АяЁё€"));
}

TEST(Cp1251, StrictEncodingRefusesWhatTheCodePageCannotHold)
{
    struct Case {
        QString text;
        std::optional<QByteArray> bytes;
    };
    const Case cases[] = {
        {U(""), QByteArray()},
        {U("Новый1.txt"), QByteArray::fromHex("cdeee2fbe9312e747874")},
        {QString(QChar(0x98)), QByteArray("\x98")},
        {U("журнал-日本.txt"), std::nullopt},
        {U("a😀"), std::nullopt},
        {QString(QChar::ReplacementCharacter), std::nullopt},
    };
    for (const Case &c : cases)
        EXPECT_EQ(Cp1251::EncodeStrict(c.text), c.bytes) << c.text.toStdString();

    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    EXPECT_EQ(Cp1251::EncodeStrict(Cp1251::Decode(all)), all);
}

} // namespace
