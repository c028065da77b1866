#pragma once

// The UUCP lock-file convention that minicom, picocom and ModemManager
// follow: while a program uses /dev/ttyUSB0 it keeps the file
// LCK..ttyUSB0 in the system lock folder, holding its process id as ten
// right-aligned characters and a newline.

#include <optional>
#include <string>
#include <sys/types.h>

// The lock file's path for a device; links (by-id names) are followed, so
// every name of one device shares one lock.
std::string UucpLockPath(const std::string &LockDir, const std::string &DevicePath);

// The process id a lock file names; empty when the file is missing or holds
// no valid id.
std::optional<pid_t> ReadUucpLockPid(const std::string &LockPath);

bool ProcessAlive(pid_t Pid);

// One lock, held from a successful Acquire until Release or destruction.
class TUucpLock {
public:
    enum class TResult {
        Acquired,
        Busy,    // a live process holds the lock (HolderPid)
        Skipped, // the lock folder cannot be written: the port is used without a lock
    };

    TUucpLock() = default;
    ~TUucpLock() { Release(); }
    TUucpLock(const TUucpLock &) = delete;
    TUucpLock &operator=(const TUucpLock &) = delete;

    // A lock whose process is gone is stale: it is removed and taken over.
    TResult Acquire(const std::string &LockDir, const std::string &DevicePath);
    pid_t HolderPid() const { return FHolderPid; }
    // Removes the file, if it is still ours.
    void Release();

private:
    std::string FPath; // non-empty while held
    pid_t FHolderPid = 0;
};
