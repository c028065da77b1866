// The POSIX side of the termination signals: SIGTERM, SIGHUP and SIGINT
// through a self-pipe into the event loop.

#include "TerminationSignals.h"

#include <QSocketNotifier>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace {

constexpr std::array<int, 3> kSignals = {SIGTERM, SIGHUP, SIGINT};

// The pipe's writing end for the handler; -1 while no object lives.
std::atomic<int> gWriteEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnTerminationSignal(int Signal)
{
    const int savedErrno = errno;
    const int fd = gWriteEnd.load();
    if (fd >= 0) {
        const unsigned char number = static_cast<unsigned char>(Signal);
        // Non-blocking: with the pipe full, enough signals are waiting already.
        [[maybe_unused]] const ssize_t written = ::write(fd, &number, 1);
    }
    errno = savedErrno;
}

[[noreturn]] void ThrowErrno(const char *What)
{
    throw std::system_error(errno, std::generic_category(), What);
}

} // namespace

struct TTerminationSignals::TPlatform {
    int Pipe[2] = {-1, -1};
    QSocketNotifier *Notifier = nullptr;
    std::array<struct sigaction, kSignals.size()> Previous{};

    void Restore(size_t Count) noexcept
    {
        for (size_t i = 0; i < Count; ++i)
            ::sigaction(kSignals[i], &Previous[i], nullptr);
        gWriteEnd = -1;
        delete Notifier; // before its descriptor goes
        Notifier = nullptr;
        for (int &fd : Pipe) {
            if (fd >= 0)
                ::close(fd);
            fd = -1;
        }
    }
};

TTerminationSignals::TTerminationSignals(QObject *Parent) : QObject(Parent), FPlatform(std::make_unique<TPlatform>())
{
    if (gWriteEnd.load() >= 0)
        throw std::logic_error("termination signals are already handled");
    TPlatform &p = *FPlatform;
    if (::pipe2(p.Pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        ThrowErrno("pipe2");
    gWriteEnd = p.Pipe[1];
    p.Notifier = new QSocketNotifier(p.Pipe[0], QSocketNotifier::Read, this);
    connect(p.Notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char numbers[16];
        for (;;) {
            const ssize_t n = ::read(FPlatform->Pipe[0], numbers, sizeof numbers);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return; // drained (EAGAIN)
            for (ssize_t i = 0; i < n; ++i)
                emit Received(numbers[i]);
        }
    });

    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls go on: the program ends through its event loop.
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < kSignals.size(); ++i) {
        if (::sigaction(kSignals[i], &action, &p.Previous[i]) != 0) {
            const int error = errno;
            p.Restore(i);
            errno = error;
            ThrowErrno("sigaction");
        }
    }
}

TTerminationSignals::~TTerminationSignals()
{
    FPlatform->Restore(kSignals.size());
}
