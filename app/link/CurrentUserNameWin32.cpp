#include "PortOpenMessage.h"

#include <windows.h>

QString CurrentUserName()
{
    // The logon name, in UTF-16: a Cyrillic account name stays whole.
    wchar_t name[257] = {};
    DWORD size = sizeof name / sizeof name[0];
    if (::GetUserNameW(name, &size) && size > 0)
        return QString::fromWCharArray(name, int(size) - 1);
    return QStringLiteral("?");
}
