// The serial device on Linux: a tty opened non-blocking, configured through
// the kernel's termios2 (which also carries arbitrary rates), with reads and
// writes timed by poll() against a monotonic deadline.

#include "ComDevice.h"
#include "PortHolder.h"
#include "TermiosLine.h"
#include "UucpLock.h"

// Kernel definitions only; <termios.h> clashes with them.
#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <optional>
#include <thread>

namespace {

using TClock = std::chrono::steady_clock;
constexpr uint32_t AllOnes = 0xFFFFFFFFu;

// Errors by which a device says it has nothing of the kind (a pty has no
// modem lines and no output queue of its own).
bool NotSupportedByDevice(int Error)
{
    return Error == ENOTTY || Error == EINVAL;
}

// Errors of a device that has gone away (adapter pulled, far end of a pty
// closed): the descriptor is hung up and every further call fails.
bool DeviceGone(int Error)
{
    return Error == EIO || Error == ENXIO || Error == ENODEV;
}

int RetryIoctl(int Fd, unsigned long Request, void *Arg)
{
    int rc;
    do
        rc = ioctl(Fd, Request, Arg);
    while (rc < 0 && errno == EINTR);
    return rc < 0 ? errno : 0;
}

int RetryIoctl(int Fd, unsigned long Request, long Arg)
{
    int rc;
    do
        rc = ioctl(Fd, Request, Arg);
    while (rc < 0 && errno == EINTR);
    return rc < 0 ? errno : 0;
}

termios2 ToKernel(const TTermiosRecord &r, cc_t LineDiscipline)
{
    termios2 t{};
    t.c_iflag = r.Iflag;
    t.c_oflag = r.Oflag;
    t.c_cflag = r.Cflag;
    t.c_lflag = r.Lflag;
    t.c_line = LineDiscipline;
    std::copy(std::begin(r.Cc), std::end(r.Cc), t.c_cc);
    t.c_ispeed = r.Ispeed;
    t.c_ospeed = r.Ospeed;
    return t;
}

TTermiosRecord FromKernel(const termios2 &t)
{
    TTermiosRecord r;
    r.Iflag = t.c_iflag;
    r.Oflag = t.c_oflag;
    r.Cflag = t.c_cflag;
    r.Lflag = t.c_lflag;
    r.Line = t.c_line;
    std::copy(std::begin(t.c_cc), std::end(t.c_cc), r.Cc);
    r.Ispeed = t.c_ispeed;
    r.Ospeed = t.c_ospeed;
    return r;
}

// Unix98 pty slaves have majors 136..143, the old BSD ones major 3.
bool IsPseudoTerminal(const struct stat &St)
{
    if (!S_ISCHR(St.st_mode))
        return false;
    const unsigned m = major(St.st_rdev);
    return (m >= 136 && m <= 143) || m == 3;
}

bool IsPseudoTerminal(int Fd)
{
    struct stat st {};
    return fstat(Fd, &st) == 0 && IsPseudoTerminal(st);
}

bool IsPseudoTerminal(const std::string &DevicePath)
{
    struct stat st {};
    return stat(DevicePath.c_str(), &st) == 0 && IsPseudoTerminal(st);
}

// Milliseconds for poll() until Deadline, rounded up so that a wait never
// ends just short of it; 0 once it has passed.
int MillisecondsUntil(TClock::time_point Deadline)
{
    const auto left = Deadline - TClock::now();
    if (left <= TClock::duration::zero())
        return 0;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return static_cast<int>(std::min<int64_t>(ms, 1 << 30));
}

// A total time-out, Multiplier * Count + Constant, with the values taken as
// the unsigned numbers a Windows station means by them. Empty: no limit.
std::optional<TClock::time_point> TotalDeadline(TClock::time_point Start, int32_t Multiplier, int32_t Constant,
                                                int32_t Count)
{
    const uint64_t m = static_cast<uint32_t>(Multiplier);
    const uint64_t c = static_cast<uint32_t>(Constant);
    if (m == 0 && c == 0)
        return std::nullopt;
    return Start + std::chrono::milliseconds(m * static_cast<uint64_t>(Count) + c);
}

class TPosixComDevice final : public IComDevice {
public:
    explicit TPosixComDevice(TSerialSystemPaths Paths) : FPaths(std::move(Paths)) {}
    ~TPosixComDevice() override { Release(); }

