#include "Cp1251Reference.h"

#include <windows.h>

std::optional<QString> ReferenceCp1251(char Byte)
{
    wchar_t ch = 0;
    if (::MultiByteToWideChar(1251, MB_ERR_INVALID_CHARS, &Byte, 1, &ch, 1) != 1)
        return std::nullopt;
    return QString(QChar(ch));
}
