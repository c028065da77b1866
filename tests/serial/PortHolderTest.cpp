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

// Whether every process was looked at decides whether an exclusive mode
// with no holder in sight may be taken over.
TEST_F(FakeProc, ProcessesWhoseDescriptorsMayNotBeReadAreReportedUnseen)
{
    AddProcess(91, "ended"); // its folder outlived it for a moment: nothing to see
    AddProcess(90, "secret");
    fs::create_directories(Dir(90) / "fd");
    fs::permissions(Dir(90) / "fd", fs::perms::none);
    // Root reads any folder; as somebody else the bits apply.
    const int result = RunUnprivileged([&] {
        bool unseen = false;
        const bool none = !FindProcessWithDeviceOpen("/dev/pts/7", 500, Root.string(), &unseen);
        return none && unseen ? 0 : 1;
    });
    fs::permissions(Dir(90) / "fd", fs::perms::owner_all);
    if (result == kCannotDropRights)
        GTEST_SKIP() << "cannot run as an ordinary user here";
    EXPECT_EQ(result, 0);

    bool unseen = true;
    EXPECT_EQ(FindProcessWithDeviceOpen("/dev/pts/7", 500, Root.string(), &unseen), std::nullopt);
    EXPECT_FALSE(unseen);
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

// Whether Path is in exclusive mode, as far as this process can tell without
// changing it: its open refused as busy, or the mode read from it.
bool ExclusiveMode(const std::string &Path)
{
    const int fd = open(Path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == EBUSY;
    int exclusive = 0;
    const bool set = ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive;
    close(fd);
    return set;
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

TEST_F(PortOpenFailure, ALiveHoldersExclusiveModeIsRespectedAlsoByRoot)
{
    TChildProcess holder(Pty.SlavePath(), TChildProcess::THold::Exclusive);
    ASSERT_TRUE(holder.Ready());
    const TPortOpenFailure failure = OpenFailure(Pty.SlavePath());
    EXPECT_EQ(failure.Kind, TPortFailureKind::Busy);
    EXPECT_EQ(failure.Holder, (TPortHolder{holder.Pid(), "cat"}));
    EXPECT_FALSE(failure.ExclusiveLeftBehind);
    EXPECT_TRUE(ExclusiveMode(Pty.SlavePath())) << "the refused open leaves the other's mode alone";
}

// A program killed (kill -9) while it held the port in exclusive mode: the
// pseudo-terminal keeps the mode as long as its far end is open, and nobody
// clears it. An ordinary user cannot open it at all and is told why; root
// takes it over, and leaves no mode behind when done.
TEST_F(PortOpenFailure, ExclusiveModeOfAKilledHolderIsTakenOverByRootOnly)
{
    {
        TChildProcess holder(Pty.SlavePath(), TChildProcess::THold::Exclusive);
        ASSERT_TRUE(holder.Ready());
    }
    ASSERT_TRUE(ExclusiveMode(Pty.SlavePath()));
    // Open to all, so that an ordinary user meets the mode, not the permissions.
    ASSERT_EQ(chmod(Pty.SlavePath().c_str(), 0666), 0);
    const int ordinary = RunUnprivileged([&] {
        const TPortOpenFailure failure = OpenFailure(Pty.SlavePath());
        return failure.Kind == TPortFailureKind::Busy && failure.OsError == EBUSY && !failure.Holder &&
                       failure.ExclusiveLeftBehind
                   ? 0
                   : 1;
    });
    if (ordinary != kCannotDropRights)
        EXPECT_EQ(ordinary, 0) << "an ordinary user is refused, and told the mode was left behind";
    if (!MayPassExclusiveMode())
        GTEST_SKIP() << "taking over needs root";

    auto port = Port(Pty.SlavePath());
    testing::internal::CaptureStderr();
    ASSERT_NO_THROW(port->Open());
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "TIOCEXCL " + Pty.SlavePath() + ": exclusive mode left by a program that has ended; taken over\n");
    const std::vector<uint8_t> frame{0x12, 0x34, 0x06};
    EXPECT_EQ(port->Write(frame.data(), 3), 3);
    EXPECT_EQ(Pty.Receive(), frame);
    // Ours while open, and cleared when closed.
    EXPECT_EQ(OpenFailure(Pty.SlavePath()).Kind, TPortFailureKind::Busy);
    port->Close();
    EXPECT_FALSE(ExclusiveMode(Pty.SlavePath()));
    if (ordinary == kCannotDropRights)
        return;
    EXPECT_EQ(RunUnprivileged([&] { return OpenFailure(Pty.SlavePath()).OsError; }), 0)
        << "an ordinary user opens it again";
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
