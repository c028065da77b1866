#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

// A pseudo-terminal whose slave stands in for a serial device; the test
// plays the far end through the master.
class TPty {
public:
    TPty()
    {
        FMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (FMaster < 0 || grantpt(FMaster) != 0 || unlockpt(FMaster) != 0)
            throw std::runtime_error("no pseudo-terminal");
        char name[128];
        if (ptsname_r(FMaster, name, sizeof name) != 0)
            throw std::runtime_error("no pseudo-terminal name");
        FSlavePath = name;
    }
    ~TPty() { CloseMaster(); }
    TPty(const TPty &) = delete;
    TPty &operator=(const TPty &) = delete;

    const std::string &SlavePath() const { return FSlavePath; }
    // Terminal settings calls on the master act on the slave: this reads
    // what the port applied while the port holds the slave exclusively.
    int Master() const { return FMaster; }

    void Send(const std::vector<uint8_t> &Bytes) const
    {
        if (write(FMaster, Bytes.data(), Bytes.size()) != static_cast<ssize_t>(Bytes.size()))
            throw std::runtime_error("pty write failed");
    }
    // Sends, then gives the kernel time to move the bytes to the slave's queue.
    void SendAndSettle(const std::vector<uint8_t> &Bytes) const
    {
        Send(Bytes);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // What the port has written, collected until nothing more comes for a while.
    std::vector<uint8_t> Receive(int QuietMs = 100) const
    {
        std::vector<uint8_t> out;
        pollfd p{FMaster, POLLIN, 0};
        while (poll(&p, 1, QuietMs) > 0 && (p.revents & POLLIN)) {
            uint8_t buf[256];
            const ssize_t n = read(FMaster, buf, sizeof buf);
            if (n <= 0)
                break;
            out.insert(out.end(), buf, buf + n);
        }
        return out;
    }
    void CloseMaster()
    {
        if (FMaster >= 0)
            close(FMaster);
        FMaster = -1;
    }

private:
    int FMaster = -1;
    std::string FSlavePath;
};

inline std::vector<uint8_t> Bytes(size_t Count, uint8_t First = 1)
{
    std::vector<uint8_t> v(Count);
    for (size_t i = 0; i < Count; ++i)
        v[i] = static_cast<uint8_t>(First + i);
    return v;
}
