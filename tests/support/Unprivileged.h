#pragma once
// Runs a piece of a test under an ordinary user's rights, so that permission
// bits apply even when the tests run as root (root ignores them).

#include <cstdio>
#include <functional>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

// Exit code of a child that could not give up root's rights; the test skips.
inline constexpr int kCannotDropRights = 77;

// Fn's result. As root, Fn runs in a forked child as "nobody" (uid and gid
// 65534, no supplementary groups); otherwise it runs right here. What Fn
// checks it reports by its result: gtest assertions in a child are lost.
inline int RunUnprivileged(const std::function<int()> &Fn)
{
    if (::geteuid() != 0)
        return Fn();
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0)
        return kCannotDropRights;
    if (pid == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(kCannotDropRights);
        int result = 99;
        try {
            result = Fn();
        } catch (...) {
        }
        ::_exit(result);
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return 98;
    return WEXITSTATUS(status);
}
