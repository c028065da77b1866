#pragma once
// Another program on the machine: a plain `cat` in a child process, holding a
// device open as its standard input if asked, until killed. It stands for a
// terminal program or a forgotten reader that keeps a serial port busy, or,
// holding it in exclusive mode and killed, for a serial program (this one
// too) that ended by kill -9 and cleared nothing.

#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

class TChildProcess {
public:
    enum class THold {
        Shared,
        Exclusive, // TIOCEXCL, as serial programs set it
    };

    explicit TChildProcess(const std::string &OpenDevice = "", THold Hold = THold::Shared)
    {
        FPid = ::fork();
        if (FPid == 0) {
            // Only system calls between fork and exec: the test may run threads.
            if (!OpenDevice.empty()) {
                const int fd = ::open(OpenDevice.c_str(), O_RDONLY | O_NOCTTY);
                if (fd < 0 || (Hold == THold::Exclusive && ::ioctl(fd, TIOCEXCL) != 0) || ::dup2(fd, 0) < 0)
                    ::_exit(1);
            }
            ::execlp("cat", "cat", static_cast<char *>(nullptr));
            ::_exit(1);
        }
    }
    ~TChildProcess() { Kill(); }
    TChildProcess(const TChildProcess &) = delete;
    TChildProcess &operator=(const TChildProcess &) = delete;

    pid_t Pid() const { return FPid; }
    // Once `cat` runs, the device (opened before it started) is held.
    bool Ready() const
    {
        for (int i = 0; i < 500; ++i) {
            std::ifstream comm("/proc/" + std::to_string(FPid) + "/comm");
            std::string name;
            if (std::getline(comm, name) && name == "cat")
                return true;
            ::usleep(10'000);
        }
        return false;
    }
    // SIGKILL, like kill -9: the program gets no chance to undo anything.
    void Kill()
    {
        if (FPid <= 0)
            return;
        ::kill(FPid, SIGKILL);
        ::waitpid(FPid, nullptr, 0);
        FPid = -1;
    }

private:
    pid_t FPid = -1;
};
