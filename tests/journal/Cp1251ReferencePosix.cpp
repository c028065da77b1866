#include "Cp1251Reference.h"

#include <QStringDecoder>

std::optional<QString> ReferenceCp1251(char Byte)
{
    QStringDecoder decoder("windows-1251");
    if (!decoder.isValid())
        return std::nullopt;
    return decoder.decode(QByteArrayView(&Byte, 1));
}
