#pragma once
// An open file descriptor that is closed with its owner.

#include "FileError.h"

#include <cerrno>
#include <unistd.h>

class TFileDescriptor {
public:
    explicit TFileDescriptor(int Fd) : FFd(Fd) {}
    ~TFileDescriptor()
    {
        if (FFd >= 0)
            ::close(FFd);
    }
    TFileDescriptor(const TFileDescriptor &) = delete;
    TFileDescriptor &operator=(const TFileDescriptor &) = delete;

    int Get() const { return FFd; }
    bool IsOpen() const { return FFd >= 0; }
    // Closes now, for a write whose close can still report an error.
    // Throws EFileError.
    void Close()
    {
        const int fd = FFd;
        FFd = -1;
        if (::close(fd) != 0 && errno != EINTR)
            throw EFileError(errno);
    }

private:
    int FFd;
};
