#include "PortOpenMessage.h"

#include <pwd.h>
#include <unistd.h>

QString CurrentUserName()
{
    // The account, not the environment: sudo and su leave USER behind.
    if (const passwd *entry = ::getpwuid(::geteuid()))
        return QString::fromLocal8Bit(entry->pw_name);
    return QString::number(::geteuid());
}
