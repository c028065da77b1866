#include "FixMeas.h"

#include "CPort.h"
#include "SerialPortList.h"

namespace {

// The serial port as a polling run uses it, set up for the analyzer's line.
class TComPollPort final : public IPollPort {
public:
    explicit TComPollPort(const QString &PortName) : FPortName(PortName.toStdString())
    {
        FPort.SetPort(PortName.toStdString());
        FPort.SetBaudRate(br9600);
        FPort.Parity().SetBits(prOdd);
        FPort.SetEvents(TComEvents{});
        FPort.Timeouts().SetReadTotalConstant(200);
    }

    void Open() override { FPort.Open(); }
    void Close() override { FPort.Close(); }
    // The device node (or the link that names it) is gone once the adapter
    // is unplugged or the far end of a pseudo-terminal has closed.
    bool Present() const override { return SerialPortPresent(FPortName); }
    void ClearBuffer(bool Input, bool Output) override { FPort.ClearBuffer(Input, Output); }
    int32_t Write(const void *Buffer, int32_t Count) override { return FPort.Write(Buffer, Count); }
    int32_t Read(void *Buffer, int32_t Count) override { return FPort.Read(Buffer, Count); }

private:
    std::string FPortName;
    TComPort FPort;
};

} // namespace

std::unique_ptr<IPollPort> CreatePollComPort(const QString &PortName)
{
    return std::make_unique<TComPollPort>(PortName);
}
