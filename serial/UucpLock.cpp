#include "UucpLock.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

std::string UucpLockPath(const std::string &LockDir, const std::string &DevicePath)
{
    std::error_code ec;
    fs::path device = fs::canonical(DevicePath, ec);
    if (ec)
        device = fs::path(DevicePath);
    return (fs::path(LockDir) / ("LCK.." + device.filename().string())).string();
}

std::optional<pid_t> ReadUucpLockPid(const std::string &LockPath)
{
    std::ifstream in(LockPath);
    long pid = 0;
    // HDB text, leading blanks allowed; other forms (the old binary one,
    // garbage) name no process we could check, so the lock counts as stale.
    if (!(in >> pid) || pid <= 0 || pid > 0x3FFFFFFF)
        return std::nullopt;
    return static_cast<pid_t>(pid);
}

bool ProcessAlive(pid_t Pid)
{
    return Pid > 0 && (kill(Pid, 0) == 0 || errno == EPERM);
}

namespace {

// Writes our lock under a temporary name and links it into place: link()
// fails when the lock exists, so two programs never both take it.
enum class TLink { Done, Exists, CannotWrite };

TLink LinkNewLock(const std::string &LockPath)
{
    // Named as the convention's temporary files are, so no tool takes it for a lock.
    // One per lock: two ports of one process locked at once must not share it.
    const fs::path lock(LockPath);
    const std::string temp =
        (lock.parent_path() / ("LTMP." + std::to_string(getpid()) + "." + lock.filename().string())).string();
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return TLink::CannotWrite;
    char text[16];
    const int n = std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(getpid()));
    const bool written = write(fd, text, static_cast<size_t>(n)) == n;
    close(fd);
    TLink result = TLink::CannotWrite;
    if (written)
        result = link(temp.c_str(), LockPath.c_str()) == 0 ? TLink::Done
                 : errno == EEXIST                         ? TLink::Exists
                                                           : TLink::CannotWrite;
    unlink(temp.c_str());
    return result;
}

} // namespace

TUucpLock::TResult TUucpLock::Acquire(const std::string &LockDir, const std::string &DevicePath)
{
    Release();
    FHolderPid = 0;
    const std::string path = UucpLockPath(LockDir, DevicePath);
    // A few rounds: a stale lock removed here may be taken by another program
    // before our link.
    for (int round = 0; round < 3; ++round) {
        if (const std::optional<pid_t> pid = ReadUucpLockPid(path)) {
            if (*pid != getpid() && ProcessAlive(*pid)) {
                FHolderPid = *pid;
                return TResult::Busy;
            }
        }
        switch (LinkNewLock(path)) {
        case TLink::Done: FPath = path; return TResult::Acquired;
        case TLink::CannotWrite: return TResult::Skipped;
        case TLink::Exists:
            // Stale, ours from an earlier run in this process, or unreadable:
            // remove it only if it still names no live process.
            if (const std::optional<pid_t> pid = ReadUucpLockPid(path); pid && *pid != getpid() && ProcessAlive(*pid))
                continue;
            if (unlink(path.c_str()) != 0 && errno != ENOENT)
                return TResult::Skipped;
            break;
        }
    }
    return TResult::Skipped;
}

void TUucpLock::Release()
{
    if (FPath.empty())
        return;
    // Someone may have removed a lock they took for stale and taken it over.
    if (ReadUucpLockPid(FPath) == getpid())
        unlink(FPath.c_str());
    FPath.clear();
}
