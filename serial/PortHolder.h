#pragma once

// Who holds a serial device that another program has open, on POSIX: plain
// logic over a few system folders (/proc, the lock folder), all of them
// injectable so that the rules can be tried on fake trees.

#include "PortOpenFailure.h"

#include <optional>
#include <string>
#include <sys/types.h>

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
