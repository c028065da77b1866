#pragma once
// A disk that fills up, for the POSIX tests: the file size limit of the
// process (setrlimit), which holds for root too. Windows has no such limit
// of a process; a full disk is not made there.

#include <csignal>
#include <stdexcept>
#include <sys/resource.h>

// Runs fn with the file size limit at bytes: a write beyond it fails with
// EFBIG.
template <typename Fn>
void WithFileSizeLimit(rlim_t bytes, Fn fn)
{
    struct rlimit old {};
    if (getrlimit(RLIMIT_FSIZE, &old) != 0)
        throw std::runtime_error("getrlimit");
    struct rlimit small = old;
    small.rlim_cur = bytes;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    if (setrlimit(RLIMIT_FSIZE, &small) != 0)
        throw std::runtime_error("setrlimit");
    fn();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
}
