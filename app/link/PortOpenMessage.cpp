#include "PortOpenMessage.h"

#include "ProgramTexts.h"

namespace {

// The name the operator chose, and the device it stands for when that differs
// (a Windows name such as COM1 on Linux, a by-id link). The name in Windows'
// device namespace (\\.\COM5 for COM5) is the name itself.
QString PortTitle(const TPortOpenFailure &Failure)
{
    const QString port = QString::fromStdString(Failure.Port);
    const QString device = QString::fromStdString(Failure.DevicePath);
    const bool same = device.isEmpty() || device == port || device == QStringLiteral("\\\\.\\") + port;
    return same ? port : QStringLiteral("%1 (%2)").arg(port, device);
}

} // namespace

QString PortOpenFailureLine(const TPortOpenFailure &Failure, const QString &UserName)
{
    const QString port = PortTitle(Failure);
    switch (Failure.Kind) {
    case TPortFailureKind::NoDevice: return MyConsts::sPortMissing().arg(port);
    case TPortFailureKind::NoPermission: return MyConsts::sPortNoPermission().arg(port, UserName);
    case TPortFailureKind::Busy:
        if (Failure.Holder) {
            const QString program =
                Failure.Holder->Program.empty() ? QStringLiteral("?") : QString::fromStdString(Failure.Holder->Program);
            return MyConsts::sPortBusyBy().arg(port, program, QString::number(Failure.Holder->Pid));
        }
        if (Failure.ExclusiveLeftBehind)
            return MyConsts::sPortBusyLeftBehind().arg(port);
        return MyConsts::sPortBusy().arg(port);
    case TPortFailureKind::Other: break;
    }
    const QString cause = Failure.OsError ? QString::fromStdString(OsErrorText(Failure.OsError)) : QStringLiteral("?");
    return MyConsts::sPortOtherError().arg(port, cause);
}
