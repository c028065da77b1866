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
