// errno, as a POSIX open of a tty reports it.

#include "PortOpenFailure.h"

#include <cerrno>
#include <system_error>

TPortFailureKind ClassifyOpenError(int OsError)
{
    switch (OsError) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR: return TPortFailureKind::NoDevice;
    case EACCES:
    case EPERM: return TPortFailureKind::NoPermission;
    case EBUSY:
    case EWOULDBLOCK: return TPortFailureKind::Busy;
    default: return TPortFailureKind::Other;
    }
}

std::string OsErrorText(int OsError)
{
    return std::generic_category().message(OsError);
}
