// Not a test by itself: a start in a settings folder, as the program makes
// it, without the window, for the tests to run side by side and to kill.
// Usage: instance_child <folder> [--lock-only]
// Claims the folder (its log Nivara.log) and says "run", "brought forward"
// or "not answering"; the one that runs says "asked forward" each time a
// later start asks for its window. With
// --lock-only it only takes the folder's lock and says "locked", "held" or
// "failed", and answers no one. Runs until killed.

#include "ExclusiveFileLock.h"
#include "StationInstance.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

namespace {

void Say(const char *Line)
{
    std::printf("%s\n", Line);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() < 2 || (args.size() == 3 && args[2] != "--lock-only") || args.size() > 3) {
        std::fprintf(stderr, "usage: instance_child <folder> [--lock-only]\n");
        return 2;
    }
    const QString log = QDir(args[1]).filePath(QStringLiteral("Nivara.log"));
    if (args.size() == 3) {
        TExclusiveFileLock lock(TStationInstance::LockFileName(log));
        switch (lock.TryLock()) {
        case TExclusiveFileLock::TResult::Locked: Say("locked"); break;
        case TExclusiveFileLock::TResult::HeldElsewhere: Say("held"); break;
        case TExclusiveFileLock::TResult::Failed: Say("failed"); break;
        }
        return application.exec();
    }
    TStationInstance instance(log);
    instance.OnBringForward = [] { Say("asked forward"); };
    switch (instance.Claim(std::chrono::seconds(2))) {
    case TStartVerdict::Run: Say("run"); break;
    case TStartVerdict::BroughtForward: Say("brought forward"); return 0;
    case TStartVerdict::NotAnswering: Say("not answering"); return 3;
    }
    return application.exec();
}
