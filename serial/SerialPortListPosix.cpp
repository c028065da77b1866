// The port list on Linux: the ttys with hardware behind them under sysfs,
// USB adapters described from sysfs, stable names from /dev/serial/by-id.

#include "SerialPortList.h"

#include "ComDevice.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A serial_core port that found no UART at its address reports type 0
// (PORT_UNKNOWN): the kernel's placeholder ttyS ports, which cannot be
// opened. A type that cannot be read does not hide a port.
bool IsPlaceholderUart(const fs::path &Entry)
{
    std::ifstream in(Entry / "type");
    long type = -1;
    return in && (in >> type) && type == 0;
}

// The name under which a sysfs tty entry is opened: devices whose name
// holds a "/" appear in sysfs with "!" in its place and are given as paths.
std::string PortNameOf(const std::string &Entry)
{
    if (Entry.find('!') == std::string::npos)
        return Entry;
    std::string path = "/dev/" + Entry;
    std::replace(path.begin(), path.end(), '!', '/');
    return path;
}

} // namespace

std::string GetSerialPortNames(const TSerialRoots &Roots)
{
    std::vector<std::string> entries;
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(Roots.Sys) / "class" / "tty", ec), end; !ec && it != end;
         it.increment(ec)) {
        const fs::path entry = it->path();
        std::error_code probe;
        // Only ttys with hardware behind them have a device link; consoles,
        // virtual terminals and ptys do not.
        if (!fs::exists(entry / "device", probe) || IsPlaceholderUart(entry))
            continue;
        entries.push_back(entry.filename().string());
    }
    // Directory order is arbitrary; which of two names that differ only in
    // case is kept should not be.
    std::sort(entries.begin(), entries.end());

    std::vector<std::string> names;
    for (const std::string &entry : entries)
        names.push_back(PortNameOf(entry));
    return JoinPortNames(SortedPortNames(names));
}

namespace {

const std::string kByIdFolder = "/dev/serial/by-id";

// A /dev path on the given roots (the real one, or a test's fake machine).
fs::path OnRoots(const std::string &Path, const TSerialRoots &Roots)
{
    if (Path.rfind("/dev/", 0) == 0)
        return fs::path(Roots.Dev) / Path.substr(5);
    return fs::path(Path);
}

std::string FirstLine(const fs::path &File)
{
    std::ifstream in(File);
    std::string line;
    std::getline(in, line);
    const auto notBlank = [](unsigned char c) { return !std::isspace(c); };
    line.erase(std::find_if(line.rbegin(), line.rend(), notBlank).base(), line.end());
    line.erase(line.begin(), std::find_if(line.begin(), line.end(), notBlank));
    return line;
}

// "maker product (serial)" from the USB device above a tty: its interface
// and the device itself are parents of the tty's device folder.
std::string UsbDescription(const std::string &Device, const TSerialRoots &Roots)
{
    std::error_code ec;
    fs::path dir = fs::canonical(fs::path(Roots.Sys) / "class" / "tty" / Device / "device", ec);
    if (ec)
        return {};
    const fs::path top = fs::path(Roots.Sys).lexically_normal();
    for (int depth = 0; depth < 8 && !dir.empty() && dir != top && dir != dir.root_path(); ++depth) {
        if (fs::exists(dir / "idVendor", ec)) {
            std::string text = FirstLine(dir / "manufacturer");
            const std::string product = FirstLine(dir / "product");
            if (!product.empty())
                text += (text.empty() ? "" : " ") + product;
            if (const std::string serial = FirstLine(dir / "serial"); !serial.empty())
                text += (text.empty() ? "(" : " (") + serial + ")";
            return text;
        }
        dir = dir.parent_path();
    }
    return {};
}

// The by-id link that leads to Device, found by the links' targets alone, so
// that it works on fake trees whose links point nowhere real.
std::string ByIdPathOf(const std::string &Device, const TSerialRoots &Roots)
{
    if (Device.empty())
        return {};
    const fs::path folder = OnRoots(kByIdFolder, Roots);
    std::error_code ec;
    std::vector<std::string> links;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code linkError;
        const fs::path target = fs::read_symlink(it->path(), linkError);
        if (!linkError && (folder / target).lexically_normal().filename() == Device)
            links.push_back(it->path().filename().string());
    }
    if (links.empty())
        return {};
    // Several interfaces of one adapter each have a link; the first in name order is stable.
    return kByIdFolder + "/" + *std::min_element(links.begin(), links.end());
}

} // namespace

bool SerialPortPresent(const std::string &Port, const TSerialRoots &Roots)
{
    if (Port.empty())
        return false;
    std::error_code ec;
    return fs::exists(OnRoots(ComDevicePath(Port), Roots), ec);
}

TSerialPortInfo DescribeSerialPort(const std::string &Port, const TSerialRoots &Roots)
{
    TSerialPortInfo info;
    info.Name = Port;
    if (Port.empty())
        return info;
    const std::string path = ComDevicePath(Port);
    const fs::path local = OnRoots(path, Roots);
    std::error_code ec;
    const bool link = fs::is_symlink(local, ec);
    info.Present = SerialPortPresent(Port, Roots);
    if (info.Present) {
        info.Device = fs::canonical(local, ec).filename().string();
    } else if (link) {
        // An adapter that is unplugged: its link still tells which device it was.
        info.Device = (local.parent_path() / fs::read_symlink(local, ec)).lexically_normal().filename().string();
    } else {
        info.Device = local.filename().string();
    }
    info.Description = UsbDescription(info.Device, Roots);
    info.ByIdPath = path.rfind(kByIdFolder + "/", 0) == 0 ? path : ByIdPathOf(info.Device, Roots);
    return info;
}

std::vector<TSerialPortInfo> ListSerialPorts(const TSerialRoots &Roots)
{
    std::vector<TSerialPortInfo> ports;
    for (const std::string &name : SplitPortNames(GetSerialPortNames(Roots))) {
        if (name.empty())
            continue;
        ports.push_back(DescribeSerialPort(name, Roots));
    }
    return ports;
}
