// Windows only: the port over a null-modem pair of COM ports (com0com on a
// station's PC; under Wine, two pseudo-terminals linked by socat and mapped
// to COM ports by scripts/test --windows), the port list from the registry,
// and the exchange with the analyzer emulator on a COM port. The pair and
// the ports come from the environment the harness sets; without it these
// tests are skipped and say why.

#include "AnalyzerProtocol.h"
#include "CPort.h"
#include "SerialPortList.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono;
using TClock = steady_clock;

long ElapsedMs(TClock::time_point Since)
{
    return static_cast<long>(duration_cast<milliseconds>(TClock::now() - Since).count());
}

// Wine's serial reads wait for the whole count or the total time-out even
// when bytes are already waiting (an interval of all ones is not honoured).
bool UnderWine()
{
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

std::string Env(const char *Name)
{
    const char *v = std::getenv(Name);
    return v ? v : "";
}

// NIVARA_TEST_NULL_MODEM="COM8,COM9": the port under test, and its far end.
std::vector<std::string> NullModemPair()
{
    return SplitPortNames(Env("NIVARA_TEST_NULL_MODEM"));
}

void ConfigureForPolling(TComPort &Port, const std::string &Name)
{
    Port.SetPort(Name);
    Port.SetBaudRate(br9600);
    Port.Parity().SetBits(prOdd);
    Port.SetEvents(TComEvents{});
    Port.Timeouts().SetReadTotalConstant(200);
}

// The far end, played by the test with plain synchronous calls.
class TFarEnd {
public:
    explicit TFarEnd(const std::string &Name)
    {
        FHandle = CreateFileA(("\\\\.\\" + Name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
        if (FHandle == INVALID_HANDLE_VALUE)
            return;
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        GetCommState(FHandle, &dcb);
        dcb.BaudRate = 9600;
        dcb.ByteSize = 8;
        dcb.Parity = ODDPARITY;
        dcb.StopBits = ONESTOPBIT;
        dcb.fBinary = 1;
        SetCommState(FHandle, &dcb);
        COMMTIMEOUTS t{MAXDWORD, 0, 0, 0, 0}; // reads return what is there
        SetCommTimeouts(FHandle, &t);
        PurgeComm(FHandle, PURGE_RXCLEAR | PURGE_TXCLEAR);
    }
    ~TFarEnd()
    {
        if (FHandle != INVALID_HANDLE_VALUE)
            CloseHandle(FHandle);
    }
    bool IsOpen() const { return FHandle != INVALID_HANDLE_VALUE; }
    void Send(const std::vector<uint8_t> &Bytes) const
    {
        DWORD n = 0;
        WriteFile(FHandle, Bytes.data(), static_cast<DWORD>(Bytes.size()), &n, nullptr);
    }
    void SendAndSettle(const std::vector<uint8_t> &Bytes) const
    {
        Send(Bytes);
        std::this_thread::sleep_for(milliseconds(150));
    }
    std::vector<uint8_t> Receive(int QuietMs = 300) const
    {
        std::vector<uint8_t> out;
        auto last = TClock::now();
        while (ElapsedMs(last) < QuietMs) {
            uint8_t buf[256];
            DWORD n = 0;
            if (ReadFile(FHandle, buf, sizeof buf, &n, nullptr) && n > 0) {
                out.insert(out.end(), buf, buf + n);
                last = TClock::now();
            } else {
                std::this_thread::sleep_for(milliseconds(10));
            }
        }
        return out;
    }

private:
    HANDLE FHandle = INVALID_HANDLE_VALUE;
};

class ComPortOnNullModem : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::vector<std::string> pair = NullModemPair();
        if (pair.size() != 2)
            GTEST_SKIP() << "NIVARA_TEST_NULL_MODEM (\"COMa,COMb\") is not set; scripts/test --windows sets it";
        FFar = std::make_unique<TFarEnd>(pair[1]);
        ASSERT_TRUE(FFar->IsOpen()) << pair[1];
        ConfigureForPolling(FPort, pair[0]);
        FPort.Open();
        ASSERT_TRUE(FPort.Connected());
    }
    std::unique_ptr<TFarEnd> FFar;
    TComPort FPort;
};

constexpr int32_t LongTimeoutMs = 3000;
constexpr long WellBeforeItMs = 1500;

TEST_F(ComPortOnNullModem, ReadWithNothingArrivingTimesOutWithZeroAndMarker)
{
    std::array<uint8_t, 4> buf{0x11, 0x22, 0x33, 0x44};
    const auto start = TClock::now();
    EXPECT_EQ(FPort.Read(buf.data(), 4), 0);
    const long ms = ElapsedMs(start);
    EXPECT_GE(ms, 150);
    EXPECT_LT(ms, 2000);
    EXPECT_EQ(buf[0], 0xFF);
    EXPECT_EQ(buf[1], 0x22);
}

TEST_F(ComPortOnNullModem, BytesAlreadyWaitingReturnAtOnce)
{
    if (UnderWine())
        GTEST_SKIP() << "Wine waits for the count or the total time-out even with bytes waiting";
    FPort.Timeouts().SetReadTotalConstant(LongTimeoutMs);
    FFar->SendAndSettle({0xA1, 0xA2});
    std::array<uint8_t, 4> buf{};
    const auto start = TClock::now();
    EXPECT_EQ(FPort.Read(buf.data(), 4), 2);
    EXPECT_LT(ElapsedMs(start), WellBeforeItMs);
    EXPECT_EQ(buf[0], 0xA1);
    EXPECT_EQ(buf[1], 0xA2);
}

TEST_F(ComPortOnNullModem, ReadReturnsAsSoonAsTheCountIsInAndFewerAfterTheTimeOut)
{
    FPort.Timeouts().SetReadTotalConstant(LongTimeoutMs);
    std::thread farEnd([&] {
        std::this_thread::sleep_for(milliseconds(40));
        FFar->Send({1, 2, 3, 4, 5, 6});
    });
    std::array<uint8_t, 4> buf{};
    auto start = TClock::now();
    EXPECT_EQ(FPort.Read(buf.data(), 4), 4);
    EXPECT_LT(ElapsedMs(start), WellBeforeItMs);
    farEnd.join();
    EXPECT_EQ(buf, (std::array<uint8_t, 4>{1, 2, 3, 4}));

    // The surplus stays queued; then 2 bytes into a 4-byte read end with the time-out.
    FPort.Timeouts().SetReadTotalConstant(200);
    std::this_thread::sleep_for(milliseconds(100));
    EXPECT_EQ(FPort.Read(buf.data(), 4), 2);
    EXPECT_EQ(buf[0], 5);
    std::thread late([&] {
        std::this_thread::sleep_for(milliseconds(40));
        FFar->Send({7, 8});
    });
    start = TClock::now();
    EXPECT_EQ(FPort.Read(buf.data(), 4), 2);
    const long ms = ElapsedMs(start);
    late.join();
    EXPECT_GE(ms, 150);
    EXPECT_LT(ms, 2000);
}

TEST_F(ComPortOnNullModem, ClearBufferDiscardsEarlierBytesAndWriteSendsTheBlock)
{
    FFar->SendAndSettle({9, 9, 9});
    FPort.ClearBuffer(true, true);
    std::array<uint8_t, 4> buf{};
    EXPECT_EQ(FPort.Read(buf.data(), 4), 0);

    const std::vector<uint8_t> frame{0x01, 0x02, 0x03, 0x04, 0x05};
    EXPECT_EQ(FPort.Write(frame.data(), 5), 5);
    EXPECT_EQ(FFar->Receive(), frame);
}

TEST_F(ComPortOnNullModem, SecondOpenIsRefusedAsBusyAndTheFirstGoesOn)
{
    if (UnderWine())
        GTEST_SKIP() << "Wine opens a COM port twice whatever the share mode";
    TComPort second;
    ConfigureForPolling(second, NullModemPair()[0]);
    try {
        second.Open();
        FAIL() << "opened twice";
    } catch (const EComPortOpen &e) {
        EXPECT_EQ(e.Code(), ceOpenFailed);
        EXPECT_EQ(e.Failure().Kind, TPortFailureKind::Busy) << e.WinCode();
    }
    EXPECT_FALSE(second.Connected());
    FFar->SendAndSettle({0x42});
    std::array<uint8_t, 1> buf{};
    EXPECT_EQ(FPort.Read(buf.data(), 1), 1);
    // Closed, the device is free for the next run.
    FPort.Close();
    EXPECT_NO_THROW(second.Open());
}

TEST(ComPortWin32, MissingPortRaisesCodeOneWithItsMessageAndStaysClosed)
{
    TComPort port;
    ConfigureForPolling(port, "COM231");
    try {
        port.Open();
        FAIL() << "opened a port that is not there";
    } catch (const EComPortOpen &e) {
        EXPECT_EQ(e.Code(), ceOpenFailed);
        EXPECT_STREQ(e.what(), "COM Port Error: Unable to open com port on COM231");
        EXPECT_EQ(e.Failure().DevicePath, "\\\\.\\COM231");
        EXPECT_EQ(e.Failure().Kind, TPortFailureKind::NoDevice) << e.WinCode();
        EXPECT_FALSE(OsErrorText(static_cast<int>(e.WinCode())).empty());
    }
    EXPECT_FALSE(port.Connected());
    EXPECT_NO_THROW(port.Close());
    EXPECT_FALSE(SerialPortPresent("COM231"));
}

// NIVARA_TEST_PORTS: the COM ports the harness mapped; the registry lists
// them, sorted, and each is present.
TEST(SerialPortListWin32, TheRegistryListsTheMappedPortsInOrder)
{
    const std::vector<std::string> mapped = SplitPortNames(Env("NIVARA_TEST_PORTS"));
    if (mapped.empty())
        GTEST_SKIP() << "NIVARA_TEST_PORTS is not set; scripts/test --windows sets it";
    const std::vector<std::string> listed = SplitPortNames(GetSerialPortNames());
    EXPECT_EQ(listed, SortedPortNames(listed));
    for (const std::string &port : mapped) {
        EXPECT_NE(std::find(listed.begin(), listed.end(), port), listed.end())
            << port << " in " << GetSerialPortNames();
        EXPECT_TRUE(SerialPortPresent(port)) << port;
    }
    const std::vector<TSerialPortInfo> ports = ListSerialPorts();
    ASSERT_EQ(ports.size(), listed.size());
    for (const TSerialPortInfo &info : ports)
        EXPECT_FALSE(info.Device.empty()) << info.Name; // the registry value, e.g. \Device\Serial0
}

// NIVARA_TEST_ANALYZER: the COM port of the analyzer emulator (default
// configuration: device 1, four values 20, 3.45, 8.5, 1028).
TEST(ComPortWithAnalyzerOnCom, SampleExchange)
{
    const std::string port = Env("NIVARA_TEST_ANALYZER");
    if (port.empty())
        GTEST_SKIP() << "NIVARA_TEST_ANALYZER is not set; scripts/test --windows sets it";
    TComPort com;
    ConfigureForPolling(com, port);
    com.Open();
    const AnalyzerProtocol::TAddress device1 = AnalyzerProtocol::AddressBytes(1);
    AnalyzerProtocol::TRxBuffer rx;
    const auto start = TClock::now();
    const AnalyzerProtocol::TFetchOutcome out = AnalyzerProtocol::FetchResult(com, device1, rx);
    const long ms = ElapsedMs(start);
    ASSERT_TRUE(out.Accepted);
    EXPECT_EQ(out.Length, 38);
    EXPECT_GE(ms, 150);
    EXPECT_LT(ms, 3000);
    const AnalyzerProtocol::TDecodedReply d = AnalyzerProtocol::DecodeReply(rx, 4);
    EXPECT_EQ(d.GroupNumber, 1);
    EXPECT_EQ(d.Values[0].ToDouble(), 20.0);
    EXPECT_EQ(d.Values[2].ToDouble(), 8.5);
    EXPECT_EQ(d.Values[3].ToDouble(), 1028.0);
    EXPECT_TRUE(AnalyzerProtocol::AckResult(com, device1));
}

} // namespace

namespace {

TEST(ComDevicePath, IsTheNameBehindTheDevicePrefix)
{
    for (const char *name : {"COM1", "COM10", "com3", "CNCA0"})
        EXPECT_EQ(ComDevicePath(name), std::string("\\\\.\\") + name);
}

} // namespace
