// The port over a pseudo-terminal: the read and write contract with real
// timing, opening and closing, exclusive use and a device that goes away.

#include "CPort.h"
#include "PtyFixture.h"

#include <gtest/gtest.h>

// The kernel's termios2, as the port sets it; <termios.h> clashes with it.
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

namespace {

using namespace std::chrono;
using TClock = steady_clock;

long ElapsedMs(TClock::time_point Since)
{
    return static_cast<long>(duration_cast<milliseconds>(TClock::now() - Since).count());
}

// Configured the way the poller configures its port.
void ConfigureForPolling(TComPort &Port, const std::string &Name)
{
    Port.SetPort(Name);
    Port.SetBaudRate(br9600);
    Port.Parity().SetBits(prOdd);
    Port.SetEvents(TComEvents{});
    Port.Timeouts().SetReadTotalConstant(200);
}

class ComPortOnPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        ConfigureForPolling(FPort, FPty.SlavePath());
        FPort.Open();
        ASSERT_TRUE(FPort.Connected());
    }
    TPty FPty;
    TComPort FPort;
};

TEST_F(ComPortOnPty, ReadWithNothingArrivingTimesOutWithZeroAndMarker)
{
    std::array<uint8_t, 4> buf{0x11, 0x22, 0x33, 0x44};
    const auto start = TClock::now();
    EXPECT_EQ(FPort.Read(buf.data(), 4), 0);
    const long ms = ElapsedMs(start);
    EXPECT_GE(ms, 190);
    EXPECT_LT(ms, 2000);
    EXPECT_EQ(buf[0], 0xFF);
    EXPECT_EQ(buf[1], 0x22); // the rest of the destination is left alone
}

// Where a read must end before its time-out, the time-out is made long, so
// that a busy machine cannot blur the difference.
constexpr int32_t LongTimeoutMs = 3000;
constexpr long WellBeforeItMs = 1500;

TEST_F(ComPortOnPty, BytesAlreadyWaitingReturnAtOnce)
{
    FPort.Timeouts().SetReadTotalConstant(LongTimeoutMs);
    FPty.SendAndSettle({0xA1, 0xA2});
    std::array<uint8_t, 4> buf{};
    const auto start = TClock::now();
    EXPECT_EQ(FPort.Read(buf.data(), 4), 2);
    EXPECT_LT(ElapsedMs(start), WellBeforeItMs);
    EXPECT_EQ(buf[0], 0xA1);
    EXPECT_EQ(buf[1], 0xA2);
}

TEST_F(ComPortOnPty, ReadReturnsAsSoonAsTheCountIsIn)
{
    FPort.Timeouts().SetReadTotalConstant(LongTimeoutMs);
    std::thread farEnd([&] {
        std::this_thread::sleep_for(milliseconds(40));
        FPty.Send({1, 2});
        std::this_thread::sleep_for(milliseconds(20));
        FPty.Send({3, 4, 5, 6});
    });
    std::array<uint8_t, 4> buf{};
    const auto start = TClock::now();
    const int32_t got = FPort.Read(buf.data(), 4);
    const long ms = ElapsedMs(start);
    farEnd.join();
    EXPECT_EQ(got, 4);
    EXPECT_LT(ms, WellBeforeItMs);
    EXPECT_EQ(buf, (std::array<uint8_t, 4>{1, 2, 3, 4}));
    // The surplus stays queued for the next read.
    std::this_thread::sleep_for(milliseconds(50));
    EXPECT_EQ(FPort.Read(buf.data(), 4), 2);
    EXPECT_EQ(buf[0], 5);
}

TEST_F(ComPortOnPty, FewerBytesThanAskedReturnAfterTheTimeOut)
{
    std::thread farEnd([&] {
        std::this_thread::sleep_for(milliseconds(40));
        FPty.Send({7, 8});
    });
    std::array<uint8_t, 4> buf{};
    const auto start = TClock::now();
    const int32_t got = FPort.Read(buf.data(), 4);
    const long ms = ElapsedMs(start);
    farEnd.join();
    EXPECT_EQ(got, 2);
    EXPECT_GE(ms, 190);
    EXPECT_LT(ms, 2000);
}

