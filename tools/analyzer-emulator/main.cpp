// analyzer-emulator: a milk analyzer on a pseudo-terminal, for tests, demos
// and operator training without the instrument.

#include "EmulatorOptions.h"
#include "PtyRunner.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits.h>
#include <string>
#include <unistd.h>

namespace {

Emulator::PtyRunner *gRunner = nullptr;

extern "C" void OnSignal(int)
{
    if (gRunner)
        gRunner->RequestStop();
}

std::string Timestamp()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t t = std::chrono::system_clock::to_time_t(now);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&t, &local);
    char text[48];
    const size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    std::snprintf(text + n, sizeof text - n, ".%03d", static_cast<int>(ms));
    return text;
}

// Replaces a symlink left at that path (by an earlier run, whatever it points
// to) but never a real file.
bool MakeLink(const std::string &Link, const std::string &Target)
{
    char existing[PATH_MAX];
    if (::readlink(Link.c_str(), existing, sizeof existing) >= 0)
        ::unlink(Link.c_str());
    if (::symlink(Target.c_str(), Link.c_str()) != 0) {
        std::fprintf(stderr, "analyzer-emulator: cannot link %s: %s\n", Link.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

void RemoveLink(const std::string &Link, const std::string &Target)
{
    char existing[PATH_MAX];
    const ssize_t n = ::readlink(Link.c_str(), existing, sizeof existing - 1);
    if (n >= 0 && std::string(existing, static_cast<size_t>(n)) == Target)
        ::unlink(Link.c_str());
}

} // namespace

int main(int argc, char **argv)
{
    Emulator::TRunOptions options;
    try {
        options = Emulator::ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::exception &e) {
        std::fprintf(stderr, "analyzer-emulator: %s\nTry 'analyzer-emulator --help'.\n", e.what());
        return 2;
    }
    if (options.Help) {
        std::fputs(Emulator::UsageText().c_str(), stdout);
        return 0;
    }

    std::FILE *log = stderr;
    if (!options.LogPath.empty()) {
        log = std::fopen(options.LogPath.c_str(), "a");
        if (!log) {
            std::fprintf(stderr, "analyzer-emulator: cannot open log %s: %s\n", options.LogPath.c_str(),
                         std::strerror(errno));
            return 1;
        }
    }
    const auto writeLog = [log](const std::string &line) {
        std::fprintf(log, "%s %s\n", Timestamp().c_str(), line.c_str());
        std::fflush(log);
    };

    try {
        Emulator::AnalyzerEmulator emulator(options.Config, Emulator::Clock::now());
        Emulator::PtyRunner runner(emulator, writeLog);
        const std::string &path = runner.SlavePath();
        if (!options.LinkPath.empty() && !MakeLink(options.LinkPath, path))
            return 1;

        gRunner = &runner;
        struct sigaction sa {};
        sa.sa_handler = OnSignal;
        sigemptyset(&sa.sa_mask);
        for (int sig : {SIGINT, SIGTERM, SIGHUP})
            sigaction(sig, &sa, nullptr);

        writeLog("device " + std::to_string(options.Config.DevNumber) + ", " +
                 std::to_string(options.Config.Values.size()) + " values, on " + path);
        std::printf("%s\n", path.c_str());
        std::fflush(stdout);

        runner.Start();
        runner.Wait();
        gRunner = nullptr;
        writeLog(runner.Vanished() ? "vanished" : "stopped");
        if (!options.LinkPath.empty())
            RemoveLink(options.LinkPath, path);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "analyzer-emulator: %s\n", e.what());
        return 1;
    }
    return 0;
}
