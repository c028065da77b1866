#include "PtyRunner.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <system_error>
#include <termios.h>
#include <unistd.h>

namespace Emulator {

namespace {

[[noreturn]] void ThrowErrno(const char *what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

void CloseFd(int &fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

} // namespace

PtyRunner::PtyRunner(AnalyzerEmulator &Emulator, LogSink Log, EventSink Events)
    : FEmulator(Emulator), FLog(std::move(Log)), FEvents(std::move(Events))
{
    try {
        FMaster = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (FMaster < 0)
            ThrowErrno("posix_openpt");
        if (::grantpt(FMaster) != 0 || ::unlockpt(FMaster) != 0)
            ThrowErrno("grantpt/unlockpt");
        char name[256];
        if (::ptsname_r(FMaster, name, sizeof name) != 0)
            ThrowErrno("ptsname");
        FSlavePath = name;
        FSlave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (FSlave < 0)
            ThrowErrno("open pty slave");
        termios tio{};
        if (::tcgetattr(FSlave, &tio) != 0)
            ThrowErrno("tcgetattr");
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B9600);
        ::cfsetospeed(&tio, B9600);
        if (::tcsetattr(FSlave, TCSANOW, &tio) != 0)
            ThrowErrno("tcsetattr");
        // A reply must never block the loop when nobody reads the slave.
        if (::fcntl(FMaster, F_SETFL, ::fcntl(FMaster, F_GETFL) | O_NONBLOCK) != 0)
            ThrowErrno("fcntl");
        if (::pipe2(FStopPipe, O_CLOEXEC | O_NONBLOCK) != 0)
            ThrowErrno("pipe");
    } catch (...) {
        CloseLine();
        CloseFd(FStopPipe[0]);
        CloseFd(FStopPipe[1]);
        throw;
    }
}

PtyRunner::~PtyRunner()
{
    Stop();
    CloseLine();
    CloseFd(FStopPipe[0]);
    CloseFd(FStopPipe[1]);
}

void PtyRunner::Start()
{
    if (FThread.joinable() || FMaster < 0)
        return;
    FThread = std::thread([this] { Serve(); });
}

void PtyRunner::RequestStop() noexcept
{
    const char one = 1;
    [[maybe_unused]] ssize_t n = ::write(FStopPipe[1], &one, 1);
}

void PtyRunner::Stop()
{
    if (FThread.joinable()) {
        RequestStop();
        FThread.join();
    }
}

void PtyRunner::Wait()
{
    if (FThread.joinable())
        FThread.join();
}

void PtyRunner::CloseLine()
{
    CloseFd(FSlave);
    CloseFd(FMaster);
}

void PtyRunner::Log(const std::string &Text)
{
    if (FLog)
        FLog(Text);
}

void PtyRunner::Report(TLineEvent::TKind Kind, Clock::time_point Time, Bytes Data)
{
    if (FEvents)
        FEvents({Kind, Time, std::move(Data)});
}

bool PtyRunner::SleepUnlessStopped(std::chrono::milliseconds Delay)
{
    const auto until = Clock::now() + Delay;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now()).count();
        if (left <= 0)
            return true;
        pollfd p{FStopPipe[0], POLLIN, 0};
        const int r = ::poll(&p, 1, static_cast<int>(left));
        if (r > 0)
            return false;
        if (r < 0 && errno != EINTR)
            return false;
    }
}

bool PtyRunner::WriteAll(const uint8_t *Data, size_t Count)
{
    while (Count > 0) {
        const ssize_t n = ::write(FMaster, Data, Count);
        if (n > 0) {
            Data += n;
            Count -= static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd p[2] = {{FMaster, POLLOUT, 0}, {FStopPipe[0], POLLIN, 0}};
            if (::poll(p, 2, 1000) < 0 && errno != EINTR)
                return false;
            if (p[1].revents & POLLIN)
                return false;
            continue;
        }
        Log(std::string("write failed: ") + std::strerror(errno));
        return false;
    }
    return true;
}

void PtyRunner::HandleInput()
{
    uint8_t buffer[256];
    const ssize_t n = ::read(FMaster, buffer, sizeof buffer);
    if (n <= 0)
        return; // EAGAIN or EIO while the slave side is in flux
    const auto now = Clock::now();
    for (TFrameEvent &ev : FEmulator.Feed(std::span<const uint8_t>(buffer, static_cast<size_t>(n)), now)) {
        Log("RX " + HexBytes(ev.Frame) + "  " + ev.Action);
        Report(FrameKind(ev.Frame), now, Bytes(ev.Frame.begin(), ev.Frame.end()));
        if (ev.Vanish) {
            FVanished = true;
            CloseLine();
            return;
        }
        for (const TReplyPiece &piece : ev.Reply) {
            if (piece.DelayBefore.count() > 0 && !SleepUnlessStopped(piece.DelayBefore))
                return;
            if (!WriteAll(piece.Data.data(), piece.Data.size()))
                return;
            Report(TLineEvent::TKind::Reply, Clock::now(), piece.Data);
        }
    }
}

void PtyRunner::Serve()
{
    while (FMaster >= 0) {
        pollfd p[2] = {{FMaster, POLLIN, 0}, {FStopPipe[0], POLLIN, 0}};
        const int r = ::poll(p, 2, -1);
        if (r < 0) {
            if (errno == EINTR)
                continue;
            Log(std::string("poll failed: ") + std::strerror(errno));
            return;
        }
        if (p[1].revents & POLLIN) {
            char drain[16];
            while (::read(FStopPipe[0], drain, sizeof drain) > 0) {
            }
            return;
        }
        if (p[0].revents & POLLIN)
            HandleInput();
        else if (p[0].revents & (POLLHUP | POLLERR))
            SleepUnlessStopped(std::chrono::milliseconds(20)); // cannot happen while we hold the slave
    }
}

} // namespace Emulator
