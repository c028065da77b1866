#pragma once
// Runs a piece of a test under an ordinary user's rights, so that permission
// bits apply even when the tests run as root (root ignores them).

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <grp.h>
#include <linux/capability.h>
#include <string>
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

// Whether this process may open a terminal that another holds in exclusive
// mode (TIOCEXCL): the kernel lets CAP_SYS_ADMIN through, root has it.
inline bool MayPassExclusiveMode()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("CapEff:", 0) != 0)
            continue;
        const size_t digits = line.find_first_not_of(" \t", 7);
        uint64_t caps = 0;
        if (digits == std::string::npos ||
            std::from_chars(line.data() + digits, line.data() + line.size(), caps, 16).ec != std::errc())
            return false;
        return (caps >> CAP_SYS_ADMIN) & 1;
    }
    return false;
}
