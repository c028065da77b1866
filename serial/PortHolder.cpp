#include "PortHolder.h"

#include "UucpLock.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// A /proc entry that is a process: all digits.
std::optional<pid_t> PidOf(const char *Name)
{
    if (*Name < '1' || *Name > '9')
        return std::nullopt;
    char *end = nullptr;
    const long pid = std::strtol(Name, &end, 10);
    if (*end != '\0' || pid <= 0 || pid > INT_MAX)
        return std::nullopt;
    return static_cast<pid_t>(pid);
}

std::string ReadLink(const std::string &Path)
{
    char target[PATH_MAX];
    const ssize_t n = readlink(Path.c_str(), target, sizeof target);
    return n > 0 ? std::string(target, static_cast<size_t>(n)) : std::string();
}

// The pseudo-terminal number of /dev/pts/<n>; -1 for any other device.
int PtsIndex(const std::string &DevicePath)
{
    const std::string prefix = "/dev/pts/";
    if (DevicePath.rfind(prefix, 0) != 0)
        return -1;
    const char *digits = DevicePath.c_str() + prefix.size();
    char *end = nullptr;
    const long n = std::strtol(digits, &end, 10);
    return end != digits && *end == '\0' && n >= 0 && n <= INT_MAX ? static_cast<int>(n) : -1;
}

// Whether the descriptor <FdDir>/<Fd> is the master of pty number Index.
bool IsMasterOf(const std::string &ProcessDir, const std::string &Fd, const std::string &Target, int Index)
{
    if (Target != "/dev/ptmx" && Target != "/dev/pts/ptmx")
        return false;
    std::ifstream info(ProcessDir + "/fdinfo/" + Fd);
    std::string line;
    while (std::getline(info, line)) {
        if (line.rfind("tty-index:", 0) == 0)
            return std::atoi(line.c_str() + 10) == Index;
    }
    return false;
}

} // namespace

std::string ProcessName(pid_t Pid, const std::string &ProcRoot)
{
    std::ifstream in(ProcRoot + "/" + std::to_string(Pid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

std::optional<TPortHolder> FindProcessWithDeviceOpen(const std::string &DevicePath, pid_t Self,
                                                     const std::string &ProcRoot, bool *Unseen)
{
    if (Unseen)
        *Unseen = false;
    const int ptsIndex = PtsIndex(DevicePath);
    std::optional<pid_t> found;
    DIR *proc = opendir(ProcRoot.c_str());
    if (!proc)
        return std::nullopt;
    while (const dirent *entry = readdir(proc)) {
        const std::optional<pid_t> pid = PidOf(entry->d_name);
        if (!pid || *pid == Self || (found && *found < *pid))
            continue;
        const std::string processDir = ProcRoot + "/" + entry->d_name;
        // Another user's process, or one that ended meanwhile: skipped.
        DIR *fds = opendir((processDir + "/fd").c_str());
        if (!fds) {
            if (Unseen && (errno == EACCES || errno == EPERM))
                *Unseen = true;
            continue;
        }
        bool opened = false;
        bool master = false;
        while (const dirent *fd = readdir(fds)) {
            if (fd->d_name[0] == '.')
                continue;
            const std::string target = ReadLink(processDir + "/fd/" + fd->d_name);
            if (target == DevicePath)
                opened = true;
            else if (ptsIndex >= 0 && IsMasterOf(processDir, fd->d_name, target, ptsIndex))
                master = true;
        }
        closedir(fds);
        if (opened && !master)
            found = *pid;
    }
    closedir(proc);
    if (!found)
        return std::nullopt;
    return TPortHolder{*found, ProcessName(*found, ProcRoot)};
}

std::optional<TPortHolder> FindFlockHolder(dev_t FileSystem, ino_t Inode, const std::string &ProcRoot)
{
    // Lines such as "1: FLOCK  ADVISORY  WRITE 1234 00:05:87 0 EOF"; waiters
    // are marked "->" and hold nothing.
    std::ifstream locks(ProcRoot + "/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, file;
        long pid = 0;
        if (!(fields >> number >> kind >> mode >> access >> pid >> file) || kind != "FLOCK" || pid <= 0)
            continue;
        unsigned major = 0, minor = 0;
        unsigned long long inode = 0;
        if (std::sscanf(file.c_str(), "%x:%x:%llu", &major, &minor, &inode) != 3)
            continue;
        if (makedev(major, minor) == FileSystem && inode == Inode)
            return TPortHolder{static_cast<pid_t>(pid), ProcessName(static_cast<pid_t>(pid), ProcRoot)};
    }
    return std::nullopt;
}

std::optional<TPortHolder> FindPortHolder(const std::string &DevicePath, pid_t Self, const TSerialSystemPaths &Paths,
                                          bool *Unseen)
{
    if (Unseen)
        *Unseen = false;
    if (const std::optional<pid_t> pid = ReadUucpLockPid(UucpLockPath(Paths.LockDir, DevicePath));
        pid && *pid != Self && ProcessAlive(*pid))
        return TPortHolder{*pid, ProcessName(*pid, Paths.ProcRoot)};

    std::error_code ec;
    const fs::path device = fs::canonical(DevicePath, ec);
    const std::string real = ec ? DevicePath : device.string();
    struct stat st {};
    if (stat(real.c_str(), &st) == 0) {
        if (std::optional<TPortHolder> holder = FindFlockHolder(st.st_dev, st.st_ino, Paths.ProcRoot);
            holder && holder->Pid != Self)
            return holder;
    }
    return FindProcessWithDeviceOpen(real, Self, Paths.ProcRoot, Unseen);
}
