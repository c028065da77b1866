#pragma once

// A minimal IComLine over a terminal device, for tests against the emulator
// that do not need the real serial port class. Reads follow the port's
// contract: bytes already waiting come back at once; otherwise the read
// waits until Count bytes are in or ReadTimeout has passed since it began.

#include "ComLine.h"

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <sys/ioctl.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

class PtyLine : public IComLine {
public:
    std::chrono::milliseconds ReadTimeout{200};

    explicit PtyLine(const std::string &Path)
    {
        FFd = ::open(Path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (FFd < 0)
            throw std::system_error(errno, std::generic_category(), "open " + Path);
        termios tio{};
        ::tcgetattr(FFd, &tio);
        ::cfmakeraw(&tio);
        ::tcsetattr(FFd, TCSANOW, &tio);
    }
    ~PtyLine() override { ::close(FFd); }
    PtyLine(const PtyLine &) = delete;
    PtyLine &operator=(const PtyLine &) = delete;

    void ClearBuffer(bool Input, bool Output) override
    {
        const int which = Input && Output ? TCIOFLUSH : Input ? TCIFLUSH : TCOFLUSH;
        if (::tcflush(FFd, which) != 0)
            throw std::system_error(errno, std::generic_category(), "tcflush");
    }

    int32_t Write(const void *Buffer, int32_t Count) override
    {
        const ssize_t n = ::write(FFd, Buffer, static_cast<size_t>(Count));
        if (n < 0)
            throw std::system_error(errno, std::generic_category(), "write");
        return static_cast<int32_t>(n);
    }

    int32_t Read(void *Buffer, int32_t Count) override
    {
        auto *out = static_cast<uint8_t *>(Buffer);
        int waiting = 0;
        ::ioctl(FFd, FIONREAD, &waiting);
        const auto deadline = std::chrono::steady_clock::now() + ReadTimeout;
        int32_t got = 0;
        while (got < Count) {
            const ssize_t n = ::read(FFd, out + got, static_cast<size_t>(Count - got));
            if (n > 0) {
                got += static_cast<int32_t>(n);
                if (waiting > 0)
                    break; // what was already there comes back at once
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                throw std::system_error(errno, std::generic_category(), "read");
            if (n == 0)
                throw std::runtime_error("line hung up");
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            pollfd p{FFd, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) > 0 && (p.revents & (POLLHUP | POLLERR)) &&
                !(p.revents & POLLIN))
                throw std::runtime_error("line hung up");
        }
        return got;
    }

private:
    int FFd = -1;
};
