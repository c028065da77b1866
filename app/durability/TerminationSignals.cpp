#include "TerminationSignals.h"

#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace {

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

TTerminationSignals::TTerminationSignals(QObject *Parent) : QObject(Parent)
{
    if (gWriteEnd.load() >= 0)
        throw std::logic_error("termination signals are already handled");
    if (::pipe2(FPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        ThrowErrno("pipe2");
    gWriteEnd = FPipe[1];
    FNotifier = new QSocketNotifier(FPipe[0], QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, &TTerminationSignals::ReadPending);

    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls go on: the program ends through its event loop.
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < kSignals.size(); ++i) {
        if (::sigaction(kSignals[i], &action, &FPrevious[i]) != 0) {
            const int error = errno;
            Restore(i);
            errno = error;
            ThrowErrno("sigaction");
        }
    }
}

TTerminationSignals::~TTerminationSignals()
{
    Restore(kSignals.size());
}

void TTerminationSignals::Restore(size_t Count) noexcept
{
    for (size_t i = 0; i < Count; ++i)
        ::sigaction(kSignals[i], &FPrevious[i], nullptr);
    gWriteEnd = -1;
    delete FNotifier; // before its descriptor goes
    FNotifier = nullptr;
    for (int &fd : FPipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
}

void TTerminationSignals::ReadPending()
{
    unsigned char numbers[16];
    for (;;) {
        const ssize_t n = ::read(FPipe[0], numbers, sizeof numbers);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return; // drained (EAGAIN)
        for (ssize_t i = 0; i < n; ++i)
            emit Received(numbers[i]);
    }
}
