// The port list on Windows: the values of HKLM\hardware\devicemap\serialcomm
// (value name: the driver's device, data: the port name), read only, and the
// device manager's friendly names for the menu.

#include "SerialPortList.h"

#include "ComDevice.h"

#include <windows.h>
// After windows.h.
#include <devguid.h>
#include <setupapi.h>

#include <algorithm>
#include <map>

namespace {

struct TRegistryPort {
    std::string Device; // the value's name, e.g. \Device\Serial0
    std::string Name;   // its data, e.g. COM1
};

// The ports in the order the registry enumerates them. A value whose data is
// not a string is skipped with a debug line: one odd driver should not cost
// the operator the whole menu.
std::vector<TRegistryPort> RegistryPorts()
{
    std::vector<TRegistryPort> ports;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "hardware\\devicemap\\serialcomm", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return ports;
    DWORD count = 0, longestName = 0, longestData = 0;
    if (RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName, &longestData,
                         nullptr, nullptr) == ERROR_SUCCESS) {
        std::string name(longestName + 1, '\0');
        std::string data(longestData + 1, '\0');
        for (DWORD i = 0; i < count; ++i) {
            DWORD nameLength = static_cast<DWORD>(name.size());
            DWORD dataLength = static_cast<DWORD>(data.size());
            DWORD type = 0;
            if (RegEnumValueA(key, i, name.data(), &nameLength, nullptr, &type, reinterpret_cast<BYTE *>(data.data()),
                              &dataLength) != ERROR_SUCCESS)
                continue;
            const std::string valueName(name.data(), nameLength);
            if (type != REG_SZ && type != REG_EXPAND_SZ) {
                ComDebugOutput("serialcomm: value " + valueName + " is not a string");
                continue;
            }
            std::string port(data.data(), std::min<size_t>(dataLength, data.size()));
            port.erase(std::find(port.begin(), port.end(), '\0'), port.end());
            ports.push_back({valueName, port});
        }
    }
    RegCloseKey(key);
    return ports;
}

std::string Utf8(const std::wstring &Text)
{
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(std::max(bytes, 0)), '\0');
    WideCharToMultiByte(CP_UTF8, 0, Text.data(), static_cast<int>(Text.size()), out.data(), bytes, nullptr, nullptr);
    return out;
}

// Port names are ASCII; the registry compares them with case ignored.
bool SameName(const std::string &a, const std::string &b)
{
    const auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return fold(x) == fold(y); });
}

// Port name -> the device manager's friendly name ("USB-SERIAL CH340 (COM3)"),
// for the ports present in the class "Ports (COM & LPT)".
std::map<std::string, std::string> FriendlyNames()
{
    std::map<std::string, std::string> names;
    const HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE)
        return names;
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); ++i) {
        const HKEY key = SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE)
            continue;
        char port[64] = {};
        DWORD size = sizeof port - 1, type = 0;
        const bool named =
            RegQueryValueExA(key, "PortName", nullptr, &type, reinterpret_cast<BYTE *>(port), &size) == ERROR_SUCCESS &&
            type == REG_SZ;
        RegCloseKey(key);
        if (!named)
            continue;
        wchar_t friendly[256] = {};
        if (SetupDiGetDeviceRegistryPropertyW(set, &device, SPDRP_FRIENDLYNAME, nullptr,
                                              reinterpret_cast<BYTE *>(friendly), sizeof friendly - sizeof(wchar_t),
                                              nullptr))
            names[port] = Utf8(friendly);
    }
    SetupDiDestroyDeviceInfoList(set);
    return names;
}

} // namespace

std::string GetSerialPortNames(const TSerialRoots &)
{
    std::vector<std::string> names;
    for (const TRegistryPort &port : RegistryPorts())
        names.push_back(port.Name);
    return JoinPortNames(SortedPortNames(names));
}

bool SerialPortPresent(const std::string &Port, const TSerialRoots &)
{
    if (Port.empty() || Port.find('\0') != std::string::npos)
        return false;
    // The DOS device name exists exactly while its driver has the port;
    // a USB adapter pulled out takes it away.
    char target[512];
    if (QueryDosDeviceA(Port.c_str(), target, sizeof target) != 0)
        return true;
    const std::vector<TRegistryPort> ports = RegistryPorts();
    return std::any_of(ports.begin(), ports.end(), [&](const TRegistryPort &p) { return SameName(p.Name, Port); });
}

namespace {

TSerialPortInfo Describe(const std::string &Port, const std::vector<TRegistryPort> &Registry,
                         const std::map<std::string, std::string> &Friendly)
{
    TSerialPortInfo info;
    info.Name = Port;
    if (Port.empty())
        return info;
    for (const TRegistryPort &p : Registry)
        if (SameName(p.Name, Port))
            info.Device = p.Device;
    for (const auto &[name, text] : Friendly)
        if (SameName(name, Port))
            info.Description = text;
    info.Present = SerialPortPresent(Port);
    return info;
}

} // namespace

TSerialPortInfo DescribeSerialPort(const std::string &Port, const TSerialRoots &)
{
    return Describe(Port, RegistryPorts(), FriendlyNames());
}

std::vector<TSerialPortInfo> ListSerialPorts(const TSerialRoots &Roots)
{
    const std::vector<TRegistryPort> registry = RegistryPorts();
    const std::map<std::string, std::string> friendly = FriendlyNames();
    std::vector<TSerialPortInfo> ports;
    for (const std::string &name : SplitPortNames(GetSerialPortNames(Roots)))
        if (!name.empty())
            ports.push_back(Describe(name, registry, friendly));
    return ports;
}
