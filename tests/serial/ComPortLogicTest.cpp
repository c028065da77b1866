// The port's own logic against a scripted device: which settings reach the
// device and when, how device failures become port errors, and what state
// each failure leaves behind.

#include "CPort.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

namespace {

// Records what the port asks of it; each call can be made to fail.
struct TDeviceLog {
    std::vector<std::string> Opened;
    std::vector<TLineSettings> Lines;
    std::vector<TTimeoutSettings> Timeouts;
    std::vector<std::pair<int32_t, int32_t>> QueueSizes;
    int Closes = 0;
    int Releases = 0;
    TOsError FailOpen = 0, FailLine = 0, FailTimeouts = 0, FailQueues = 0, FailModem = 0, FailClose = 0;
    TOsError FailWrite = 0, FailRead = 0;
};

class TFakeDevice : public IComDevice {
public:
    explicit TFakeDevice(TDeviceLog &Log) : FLog(Log) {}
    TOsError Open(const std::string &Path) override
    {
        FLog.Opened.push_back(Path);
        if (FLog.FailOpen)
            return FLog.FailOpen;
        FOpen = true;
        return 0;
    }
    bool IsOpen() const override { return FOpen; }
    TOsError SetQueueSizes(int32_t In, int32_t Out) override
    {
        FLog.QueueSizes.emplace_back(In, Out);
        return FLog.FailQueues;
    }
    TOsError SetLine(const TLineSettings &s) override
    {
        FLog.Lines.push_back(s);
        return FLog.FailLine;
    }
    TOsError SetTimeouts(const TTimeoutSettings &t) override
    {
        FLog.Timeouts.push_back(t);
        return FLog.FailTimeouts;
    }
    TOsError QueryModemStatus() override { return FLog.FailModem; }
    TOsError Purge(bool, bool) override { return 0; }
    TTransfer Write(const void *, int32_t Count) override { return {FLog.FailWrite ? 0 : Count, FLog.FailWrite}; }
    TTransfer Read(void *, int32_t) override { return {0, FLog.FailRead}; }
    TOsError Close() override
    {
        ++FLog.Closes;
        if (FLog.FailClose)
            return FLog.FailClose;
        FOpen = false;
        return 0;
    }
    void Release() override
    {
        ++FLog.Releases;
        FOpen = false;
    }

private:
    TDeviceLog &FLog;
    bool FOpen = false;
};

class ComPortLogic : public ::testing::Test {
protected:
    TDeviceLog Log;
    std::unique_ptr<TComPort> Port = std::make_unique<TComPort>(std::make_unique<TFakeDevice>(Log));

