#pragma once

#include <string>
#include <vector>

// The serial ports present on this machine, as names usable as a port's Port.

// Where the kernel describes its devices on POSIX; injectable so that tests
// can lay out a fake machine. The Windows side asks the registry and the
// device manager instead, and ignores them.
struct TSerialRoots {
    std::string Sys = "/sys";
    std::string Dev = "/dev";
};

// Comma-separated names of the serial ports the operating system lists
// (Linux: the ttys with hardware behind them under <Sys>/class/tty; Windows:
// the values of HKLM\hardware\devicemap\serialcomm), sorted as
// SortedPortNames sorts them. A name with a space, comma, double quote or
// control character is enclosed in double quotes with inner quotes doubled.
// Empty when there are none or they cannot be read.
std::string GetSerialPortNames(const TSerialRoots &Roots = {});

// Names sorted with case ignored (plain text order, so COM10 comes before
// COM2), duplicates (case ignored) dropped, the first of them kept.
std::vector<std::string> SortedPortNames(const std::vector<std::string> &Names);

// The comma-separated form of a list of names, and back.
std::string JoinPortNames(const std::vector<std::string> &Names);
std::vector<std::string> SplitPortNames(const std::string &Text);

// Whether the device a port name or path stands for is there now: its node,
// or the link that names it, leads to a file under Roots.Dev. The poller, the
// status bar and the port menu all ask this. False for an empty name.
bool SerialPortPresent(const std::string &Port, const TSerialRoots &Roots = {});

// One port as the operator should see it.
struct TSerialPortInfo {
    std::string Name;        // as given, or as listed ("ttyUSB0")
    std::string Device;      // the kernel's name of the device behind it; empty when unknown
    std::string Description; // of a USB adapter: "maker product (serial)", what sysfs has of it
    std::string ByIdPath;    // the stable /dev/serial/by-id/ name of the device, if any
    bool Present = false;    // SerialPortPresent
};

// The ports the kernel lists, in the order of GetSerialPortNames, each described.
std::vector<TSerialPortInfo> ListSerialPorts(const TSerialRoots &Roots = {});

// Any port name or path (a listed name, a Windows name such as COM1, a by-id
// link, a pseudo-terminal): which device it stands for now, and what it is.
TSerialPortInfo DescribeSerialPort(const std::string &Port, const TSerialRoots &Roots = {});
