#pragma once

// An advisory lock on a file, exclusive between processes and between
// objects of one process: one holder at a time, for as long as the object
// lives. The system lets go of it when the holder ends in any way, SIGKILL
// and power cut included, so a lock left by a crash never stands in the way.
// It keeps out only those who ask for it; the file's contents are not
// touched. The platform's side is in a file of its own (flock on POSIX,
// LockFileEx on Windows).

#include <QString>

class TExclusiveFileLock {
public:
    enum class TResult {
        Locked,        // held by this object now
        HeldElsewhere, // another process (or another object) holds it
        Failed,        // the file could not be opened or created: see ErrorText
    };

    // Nothing is opened until TryLock.
    explicit TExclusiveFileLock(QString FileName);
    ~TExclusiveFileLock();
    TExclusiveFileLock(const TExclusiveFileLock &) = delete;
    TExclusiveFileLock &operator=(const TExclusiveFileLock &) = delete;

    // Creates the file when it is missing; never waits.
    TResult TryLock();
    bool IsLocked() const { return FHandle >= 0; }
    // The system's word for the last failure, in Russian.
    const QString &ErrorText() const { return FErrorText; }

private:
    QString FFileName;
    QString FErrorText;
    long long FHandle = -1; // a descriptor or a handle, by platform
};