TEST_F(ComPortOnPty, ShortAnswerIntoLongBufferThenNothing)
{
    const std::vector<uint8_t> answer = Bytes(38, 0x20);
    std::thread farEnd([&] {
        std::this_thread::sleep_for(milliseconds(30));
        FPty.Send(std::vector<uint8_t>(answer.begin(), answer.begin() + 20));
        std::this_thread::sleep_for(milliseconds(30));
        FPty.Send(std::vector<uint8_t>(answer.begin() + 20, answer.end()));
    });
    std::array<uint8_t, 106> buf{};
    const auto start = TClock::now();
    const int32_t got = FPort.Read(buf.data(), 106);
    const long ms = ElapsedMs(start);
    farEnd.join();
    ASSERT_EQ(got, 38);
    EXPECT_GE(ms, 190);
    EXPECT_TRUE(std::equal(answer.begin(), answer.end(), buf.begin()));

    EXPECT_EQ(FPort.Read(buf.data() + 38, 106 - 38), 0);
    EXPECT_EQ(buf[38], 0xFF);
    EXPECT_EQ(buf[37], answer[37]);
}

TEST_F(ComPortOnPty, ClearBufferDiscardsEarlierBytes)
{
    FPty.SendAndSettle({9, 9, 9});
    FPort.ClearBuffer(true, true);
    FPty.SendAndSettle({5});
    std::array<uint8_t, 4> buf{};
    EXPECT_EQ(FPort.Read(buf.data(), 4), 1);
    EXPECT_EQ(buf[0], 5);
}

TEST_F(ComPortOnPty, WriteSendsTheWholeBlock)
{
    const std::vector<uint8_t> frame{0x12, 0x34, 0x56, 0x78, 0x06};
    EXPECT_EQ(FPort.Write(frame.data(), 5), 5);
    EXPECT_EQ(FPty.Receive(), frame);
}

TEST_F(ComPortOnPty, WriteEndsAtItsTimeOutWhenTheFarEndTakesNothing)
{
    FPort.Timeouts().SetWriteTotalMultiplier(0);
    FPort.Timeouts().SetWriteTotalConstant(300);
    const std::vector<uint8_t> block(1 << 20, 0x55); // far more than a pty holds
    const auto start = TClock::now();
    const int32_t sent = FPort.Write(block.data(), static_cast<int32_t>(block.size()));
    const long ms = ElapsedMs(start);
    EXPECT_GT(sent, 0);
    EXPECT_LT(sent, static_cast<int32_t>(block.size()));
    EXPECT_GE(ms, 290);
    EXPECT_LT(ms, 3000);
}

TEST_F(ComPortOnPty, NulBytesAreDiscardedOnlyWhenAsked)
{
    FPty.SendAndSettle({0, 1, 0, 2});
    std::array<uint8_t, 8> buf{};
    EXPECT_EQ(FPort.Read(buf.data(), 8), 4);

    FPort.SetDiscardNull(true);
    FPty.SendAndSettle({0, 1, 0, 2});
    EXPECT_EQ(FPort.Read(buf.data(), 8), 2);
    EXPECT_EQ(buf[0], 1);
    EXPECT_EQ(buf[1], 2);

    FPty.SendAndSettle({0, 0});
    EXPECT_EQ(FPort.Read(buf.data(), 8), 0);
    EXPECT_EQ(buf[0], 0xFF);
}

TEST_F(ComPortOnPty, OpenTwiceAndCloseTwiceDoNothingMore)
{
    FPty.SendAndSettle({4, 2});
    FPort.Open(); // must not reopen: the waiting bytes would be gone
    std::array<uint8_t, 4> buf{};
    EXPECT_EQ(FPort.Read(buf.data(), 4), 2);
    FPort.Close();
    EXPECT_FALSE(FPort.Connected());
    EXPECT_NO_THROW(FPort.Close());
    EXPECT_FALSE(FPort.Connected());
}

TEST_F(ComPortOnPty, SecondOpenOfTheSameDeviceFails)
{
    TComPort other;
    other.SetPort(FPty.SlavePath());
    try {
        other.Open();
        FAIL() << "opened a device that is in use";
    } catch (const EComPortExt &e) {
        EXPECT_EQ(e.Code(), ceOpenFailed);
    }
    EXPECT_FALSE(other.Connected());

    FPort.Close();
    EXPECT_NO_THROW(other.Open());
    EXPECT_TRUE(other.Connected());
}

TEST_F(ComPortOnPty, DestroyingAnOpenPortReleasesTheDevice)
{
    {
        TComPort temporary;
        temporary.SetPort(FPty.SlavePath());
        FPort.Close();
        temporary.Open();
    }
    EXPECT_NO_THROW(FPort.Open());
}

TEST_F(ComPortOnPty, SameNameKeepsThePortOpenAsItIs)
{
    FPty.SendAndSettle({1, 2, 3});
    FPort.SetPort(FPty.SlavePath());
    std::array<uint8_t, 4> buf{};
    EXPECT_EQ(FPort.Read(buf.data(), 4), 3);
}

