// The analyzer-emulator program as a user starts it.

#include "AnalyzerProtocol.h"
#include "PtyLine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>

extern char **environ;

namespace {

using namespace AnalyzerProtocol;

struct Program {
    pid_t pid = -1;
    std::FILE *out = nullptr;

    explicit Program(std::vector<std::string> args)
    {
        int pipeFd[2];
        if (::pipe(pipeFd) != 0)
            throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFd[1], 1);
        posix_spawn_file_actions_addclose(&actions, pipeFd[0]);
        args.insert(args.begin(), EMULATOR_PATH);
        std::vector<char *> argv;
        for (auto &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const int rc = posix_spawn(&pid, EMULATOR_PATH, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFd[1]);
        if (rc != 0)
            throw std::runtime_error("cannot start the emulator");
        out = ::fdopen(pipeFd[0], "r");
    }
    ~Program()
    {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        if (out)
            std::fclose(out);
    }
    std::string ReadAll()
    {
        std::string text;
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, out)) > 0)
            text.append(buf, n);
        return text;
    }
    std::string FirstLine()
    {
        char buf[512] = {};
        if (!std::fgets(buf, sizeof buf, out))
            return {};
        std::string line(buf);
        if (!line.empty() && line.back() == '\n')
            line.pop_back();
        return line;
    }
    // Exit code, or -signal.
    int Finish()
    {
        int status = 0;
        ::waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    }
};

std::filesystem::path TempDir()
{
    auto dir = std::filesystem::temp_directory_path() / ("nivara-emu-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir;
}

TEST(EmulatorProgram, ServesOnItsLinkLogsFramesAndCleansUp)
{
    const auto dir = TempDir();
    const auto link = dir / "ttyANALYZER";
    const auto log = dir / "frames.log";
    Program p(
        {"--device", "4660", "--count", "12", "--status", "0x0002", "--link", link.string(), "--log", log.string()});
    const std::string slave = p.FirstLine();
    ASSERT_EQ(slave.rfind("/dev/", 0), 0u) << slave;
    ASSERT_EQ(std::filesystem::read_symlink(link).string(), slave);

    {
        PtyLine line(link.string());
        TRxBuffer rx;
        const TAddress addr = AddressBytes(0x1234);
        const TFetchOutcome out = FetchResult(line, addr, rx);
        ASSERT_TRUE(out.Accepted);
        EXPECT_EQ(out.Length, 106);
        EXPECT_EQ(DecodeReply(rx, 12).Status, 0x0002);
        EXPECT_TRUE(AckResult(line, addr));
        EXPECT_FALSE(AckResult(line, AddressBytes(1))) << "other device: no answer";
    }

    ::kill(p.pid, SIGTERM);
    EXPECT_EQ(p.Finish(), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link))) << "link removed at exit";

    std::ifstream in(log);
    std::stringstream text;
    text << in.rdbuf();
    const std::string logged = text.str();
    EXPECT_NE(logged.find("RX 94 A3 A2 A1 06  fetch: result #1, 106 bytes"), std::string::npos) << logged;
    EXPECT_NE(logged.find("RX 94 A3 A2 A1 09"), std::string::npos);
    EXPECT_NE(logged.find("RX 91 A0 A0 A0 09  other device, ignored"), std::string::npos);
    std::filesystem::remove_all(dir);
}

TEST(EmulatorProgram, ExitsAfterVanishing)
{
    Program p({"--vanish-after", "1", "--log", "/dev/null"});
    const std::string slave = p.FirstLine();
    PtyLine line(slave);
    TRxBuffer rx;
    EXPECT_TRUE(FetchResult(line, AddressBytes(1), rx).Accepted);
    try {
        FetchResult(line, AddressBytes(1), rx);
    } catch (const std::exception &) {
        // the line may already be gone
    }
    EXPECT_EQ(p.Finish(), 0);
}

TEST(EmulatorProgram, HelpAndBadOptions)
{
    Program help({"--help"});
    const std::string usage = help.ReadAll();
    EXPECT_NE(usage.find("--interval SECONDS"), std::string::npos);
    EXPECT_NE(usage.find("--idle-reply"), std::string::npos);
    EXPECT_EQ(help.Finish(), 0);

    Program bad({"--count", "5"});
    EXPECT_EQ(bad.ReadAll(), "") << "nothing on standard output";
    EXPECT_EQ(bad.Finish(), 2);
}

} // namespace
