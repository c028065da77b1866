// Port names on POSIX: a Windows station's "COMn", a name under /dev, or a
// path; the debug line goes to standard error.

#include "ComDevice.h"

#include <cstdio>

namespace {

// "COM<n>" with n a decimal number from 1 without leading zeros, any case:
// the number, else 0.
unsigned long WindowsComNumber(const std::string &Port)
{
    if (Port.size() < 4 || Port.size() > 12)
        return 0;
    for (int i = 0; i < 3; ++i)
        if ((Port[i] | 0x20) != "com"[i])
            return 0;
    if (Port[3] < '1' || Port[3] > '9')
        return 0;
    unsigned long n = 0;
    for (size_t i = 3; i < Port.size(); ++i) {
        if (Port[i] < '0' || Port[i] > '9')
            return 0;
        n = n * 10 + static_cast<unsigned long>(Port[i] - '0');
    }
    return n;
}

} // namespace

std::string ComDevicePath(const std::string &Port)
{
    // A path is taken as it stands (ptys, /dev/serial/by-id links).
    if (Port.find('/') != std::string::npos)
        return Port;
    // Settings from a Windows station name the built-in ports COM1, COM2, ...
    if (const unsigned long n = WindowsComNumber(Port))
        return "/dev/ttyS" + std::to_string(n - 1);
    return "/dev/" + Port;
}

void ComDebugOutput(const std::string &Line)
{
    std::fprintf(stderr, "%s\n", Line.c_str());
    std::fflush(stderr);
}