TEST_F(ComPortOnPty, NewNameReopensOnTheOtherDevice)
{
    TPty second;
    FPort.SetPort(second.SlavePath());
    EXPECT_TRUE(FPort.Connected());
    const std::vector<uint8_t> frame{1, 2, 3};
    EXPECT_EQ(FPort.Write(frame.data(), 3), 3);
    EXPECT_EQ(second.Receive(), frame);
    // The first device is free again.
    TComPort other;
    other.SetPort(FPty.SlavePath());
    EXPECT_NO_THROW(other.Open());
}

termios2 AppliedSettings(const TPty &Pty)
{
    termios2 t{};
    EXPECT_EQ(ioctl(Pty.Master(), TCGETS2, &t), 0);
    return t;
}

// What a pseudo-terminal keeps of the line: the speed (an arbitrary one too),
// the stop bits, the kind of parity (odd, stick) and the raw mode. It always
// reports eight data bits and no parity enable, whatever it was asked, so
// those two can only be judged on a real port.
TEST_F(ComPortOnPty, TheLineIsAppliedAtOpenAndOnEachChange)
{
    struct TCase {
        const char *Name;
        TBaudRate Rate;
        TDataBits DataBits;
        TStopBits StopBits;
        TParityBits Parity;
        uint32_t SpeedCode;
        uint32_t Speed;
        uint32_t Format; // CSTOPB, PARODD, CMSPAR
    };
    const TCase cases[] = {
        {"as the poller opens it", br9600, dbEight, sbOneStopBit, prOdd, B9600, 9600, PARODD},
        {"even", br115200, dbEight, sbOneStopBit, prEven, B115200, 115200, 0},
        {"no standard code", br56000, dbEight, sbOneStopBit, prNone, BOTHER, 56000, 0},
        {"custom, two stop bits, mark", brCustom, dbSeven, sbTwoStopBits, prMark, BOTHER, 250000,
         CSTOPB | PARODD | CMSPAR},
        {"1.5 stop bits, space", br19200, dbFive, sbOne5StopBits, prSpace, B19200, 19200, CSTOPB | CMSPAR},
    };
    FPort.SetCustomBaudRate(250000);
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Name);
        ASSERT_NO_THROW({
            // One stop bit goes with any data bits: no step on the way asks
            // for a format that does not exist.
            FPort.SetStopBits(sbOneStopBit);
            FPort.SetBaudRate(c.Rate);
            FPort.SetDataBits(c.DataBits);
            FPort.SetStopBits(c.StopBits);
            FPort.Parity().SetBits(c.Parity);
        });
        const termios2 t = AppliedSettings(FPty);
        EXPECT_EQ(t.c_cflag & CBAUD, c.SpeedCode);
        EXPECT_EQ(t.c_ospeed, c.Speed);
        EXPECT_EQ(t.c_ispeed, c.Speed);
        EXPECT_EQ(t.c_cflag & (CSTOPB | PARODD | CMSPAR), c.Format);
        // Raw: no modem control needed, no handshake, no processing either way.
        EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL | HUPCL | CRTSCTS), unsigned(CREAD | CLOCAL | HUPCL));
        EXPECT_EQ(t.c_iflag, unsigned(IGNBRK));
        EXPECT_EQ(t.c_oflag, 0u);
        EXPECT_EQ(t.c_lflag, 0u);
        EXPECT_EQ(t.c_cc[VMIN], 1);
        EXPECT_EQ(t.c_cc[VTIME], 0);
        EXPECT_EQ(t.c_cc[VSTART], 17);
        EXPECT_EQ(t.c_cc[VSTOP], 19);
    }
}

TEST_F(ComPortOnPty, RefusedLineSettingOnAnOpenPortRaisesAndKeepsItOpen)
{
    try {
        FPort.FlowControl().SetControlRTS(rtsToggle);
        FAIL() << "RTS toggling accepted";
    } catch (const EComPortExt &e) {
        EXPECT_EQ(e.Code(), ceSetStateFailed);
    }
    EXPECT_TRUE(FPort.Connected());
}

// The far end going away (pty master closed, like a USB adapter pulled) must
// make the next operation fail promptly, never hang or look like a time-out.
TEST_F(ComPortOnPty, VanishedDeviceFailsTheNextOperation)
{
    FPort.Timeouts().SetReadTotalConstant(LongTimeoutMs);
    FPty.CloseMaster();
    std::array<uint8_t, 4> buf{};
    const auto start = TClock::now();
    try {
        FPort.Read(buf.data(), 4);
        FAIL() << "read from a vanished device";
    } catch (const EComPortExt &e) {
        EXPECT_EQ(e.Code(), ceReadFailed);
    }
    EXPECT_LT(ElapsedMs(start), WellBeforeItMs);
    try {
        FPort.Write(buf.data(), 4);
        FAIL() << "write to a vanished device";
    } catch (const EComPortExt &e) {
        EXPECT_EQ(e.Code(), ceWriteFailed);
    }
    EXPECT_NO_THROW(FPort.Close());
    EXPECT_FALSE(FPort.Connected());
}