    TOsError Open(const std::string &DevicePath) override;
    std::optional<TPortHolder> BusyHolder() const override { return FBusyHolder; }
    bool ExclusiveLeftBehind() const override { return FExclusiveLeftBehind; }
    bool IsOpen() const override { return FFd >= 0; }
    TOsError SetQueueSizes(int32_t, int32_t) override;
    TOsError SetLine(const TLineSettings &Settings) override;
    TOsError SetTimeouts(const TTimeoutSettings &Timeouts) override;
    TOsError QueryModemStatus() override;
    TOsError Purge(bool Input, bool Output) override;
    TTransfer Write(const void *Buffer, int32_t Count) override;
    TTransfer Read(void *Buffer, int32_t Count) override;
    TOsError Close() override;
    void Release() override;

private:
    enum class TWait { Ready, TimedOut, Gone, Failed };
    TWait WaitFor(short Events, int TimeoutMs, int &Error) const;
    TOsError SetModemLine(int Line, bool On) const;
    TOsError WaitForOutputDrained(std::optional<TClock::time_point> Deadline, int32_t &Sent) const;
    void CloseDescriptor();
    TOsError Refuse(int Fd, TOsError Error);
    TOsError TakeOver(int Fd, const std::string &DevicePath);

    TSerialSystemPaths FPaths;
    TUucpLock FUucpLock;
    std::optional<TPortHolder> FBusyHolder;
    bool FExclusiveLeftBehind = false;
    bool FExclusiveSet = false; // TIOCEXCL is ours to clear
    int FFd = -1;
    bool FPseudoTerminal = false;
    bool FDiscardNull = false;
    TTimeoutSettings FTimeouts;
};

TOsError TPosixComDevice::Open(const std::string &DevicePath)
{
    if (FFd >= 0)
        return EBUSY;
    FBusyHolder.reset();
    FExclusiveLeftBehind = false;
    // A name with a NUL in it would open some other device.
    if (DevicePath.empty() || DevicePath.find('\0') != std::string::npos)
        return ENOENT;
    const int fd = open(DevicePath.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        // TIOCEXCL of another program refuses us here, unless we are root
        // (CAP_SYS_ADMIN). A pseudo-terminal refuses for nothing else, and
        // keeps the mode after its holder has died: with no holder in sight,
        // that is the likely case, and it cannot be undone from here.
        if (error == EBUSY) {
            FBusyHolder = FindPortHolder(DevicePath, getpid(), FPaths);
            FExclusiveLeftBehind = !FBusyHolder && IsPseudoTerminal(DevicePath);
        }
        return error;
    }
    if (const TOsError error = TakeOver(fd, DevicePath))
        return Refuse(fd, error);
    FFd = fd;
    FExclusiveSet = false;
    FPseudoTerminal = IsPseudoTerminal(fd);
    return 0;
}

// Makes the opened device ours, as every other Linux serial program expects:
// nobody else may be using it, by any of the conventions, or even without one.
TOsError TPosixComDevice::TakeOver(int Fd, const std::string &DevicePath)
{
    if (!isatty(Fd))
        return ENOTTY; // never configure, read or write anything but a terminal
    // The advisory lock keeps out every other user that locks, root included;
    // TIOCEXCL keeps out other users that do not, unless they are root.
    if (flock(Fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK)
            return errno;
        FBusyHolder = FindPortHolder(DevicePath, getpid(), FPaths);
        return EBUSY;
    }
    // Root passes another program's TIOCEXCL; a live holder keeps the port
    // all the same. A pseudo-terminal keeps the mode while its far end is
    // open, also after its holder was killed, and only root could ever clear
    // it then: when no process, all of them seen, holds the device, it is
    // taken over. (A real port loses the mode with its last close.)
    int exclusive = 0;
    if (ioctl(Fd, TIOCGEXCL, &exclusive) == 0 && exclusive) {
        bool unseen = false;
        FBusyHolder = FindPortHolder(DevicePath, getpid(), FPaths, &unseen);
        const bool leftBehind = !FBusyHolder && IsPseudoTerminal(Fd);
        if (!leftBehind || unseen) {
            FExclusiveLeftBehind = leftBehind;
            return EBUSY;
        }
        ComDebugOutput("TIOCEXCL " + DevicePath + ": exclusive mode left by a program that has ended; taken over");
    }
    if (ioctl(Fd, TIOCEXCL) != 0)
        return errno;
    FExclusiveSet = true;
    if (FUucpLock.Acquire(FPaths.LockDir, DevicePath) == TUucpLock::TResult::Busy) {
        const pid_t pid = FUucpLock.HolderPid();
        FBusyHolder = TPortHolder{pid, ProcessName(pid, FPaths.ProcRoot)};
        return EBUSY;
    }
    // A program that simply opened the device (a terminal, a plain "cat")
    // would take every reply meant for us.
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(DevicePath, ec);
    if (std::optional<TPortHolder> other =
            FindProcessWithDeviceOpen(ec ? DevicePath : real.string(), getpid(), FPaths.ProcRoot)) {
        FBusyHolder = std::move(other);
        return EBUSY;
    }
    return 0;
}

TOsError TPosixComDevice::Refuse(int Fd, TOsError Error)
{
    FUucpLock.Release();
    if (FExclusiveSet)
        ioctl(Fd, TIOCNXCL);
    FExclusiveSet = false;
    close(Fd);
    return Error;
}

TOsError TPosixComDevice::SetQueueSizes(int32_t, int32_t)
{
    // The kernel's queues have a fixed size; there is nothing to ask for.
    return FFd >= 0 ? 0 : EBADF;
}

TOsError TPosixComDevice::SetModemLine(int Line, bool On) const
{
    const TOsError e = RetryIoctl(FFd, On ? TIOCMBIS : TIOCMBIC, &Line);
    return NotSupportedByDevice(e) ? 0 : e;
}

TOsError TPosixComDevice::SetLine(const TLineSettings &Settings)
{
    if (FFd < 0)
        return EBADF;
    const std::optional<TTermiosLine> line = BuildTermiosLine(Settings);
    if (!line)
        return EINVAL;

    termios2 current{};
    if (const TOsError e = RetryIoctl(FFd, TCGETS2, &current))
        return e;
    termios2 wanted = ToKernel(line->Record, current.c_line);
    if (const TOsError e = RetryIoctl(FFd, TCSETS2, &wanted))
        return e;
    // The call succeeds when any part of it applied; only the read-back
    // tells whether the driver took the speed and character format.
    termios2 got{};
    if (const TOsError e = RetryIoctl(FFd, TCGETS2, &got))
        return e;
    if (!RecordsMatch(line->Record, FromKernel(got), FPseudoTerminal))
        return EINVAL;

    if (const TOsError e = SetModemLine(TIOCM_DTR, line->Dtr))
        return e;
    if (const TOsError e = SetModemLine(TIOCM_RTS, line->Rts))
        return e;
    FDiscardNull = Settings.DiscardNull;
    return 0;
}

TOsError TPosixComDevice::SetTimeouts(const TTimeoutSettings &Timeouts)
{
    if (FFd < 0)
        return EBADF;
    FTimeouts = Timeouts;
    return 0;
}

TOsError TPosixComDevice::QueryModemStatus()
{
    if (FFd < 0)
        return EBADF;
    int lines = 0;
    const TOsError e = RetryIoctl(FFd, TIOCMGET, &lines);
    // Without modem lines all of them count as off.
    return NotSupportedByDevice(e) ? 0 : e;
}

TOsError TPosixComDevice::Purge(bool Input, bool Output)
{
    if (FFd < 0)
        return EBADF;
    if (!Input && !Output)
        return 0;
    return RetryIoctl(FFd, TCFLSH, Input && Output ? TCIOFLUSH : Input ? TCIFLUSH : TCOFLUSH);
}

TPosixComDevice::TWait TPosixComDevice::WaitFor(short Events, int TimeoutMs, int &Error) const
{
    pollfd p{FFd, Events, 0};
    const int rc = poll(&p, 1, TimeoutMs);
    if (rc < 0) {
        if (errno == EINTR)
            return TWait::TimedOut; // the caller recomputes its time left
        Error = errno;
        return TWait::Failed;
    }
    if (rc == 0)
        return TWait::TimedOut;
    // A hung-up tty keeps reporting readiness along with these.
    if (p.revents & (POLLHUP | POLLERR | POLLNVAL))
        return TWait::Gone;
    return TWait::Ready;
}

TTransfer TPosixComDevice::Read(void *Buffer, int32_t Count)
{
    if (FFd < 0)
        return {0, EBADF};
    auto *const dest = static_cast<uint8_t *>(Buffer);

    const TClock::time_point start = TClock::now();
    const uint32_t interval = static_cast<uint32_t>(FTimeouts.ReadInterval);
    const uint32_t multiplier = static_cast<uint32_t>(FTimeouts.ReadTotalMultiplier);
    // Interval "all ones": bytes already waiting are returned at once; with
    // the multiplier all ones too, the read also returns on the first byte
    // that arrives, and the constant alone bounds the wait.
    const bool returnWaiting = interval == AllOnes;
    const bool returnFirst = returnWaiting && multiplier == AllOnes;
    const std::optional<TClock::time_point> deadline =
        TotalDeadline(start, returnFirst ? 0 : FTimeouts.ReadTotalMultiplier, FTimeouts.ReadTotalConstant, Count);
    const bool intervalLimit = !returnWaiting && interval != 0;

    int32_t got = 0;
    TClock::time_point lastByte = start;
    bool waited = false;
    TTransfer result;
    for (;;) {
        const ssize_t n = read(FFd, dest + got, static_cast<size_t>(Count - got));
        if (n > 0) {
            int32_t kept = static_cast<int32_t>(n);
            if (FDiscardNull) {
                uint8_t *const begin = dest + got;
                kept = static_cast<int32_t>(std::remove(begin, begin + n, uint8_t{0}) - begin);
            }
            got += kept;
            lastByte = TClock::now();
            if (got == Count || (returnFirst && got > 0))
                break;
            continue;
        }
        if (n == 0) {
            // An empty queue reads as EAGAIN; end of file means the device hung up.
            result.Error = EIO;
            break;
        }
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN) {
            result.Error = errno;
            break;
        }

        // The input queue is empty now.
        if (returnWaiting && ((!waited && got > 0) || !deadline))
            break;
        int timeout = deadline ? MillisecondsUntil(*deadline) : -1;
        if (intervalLimit && got > 0) {
            const int gap = MillisecondsUntil(lastByte + std::chrono::milliseconds(interval));
            timeout = timeout < 0 ? gap : std::min(timeout, gap);
        }
        if (timeout == 0)
            break;
        waited = true;
        int error = 0;
        const TWait w = WaitFor(POLLIN, timeout, error);
        if (w == TWait::Gone) {
            result.Error = EIO;
            break;
        }
        if (w == TWait::Failed) {
            result.Error = error;
            break;
        }
    }
    // An empty read marks the first byte 0xFF and leaves the rest as it was,
    // as the port's read promises. Marked here, at the one way out, since
    // NULs read and then discarded may have overwritten it.
    if (got == 0)
        dest[0] = 0xFF;
    result.Count = got;
    return result;
}