    int CodeOf(void (TCustomComPort::*Operation)())
    {
        try {
            (Port.get()->*Operation)();
        } catch (const EComPort &e) {
            return e.Code();
        }
        return 0;
    }
};

TEST_F(ComPortLogic, DefaultsAsCreated)
{
    EXPECT_FALSE(Port->Connected());
    EXPECT_EQ(Port->Port(), "COM1");
    EXPECT_EQ(Port->BaudRate(), br9600);
    EXPECT_EQ(Port->CustomBaudRate(), 9600);
    EXPECT_EQ(Port->DataBits(), dbEight);
    EXPECT_EQ(Port->StopBits(), sbOneStopBit);
    EXPECT_EQ(Port->Events(), TComEvents::All());
    EXPECT_EQ(Port->Parity().Bits(), prNone);
    EXPECT_EQ(Port->FlowControl().XonChar(), 17);
    EXPECT_EQ(Port->FlowControl().XoffChar(), 19);
    EXPECT_EQ(Port->Buffer().InputSize(), 1024);
    EXPECT_EQ(Port->Timeouts().Values(), (TTimeoutSettings{-1, 0, 0, 100, 1000}));
    EXPECT_EQ(&Port->Timeouts().ComPort(), Port.get());
}

TEST_F(ComPortLogic, PollerConfigurationReachesTheDeviceAtOpen)
{
    Port->SetPort("COM3");
    Port->SetBaudRate(br9600);
    Port->Parity().SetBits(prOdd);
    Port->SetEvents(TComEvents{});
    Port->Timeouts().SetReadTotalConstant(200);
    EXPECT_TRUE(Log.Lines.empty()) << "a closed port only stores its settings";

    Port->Open();
    EXPECT_TRUE(Port->Connected());
    EXPECT_EQ(Log.Opened, std::vector<std::string>{ComDevicePath("COM3")});
    ASSERT_EQ(Log.Lines.size(), 1u);
    TLineSettings expected;
    expected.BaudRate = 9600;
    expected.Parity = prOdd;
    EXPECT_EQ(Log.Lines[0], expected);
    EXPECT_EQ(Log.Timeouts, std::vector<TTimeoutSettings>{(TTimeoutSettings{-1, 0, 200, 100, 1000})});
    EXPECT_EQ(Log.QueueSizes, (std::vector<std::pair<int32_t, int32_t>>{{1024, 1024}}));
}

TEST_F(ComPortLogic, ChangesOnAnOpenPortApplyTheirGroupOnlyWhenTheValueChanges)
{
    Port->Open();
    Port->SetBaudRate(br9600);
    Port->Parity().SetBits(prNone);
    Port->Timeouts().SetReadInterval(-1);
    Port->Buffer().SetInputSize(1025); // stored as 1024, unchanged
    EXPECT_EQ(Log.Lines.size(), 1u);
    EXPECT_EQ(Log.Timeouts.size(), 1u);
    EXPECT_EQ(Log.QueueSizes.size(), 1u);

    Port->SetBaudRate(br19200);
    Port->Parity().SetBits(prEven);
    Port->FlowControl().SetXonXoffIn(true);
    ASSERT_EQ(Log.Lines.size(), 4u);
    EXPECT_EQ(Log.Lines.back().BaudRate, 19200);
    EXPECT_EQ(Log.Lines.back().Parity, prEven);
    EXPECT_TRUE(Log.Lines.back().XonXoffIn);

    Port->Timeouts().SetReadTotalConstant(300);
    ASSERT_EQ(Log.Timeouts.size(), 2u);
    EXPECT_EQ(Log.Timeouts.back().ReadTotalConstant, 300);

    Port->Buffer().SetOutputSize(4097);
    EXPECT_EQ(Port->Buffer().OutputSize(), 4096);
    ASSERT_EQ(Log.QueueSizes.size(), 2u);
    EXPECT_EQ(Log.QueueSizes.back(), (std::pair<int32_t, int32_t>{1024, 4096}));
    EXPECT_EQ(Log.Lines.size(), 4u); // no group applies another's settings
}

TEST_F(ComPortLogic, CustomRateIsUsedOnlyWithBrCustom)
{
    Port->SetCustomBaudRate(31250);
    Port->Open();
    EXPECT_EQ(Log.Lines.back().BaudRate, 9600);
    Port->SetBaudRate(brCustom);
    EXPECT_EQ(Log.Lines.back().BaudRate, 31250);
}

TEST_F(ComPortLogic, PortRenameReopensOnlyAnOpenPort)
{
    Port->SetPort("ttyUSB0");
    EXPECT_TRUE(Log.Opened.empty());
    Port->Open();
    Port->SetPort("ttyUSB0");
    EXPECT_EQ(Log.Closes, 0);
    Port->SetPort("ttyACM1");
    EXPECT_EQ(Log.Closes, 1);
    EXPECT_EQ(Log.Opened, (std::vector<std::string>{ComDevicePath("ttyUSB0"), ComDevicePath("ttyACM1")}));
    EXPECT_TRUE(Port->Connected());
}

TEST_F(ComPortLogic, ConnectedPropertyOpensAndCloses)
{
    Port->SetConnected(true);
    EXPECT_TRUE(Port->Connected());
    Port->SetConnected(false);
    EXPECT_FALSE(Port->Connected());
    EXPECT_EQ(Log.Closes, 1);
}

TEST_F(ComPortLogic, RefusedSettingsDuringOpenReleaseTheDevice)
{
    struct TCase {
        TOsError TDeviceLog::*Failure;
        TComError Code;
    };
    for (const TCase c :
         {TCase{&TDeviceLog::FailQueues, ceSetupComFailed}, TCase{&TDeviceLog::FailLine, ceSetStateFailed},
          TCase{&TDeviceLog::FailTimeouts, ceSetTimeoutsFailed}}) {
        Log = TDeviceLog{};
        Log.*c.Failure = EINVAL;
        EXPECT_EQ(CodeOf(&TCustomComPort::Open), c.Code);
        EXPECT_FALSE(Port->Connected());
        EXPECT_EQ(Log.Releases, 1);
    }
}

TEST_F(ComPortLogic, ModemStatusFailureLeavesThePortOpenForTheCallerToClose)
{
    Log.FailModem = EIO;
    EXPECT_EQ(CodeOf(&TCustomComPort::Open), ceModemStatusFailed);
    EXPECT_TRUE(Port->Connected());
    Port->Close();
    EXPECT_FALSE(Port->Connected());
}

TEST_F(ComPortLogic, FailedAbortKeepsThePortOpenButDestructionReleasesIt)
{
    Port->Open();
    Log.FailClose = EPERM;
    EXPECT_EQ(CodeOf(&TCustomComPort::Close), cePurgeFailed);
    EXPECT_TRUE(Port->Connected());
    EXPECT_NO_THROW(Port.reset());
    EXPECT_EQ(Log.Releases, 1);
}

// The message is what the operator reads in the link's tooltip: the step
// that failed and the port, with the system's error kept beside it.
TEST_F(ComPortLogic, EachFailureNamesItsStepAndThePort)
{
    struct TCase {
        TOsError TDeviceLog::*Failure;
        TOsError Error;
        bool OpenFirst;
        void (*Operation)(TComPort &);
        const char *Message;
    };
    const auto open = [](TComPort &Port) { Port.Open(); };
    const auto close = [](TComPort &Port) { Port.Close(); };
    const auto write = [](TComPort &Port) { Port.Write("x", 1); };
    const auto read = [](TComPort &Port) {
        char c;
        Port.Read(&c, 1);
    };
    const TCase cases[] = {
        {&TDeviceLog::FailOpen, ENOENT, false, open, "COM Port Error: Unable to open com port on ttyUSB0"},
        {&TDeviceLog::FailQueues, EIO, false, open, "COM Port Error: SetupComm function failed on ttyUSB0"},
        {&TDeviceLog::FailLine, EINVAL, false, open, "COM Port Error: SetCommState function failed on ttyUSB0"},
        {&TDeviceLog::FailTimeouts, EIO, false, open, "COM Port Error: SetCommTimeouts failed on ttyUSB0"},
        {&TDeviceLog::FailModem, EIO, false, open, "COM Port Error: GetCommModemStatus function failed on ttyUSB0"},
        {&TDeviceLog::FailClose, EPERM, true, close, "COM Port Error: PurgeComm function failed on ttyUSB0"},
        {&TDeviceLog::FailWrite, EIO, true, write, "COM Port Error: WriteFile function failed on ttyUSB0"},
        {&TDeviceLog::FailRead, ENXIO, true, read, "COM Port Error: ReadFile function failed on ttyUSB0"},
    };
    for (const TCase &c : cases) {
        Log = TDeviceLog{};
        TComPort port(std::make_unique<TFakeDevice>(Log));
        port.SetPort("ttyUSB0");
        if (c.OpenFirst)
            port.Open();
        Log.*c.Failure = c.Error;
        testing::internal::CaptureStderr(); // a failed open is reported there too
        try {
            c.Operation(port);
            ADD_FAILURE() << c.Message << ": no error";
        } catch (const EComPortExt &e) {
            EXPECT_STREQ(e.what(), c.Message);
            EXPECT_EQ(e.WinCode(), uint32_t(c.Error)) << c.Message;
        }
        testing::internal::GetCapturedStderr();
    }
}

TEST_F(ComPortLogic, MissingBufferIsAnInvalidParameter)
{
    Port->Open();
    try {
        Port->Read(nullptr, 4);
        FAIL();
    } catch (const EComPortExt &) {
        FAIL() << "no operating-system error is involved";
    } catch (const EComPort &e) {
        EXPECT_EQ(e.Code(), ceInvalidAsync);
        EXPECT_STREQ(e.what(), "COM1 Error: Invalid Async parameter");
    }
    EXPECT_EQ(Port->Read(nullptr, 0), 0);
    EXPECT_EQ(Port->Write(nullptr, 0), 0);
}

} // namespace