TEST_F(ComPortOnPty, DeviceVanishingDuringAReadEndsIt)
{
    std::thread farEnd([&] {
        std::this_thread::sleep_for(milliseconds(50));
        FPty.CloseMaster();
    });
    FPort.Timeouts().SetReadTotalConstant(LongTimeoutMs);
    std::array<uint8_t, 4> buf{};
    const auto start = TClock::now();
    EXPECT_THROW(FPort.Read(buf.data(), 4), EComPortExt);
    farEnd.join();
    EXPECT_LT(ElapsedMs(start), WellBeforeItMs);
}

TEST(ComPortOpen, MissingDeviceFailsWithCodeOneAndStaysClosed)
{
    TComPort port;
    port.SetPort("/nonexistent/ttyNivara");
    testing::internal::CaptureStderr();
    try {
        port.Open();
        FAIL() << "opened a missing device";
    } catch (const EComPortExt &e) {
        EXPECT_EQ(e.Code(), ceOpenFailed);
        EXPECT_EQ(e.WinCode(), static_cast<uint32_t>(ENOENT));
        EXPECT_STREQ(e.what(), "COM Port Error: Unable to open com port on /nonexistent/ttyNivara");
    }
    // The line exactly; the cause after it, in the system's language.
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "CreateFile /nonexistent/ttyNivara\n" + std::generic_category().message(ENOENT) + "\n");
    EXPECT_FALSE(port.Connected());
    EXPECT_NO_THROW(port.Close());
}

TEST(ComPortOpen, WindowsNameOfAnAbsentPortNamesItInTheMessage)
{
    TComPort port;
    port.SetPort("COM7");
    testing::internal::CaptureStderr();
    try {
        port.Open();
        // A machine with a seventh built-in port may really have it.
        port.Close();
    } catch (const EComPortExt &e) {
        EXPECT_STREQ(e.what(), "COM Port Error: Unable to open com port on COM7");
        // With the OS error's text, whatever it is on this machine.
        EXPECT_EQ(testing::internal::GetCapturedStderr().rfind("CreateFile /dev/ttyS6\n", 0), 0u);
        return;
    }
    testing::internal::GetCapturedStderr();
}

TEST(ComPortOpen, AFileThatIsNoTerminalIsNeitherOpenedNorChanged)
{
    char path[] = "/tmp/nivara-notatty-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "keep", 4), 4);
    close(fd);

    TComPort port;
    port.SetPort(path);
    testing::internal::CaptureStderr();
    try {
        port.Open();
        FAIL() << "opened a plain file";
    } catch (const EComPortExt &e) {
        EXPECT_EQ(e.Code(), ceOpenFailed);
    }
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(port.Connected());
    std::ifstream in(path);
    std::string content;
    in >> content;
    EXPECT_EQ(content, "keep");
    std::remove(path);
}

TEST(ComPortOpen, UnusableRateFailsWithCodeSevenAndReleasesTheDevice)
{
    TPty pty;
    TComPort port;
    port.SetPort(pty.SlavePath());
    port.SetBaudRate(brCustom);
    port.SetCustomBaudRate(0);
    try {
        port.Open();
        FAIL() << "opened with rate 0";
    } catch (const EComPortExt &e) {
        EXPECT_EQ(e.Code(), ceSetStateFailed);
        EXPECT_STREQ(e.what(), ("COM Port Error: SetCommState function failed on " + pty.SlavePath()).c_str());
    }
    EXPECT_FALSE(port.Connected());
    TComPort other;
    other.SetPort(pty.SlavePath());
    EXPECT_NO_THROW(other.Open());
}

TEST(ComPortClosed, OperationsRaisePortErrors)
{
    TComPort port;
    std::array<uint8_t, 4> buf{0, 0, 0, 0};
    auto codeOf = [](auto &&Operation) {
        try {
            Operation();
        } catch (const EComPort &e) {
            return int(e.Code());
        }
        return 0;
    };
    EXPECT_EQ(codeOf([&] { port.Read(buf.data(), 4); }), ceReadFailed);
    EXPECT_EQ(codeOf([&] { port.Write(buf.data(), 4); }), ceWriteFailed);
    EXPECT_EQ(codeOf([&] { port.ClearBuffer(true, true); }), cePurgeFailed);
    EXPECT_EQ(buf[0], 0);
}

} // namespace