TOsError TPosixComDevice::WaitForOutputDrained(std::optional<TClock::time_point> Deadline, int32_t &Sent) const
{
    for (;;) {
        int queued = 0;
        const TOsError e = RetryIoctl(FFd, TIOCOUTQ, &queued);
        if (NotSupportedByDevice(e) || (e == 0 && queued <= 0))
            return 0;
        if (e)
            return e;
        if (Deadline && TClock::now() >= *Deadline) {
            // What did not go out within the time-out is not sent at all.
            RetryIoctl(FFd, TCFLSH, TCOFLUSH);
            Sent = std::max(0, Sent - queued);
            return 0;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

TTransfer TPosixComDevice::Write(const void *Buffer, int32_t Count)
{
    if (FFd < 0)
        return {0, EBADF};
    const auto *const src = static_cast<const uint8_t *>(Buffer);
    const std::optional<TClock::time_point> deadline =
        TotalDeadline(TClock::now(), FTimeouts.WriteTotalMultiplier, FTimeouts.WriteTotalConstant, Count);

    int32_t sent = 0;
    while (sent < Count) {
        const ssize_t n = write(FFd, src + sent, static_cast<size_t>(Count - sent));
        if (n > 0) {
            sent += static_cast<int32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return {sent, errno};
        if (n == 0)
            return {sent, EIO};
        const int timeout = deadline ? MillisecondsUntil(*deadline) : -1;
        if (timeout == 0)
            return {sent, 0};
        int error = 0;
        const TWait w = WaitFor(POLLOUT, timeout, error);
        if (w == TWait::Gone)
            return {sent, EIO};
        if (w == TWait::Failed)
            return {sent, error};
    }
    // The block counts as written once it has left the driver's queue.
    if (const TOsError e = WaitForOutputDrained(deadline, sent))
        return {sent, e};
    return {sent, 0};
}

TOsError TPosixComDevice::Close()
{
    if (FFd < 0)
        return 0;
    // Discarding pending output first keeps close() from waiting for it to
    // drain, which a driver may let take up to 30 s. On a device that has
    // gone there is nothing left to discard.
    const TOsError e = RetryIoctl(FFd, TCFLSH, TCIOFLUSH);
    if (e && !DeviceGone(e))
        return e;
    CloseDescriptor();
    return 0;
}

void TPosixComDevice::Release()
{
    if (FFd < 0)
        return;
    RetryIoctl(FFd, TCFLSH, TCIOFLUSH);
    CloseDescriptor();
}

void TPosixComDevice::CloseDescriptor()
{
    // Others that share the tty may open it again; the lock goes with the descriptor.
    ioctl(FFd, TIOCNXCL);
    // On Linux the descriptor is released even when close() reports EINTR.
    close(FFd);
    FFd = -1;
    FUucpLock.Release();
    FPseudoTerminal = false;
    FDiscardNull = false;
}

} // namespace

TOsError NotOpenError()
{
    return EBADF;
}

std::unique_ptr<IComDevice> CreateComDevice(const TSerialSystemPaths &Paths)
{
    return std::make_unique<TPosixComDevice>(Paths);
}
