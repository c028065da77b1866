#pragma once
// Another program on the machine: a plain `cat` in a child process, holding a
// device open as its standard input if asked, until killed. It stands for a
// terminal program or a forgotten reader that keeps a serial port busy.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <string>

class TChildProcess {
public:
    explicit TChildProcess(const std::string &OpenDevice = "")
    {
        FPid = ::fork();
        if (FPid == 0) {
            if (!OpenDevice.empty()) {
                const int fd = ::open(OpenDevice.c_str(), O_RDONLY | O_NOCTTY);
                if (fd < 0 || ::dup2(fd, 0) < 0)
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
