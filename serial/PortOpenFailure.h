#pragma once

// Why a serial device could not be opened, in terms the program can explain
// to the operator on every platform; the error numbers are the platform's.

#include <cstdint>
#include <optional>
#include <string>

// Where the POSIX device layer looks for other users of a port; the Windows
// side has no such folders and ignores them.
struct TSerialSystemPaths {
    std::string LockDir = "/run/lock"; // UUCP lock files, LCK..<device>
    std::string ProcRoot = "/proc";    // processes, their descriptors, file locks
};

// A process that has the port: its id and its program name (empty when it
// cannot be read).
struct TPortHolder {
    int64_t Pid = 0;
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
    int OsError = 0;        // errno or GetLastError(); 0 when not known
    TPortFailureKind Kind = TPortFailureKind::Other;
    std::optional<TPortHolder> Holder; // only for Busy, when found
    // Busy, on a pseudo-terminal, by an exclusive mode (TIOCEXCL) that no
    // process in sight holds: most likely left by a program that died, since
    // a pseudo-terminal keeps the mode for as long as its far end is open.
    // Only root gets past it.
    bool ExclusiveLeftBehind = false;
};

// What the platform's error of a failed open means (a file of each side).
TPortFailureKind ClassifyOpenError(int OsError);

// The operating system's text for an error number, UTF-8.
std::string OsErrorText(int OsError);
