// Why a port cannot be opened and who holds it: the rules on fake /proc and
// lock folders, then for real on a pseudo-terminal with child processes.

#include "PortHolder.h"
#include "CPort.h"
#include "ChildProcess.h"
#include "PtyFixture.h"
#include "Unprivileged.h"
#include "UucpLock.h"

#include <gtest/gtest.h>

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

void PrintTo(const TPortHolder &Holder, std::ostream *Out)
{
    *Out << Holder.Program << " (" << Holder.Pid << ")";
}

namespace {

fs::path MakeTempDir(const std::string &What)
{
    const fs::path dir = fs::temp_directory_path() / ("nivara-" + What + "-" + std::to_string(getpid()) + "-" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

void WriteText(const fs::path &File, const std::string &Text)
{
    fs::create_directories(File.parent_path());
    std::ofstream(File) << Text;
}

std::string ReadText(const fs::path &File)
{
    std::ifstream in(File);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(PortFailure, OsErrorsFallIntoTheirKinds)
{
    const struct {
        int Error;
        TPortFailureKind Kind;
    } cases[] = {
        {ENOENT, TPortFailureKind::NoDevice},    {ENODEV, TPortFailureKind::NoDevice},
        {ENXIO, TPortFailureKind::NoDevice},     {EACCES, TPortFailureKind::NoPermission},
        {EPERM, TPortFailureKind::NoPermission}, {EBUSY, TPortFailureKind::Busy},
        {EIO, TPortFailureKind::Other},          {ENOTTY, TPortFailureKind::Other},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ClassifyOpenError(c.Error), c.Kind) << c.Error;
}

// A fake /proc: processes with their program names and open descriptors.
class FakeProc : public ::testing::Test {
protected:
    void SetUp() override { Root = MakeTempDir("proc"); }
    void TearDown() override { fs::remove_all(Root); }

    void AddProcess(pid_t Pid, const std::string &Program) { WriteText(Dir(Pid) / "comm", Program + "\n"); }
    void AddFd(pid_t Pid, int Fd, const std::string &Target, const std::string &FdInfo = "")
    {
        fs::create_directories(Dir(Pid) / "fd");
        fs::create_symlink(Target, Dir(Pid) / "fd" / std::to_string(Fd));
        if (!FdInfo.empty())
            WriteText(Dir(Pid) / "fdinfo" / std::to_string(Fd), FdInfo);
    }
    fs::path Dir(pid_t Pid) const { return Root / std::to_string(Pid); }
    std::optional<TPortHolder> Holder(const std::string &Device, pid_t Self = 500) const
    {
        return FindProcessWithDeviceOpen(Device, Self, Root.string());
    }

    fs::path Root;
};

TEST_F(FakeProc, FindsAProcessThatOpenedTheDeviceWithoutAnyLock)
{
    AddProcess(500, "nivara"); // ourselves
    AddFd(500, 5, "/dev/ttyUSB0");
    AddProcess(40, "bash");
    AddFd(40, 0, "/dev/pts/1");
    AddProcess(300, "cat");
    AddFd(300, 3, "/dev/ttyUSB0");
    AddProcess(77, "minicom");
    AddFd(77, 4, "/dev/ttyUSB0");
    AddProcess(90, "secret"); // no fd folder we may read
    WriteText(Root / "self", "not a process");

    EXPECT_EQ(Holder("/dev/ttyUSB0"), (TPortHolder{77, "minicom"}));
    EXPECT_EQ(Holder("/dev/ttyUSB1"), std::nullopt);
    EXPECT_EQ(Holder("/dev/ttyUSB0", 77), (TPortHolder{300, "cat"}));
}

TEST_F(FakeProc, TheFarEndOfAPseudoTerminalIsNoRival)
{
    // An emulator keeps the master and its own slave descriptor open.
    AddProcess(50, "analyzer-emula");
    AddFd(50, 3, "/dev/ptmx", "pos:\t0\nflags:\t02\ntty-index:\t7\n");
    AddFd(50, 4, "/dev/pts/7");
    EXPECT_EQ(Holder("/dev/pts/7"), std::nullopt);

    // The master of another pty does not excuse it.
    AddProcess(60, "screen");
    AddFd(60, 3, "/dev/ptmx", "tty-index:\t8\n");
    AddFd(60, 4, "/dev/pts/7");
    EXPECT_EQ(Holder("/dev/pts/7"), (TPortHolder{60, "screen"}));
}

TEST_F(FakeProc, FlockHoldersAreReadFromTheLocksTable)
{
    AddProcess(812, "picocom");
    WriteText(Root / "locks", "1: POSIX  ADVISORY  WRITE 500 00:1a:99 0 EOF\n"
                              "2: FLOCK  ADVISORY  WRITE 812 00:05:123 0 EOF\n"
                              "2: -> FLOCK  ADVISORY  WRITE 900 00:05:123 0 EOF\n");
    EXPECT_EQ(FindFlockHolder(makedev(0, 5), 123, Root.string()), (TPortHolder{812, "picocom"}));
    EXPECT_EQ(FindFlockHolder(makedev(0, 5), 124, Root.string()), std::nullopt);
    EXPECT_EQ(FindFlockHolder(makedev(0, 0x1a), 99, Root.string()), std::nullopt); // a POSIX lock is not flock
}

TEST(UucpLock, CreatedWhileHeldInHdbFormAndRemovedOnRelease)
{
    const fs::path dir = MakeTempDir("lock");
    TPty pty;
    const std::string lockFile = UucpLockPath(dir.string(), pty.SlavePath());
    EXPECT_EQ(fs::path(lockFile).filename().string(), "LCK.." + fs::path(pty.SlavePath()).filename().string());
    {
        TUucpLock lock;
        ASSERT_EQ(lock.Acquire(dir.string(), pty.SlavePath()), TUucpLock::TResult::Acquired);
        char expected[16];
        std::snprintf(expected, sizeof expected, "%10d\n", static_cast<int>(getpid()));
        EXPECT_EQ(ReadText(lockFile), expected);
        lock.Release();
        EXPECT_FALSE(fs::exists(lockFile));

        // Not ours any more (another program took it over): left alone.
        ASSERT_EQ(lock.Acquire(dir.string(), pty.SlavePath()), TUucpLock::TResult::Acquired);
        WriteText(lockFile, "         1\n");
    }
    EXPECT_TRUE(fs::exists(lockFile));
    // An unwritable lock folder: the port is used without a lock.
    TUucpLock lock;
    EXPECT_EQ(lock.Acquire((dir / "missing").string(), pty.SlavePath()), TUucpLock::TResult::Skipped);
    fs::remove_all(dir);
}

TEST(UucpLock, LiveOwnerKeepsItAndAStaleOneIsTakenOver)
{
    const fs::path dir = MakeTempDir("lock");
    TPty pty;
    const std::string lockFile = UucpLockPath(dir.string(), pty.SlavePath());
    TChildProcess owner;
    ASSERT_TRUE(owner.Ready());
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(owner.Pid()));
    WriteText(lockFile, text);

    TUucpLock lock;
    EXPECT_EQ(lock.Acquire(dir.string(), pty.SlavePath()), TUucpLock::TResult::Busy);
    EXPECT_EQ(lock.HolderPid(), owner.Pid());

    owner.Kill();
    EXPECT_EQ(lock.Acquire(dir.string(), pty.SlavePath()), TUucpLock::TResult::Acquired);
    EXPECT_EQ(ReadUucpLockPid(lockFile), getpid());
    lock.Release();
    fs::remove_all(dir);
}

// The port itself, on a pseudo-terminal, with its lock folder in a temporary one.
class PortOpenFailure : public ::testing::Test {
protected:
    void SetUp() override { LockDir = MakeTempDir("lock"); }
    void TearDown() override { fs::remove_all(LockDir); }

    std::unique_ptr<TComPort> Port(const std::string &Path) const
    {
        auto port = std::make_unique<TComPort>(CreateComDevice({LockDir.string(), "/proc"}));
        port->SetPort(Path);
        return port;
    }
    // The failure of opening Path; Kind Other with OsError 0 when it opened.
    TPortOpenFailure OpenFailure(const std::string &Path) const
    {
        auto port = Port(Path);
        testing::internal::CaptureStderr();
        try {
            port->Open();
        } catch (const EComPortOpen &e) {
            testing::internal::GetCapturedStderr();
            return e.Failure();
        }
        testing::internal::GetCapturedStderr();
        return {};
    }

    fs::path LockDir;
    TPty Pty;
};

TEST_F(PortOpenFailure, APlainReaderHoldingThePortIsNamedAndPollingRefused)
{
    TChildProcess reader(Pty.SlavePath());
    ASSERT_TRUE(reader.Ready());
    const TPortOpenFailure failure = OpenFailure(Pty.SlavePath());
    EXPECT_EQ(failure.Kind, TPortFailureKind::Busy);
    EXPECT_EQ(failure.OsError, EBUSY);
    EXPECT_EQ(failure.Holder, (TPortHolder{reader.Pid(), "cat"}));
    EXPECT_TRUE(fs::is_empty(LockDir)) << "a refused open leaves no lock behind";

    reader.Kill();
    auto port = Port(Pty.SlavePath());
    EXPECT_NO_THROW(port->Open());
}

TEST_F(PortOpenFailure, AnotherOpenersExclusiveModeIsRespectedAlsoByRoot)
{
    const int other = open(Pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(ioctl(other, TIOCEXCL), 0);
    EXPECT_EQ(OpenFailure(Pty.SlavePath()).Kind, TPortFailureKind::Busy);
    int exclusive = 0;
    ASSERT_EQ(ioctl(other, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1) << "the refused open leaves the other's mode alone";
    close(other);
}

TEST_F(PortOpenFailure, ALiveLockNamesItsOwnerAndTheOpenPortHoldsItsOwn)
{
    TChildProcess owner;
    ASSERT_TRUE(owner.Ready());
    const std::string lockFile = UucpLockPath(LockDir.string(), Pty.SlavePath());
    char text[16];
    std::snprintf(text, sizeof text, "%10d\n", static_cast<int>(owner.Pid()));
    WriteText(lockFile, text);

    const TPortOpenFailure failure = OpenFailure(Pty.SlavePath());
    EXPECT_EQ(failure.Kind, TPortFailureKind::Busy);
    EXPECT_EQ(failure.Holder, (TPortHolder{owner.Pid(), "cat"}));
    EXPECT_EQ(ReadUucpLockPid(lockFile), owner.Pid());

    owner.Kill(); // now stale
    auto port = Port(Pty.SlavePath());
    ASSERT_NO_THROW(port->Open());
    EXPECT_EQ(ReadUucpLockPid(lockFile), getpid());
    // A second port of this program is refused by the port's own lock.
    EXPECT_EQ(OpenFailure(Pty.SlavePath()).Kind, TPortFailureKind::Busy);
    port->Close();
    EXPECT_FALSE(fs::exists(lockFile));
}

TEST_F(PortOpenFailure, MissingDeviceAndNoPermissionHaveTheirOwnKinds)
{
    const TPortOpenFailure missing = OpenFailure("/dev/no-such-ttyNivara");
    EXPECT_EQ(missing.Kind, TPortFailureKind::NoDevice);
    EXPECT_EQ(missing.Port, "/dev/no-such-ttyNivara");
    EXPECT_EQ(missing.DevicePath, "/dev/no-such-ttyNivara");

    // A terminal only its owner may open, tried as somebody else.
    ASSERT_EQ(chmod(Pty.SlavePath().c_str(), 0600), 0);
    const int result = RunUnprivileged([&] {
        const TPortOpenFailure denied = OpenFailure(Pty.SlavePath());
        return denied.Kind == TPortFailureKind::NoPermission && denied.OsError == EACCES ? 0 : 1;
    });
    if (result == kCannotDropRights)
        GTEST_SKIP() << "cannot run as an ordinary user here";
    EXPECT_EQ(result, 0);
}

} // namespace
