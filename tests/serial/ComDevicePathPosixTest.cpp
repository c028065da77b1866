// How port names map to devices on POSIX: a Windows station's COMn, names
// under /dev, and paths as they stand.

#include "ComDevice.h"

#include <gtest/gtest.h>

namespace {

TEST(ComDevicePath, PortNamesMapToDevices)
{
    const std::pair<const char *, const char *> table[] = {
        {"COM1", "/dev/ttyS0"},       {"com10", "/dev/ttyS9"},
        {"ttyUSB0", "/dev/ttyUSB0"},  {"ttyACM3", "/dev/ttyACM3"},
        {"/dev/pts/4", "/dev/pts/4"}, {"/dev/serial/by-id/usb-x", "/dev/serial/by-id/usb-x"},
        {"COM0", "/dev/COM0"},        {"COM01", "/dev/COM01"},
        {"COMX", "/dev/COMX"},        {"COM", "/dev/COM"},
    };
    for (const auto &[name, path] : table)
        EXPECT_EQ(ComDevicePath(name), path) << name;
}

} // namespace
