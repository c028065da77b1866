// Port names on Windows: the device path is "\\.\" and the name, which also
// reaches COM10 and above; the debug line goes to the debugger's output.

#include "ComDevice.h"

#include <windows.h>

std::string ComDevicePath(const std::string &Port)
{
    return "\\\\.\\" + Port;
}

void ComDebugOutput(const std::string &Line)
{
    OutputDebugStringA((Line + "\n").c_str());
}
