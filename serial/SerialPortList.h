#pragma once

#include <string>
#include <vector>

// The serial ports present on this machine, as names usable as a port's Port.

// Comma-separated names of the serial devices that the kernel lists under the
// given sysfs tty class folder, sorted with case ignored (plain text order,
// so ttyS10 comes before ttyS2), duplicates (case ignored) dropped. A name
// with a space, comma, double quote or control character is enclosed in
// double quotes with inner quotes doubled. Empty when there are none or the
// folder cannot be read.
std::string GetSerialPortNames(const std::string &SysClassTty = "/sys/class/tty");

// The comma-separated form of a list of names, and back.
std::string JoinPortNames(const std::vector<std::string> &Names);
std::vector<std::string> SplitPortNames(const std::string &Text);

// Where the kernel describes its devices; injectable so that tests can lay
// out a fake machine.
struct TSerialRoots {
    std::string Sys = "/sys";
    std::string Dev = "/dev";
};

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
