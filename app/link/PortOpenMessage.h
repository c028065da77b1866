#pragma once

// The second line of the port-open error: which port, why it could not be
// opened, and what the operator can do about it.

#include "PortOpenFailure.h"

#include <QString>

// UserName goes into the command that grants access to serial ports.
QString PortOpenFailureLine(const TPortOpenFailure &Failure, const QString &UserName);

// The login name of the user the program runs as.
QString CurrentUserName();
