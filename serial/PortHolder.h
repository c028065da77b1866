#pragma once

// Why a serial device could not be opened, and who holds it when another
// program does. Plain logic over the operating system's error and a few
// system folders (/proc, the lock folder), all of them injectable so that
// the rules can be tried on fake trees.

#include <optional>
#include <string>
#include <sys/types.h>

// Where the device layer looks for other users of a port.
struct TSerialSystemPaths {
    std::string LockDir = "/run/lock"; // UUCP lock files, LCK..<device>
    std::string ProcRoot = "/proc";    // processes, their descriptors, file locks
};

// A process that has the port: its id and its program name (empty when it
// cannot be read).
struct TPortHolder {
    pid_t Pid = 0;
    std::string Program;
    bool operator==(const TPortHolder &) const = default;
};

enum class TPortFailureKind {
    NoDevice,     // nothing at that name: wrong port, cable or adapter missing
    NoPermission, // the device is there, this user may not open it
    Busy,         // another program holds it
    Other,
};

// Everything the program can say about a failed open.
struct TPortOpenFailure {
    std::string Port;       // as configured
    std::string DevicePath; // what was opened
    int OsError = 0;        // errno; 0 when not known
    TPortFailureKind Kind = TPortFailureKind::Other;
    std::optional<TPortHolder> Holder; // only for Busy, when found
    // Busy, on a pseudo-terminal, by an exclusive mode (TIOCEXCL) that no
    // process in sight holds: most likely left by a program that died, since
    // a pseudo-terminal keeps the mode for as long as its far end is open.
    // Only root gets past it.
    bool ExclusiveLeftBehind = false;
};

TPortFailureKind ClassifyOpenError(int OsError);

// The operating system's text for an error number.
std::string OsErrorText(int OsError);

// The program name of a process, from <ProcRoot>/<pid>/comm; empty when unreadable.
std::string ProcessName(pid_t Pid, const std::string &ProcRoot);

// The process with the lowest id, other than Self, that has DevicePath open
// (compared with the targets of <ProcRoot>/<pid>/fd/*). Processes whose
// descriptors may not be read are skipped. A process that holds the master
// side of the pseudo-terminal DevicePath is its far end, not a rival, and is
// skipped too. Unseen, when given, tells whether any process was skipped
// because its descriptors may not be read.
std::optional<TPortHolder> FindProcessWithDeviceOpen(const std::string &DevicePath, pid_t Self,
                                                     const std::string &ProcRoot, bool *Unseen = nullptr);

// The process that holds a flock() on the file with the given device and
// inode numbers, from <ProcRoot>/locks.
std::optional<TPortHolder> FindFlockHolder(dev_t FileSystem, ino_t Inode, const std::string &ProcRoot);

// Who keeps DevicePath busy: the owner of a live UUCP lock, else the holder of
// a flock on it, else any other process that has it open. Unseen as for
// FindProcessWithDeviceOpen.
std::optional<TPortHolder> FindPortHolder(const std::string &DevicePath, pid_t Self, const TSerialSystemPaths &Paths,
                                          bool *Unseen = nullptr);
