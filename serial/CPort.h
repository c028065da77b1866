#pragma once

#include "CPortTypes.h"
#include "ComDevice.h"
#include "ComLine.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

// A serial port: opens one device for exclusive use, configures the line and
// reads and writes under time-outs. Failures raise EComPort/EComPortExt with a
// TComError code and its ComErrorText; a read or write that times out is no
// failure.
//
// Typical use, one object per polling run:
//     TComPort port;
//     port.SetPort("COM1");            // or "ttyUSB0", or a path such as "/dev/pts/3"
//     port.SetBaudRate(br9600);
//     port.Parity().SetBits(prOdd);
//     port.SetEvents(TComEvents{});
//     port.Timeouts().SetReadTotalConstant(200);
//     port.Open();
//     ... ClearBuffer / Write / Read ...
//     port.Close();
//
// Thread safety. Nothing in this file is synchronised: a port has no lock
// and starts no thread of its own (line events are not watched), and it never
// calls back into its user. A port object, together with its settings groups
// (Parity(), Timeouts(), ...), belongs to one thread at a time; its calls must
// not overlap, and handing it to another thread needs a synchronisation of
// the caller's (the poller configures its port before starting the polling
// thread, which from then on alone opens, uses and closes it, and destroys it
// only after that thread has ended). In particular, no call of one thread can
// cut short a Read or Write that blocks in another: Close from a second thread
// is not allowed; the blocked call ends by its own time-out. Separate port
// objects share no state and may be used from different threads at once; two
// of them on the same device do not both open it, as the device is opened for
// exclusive use. ComErrorText and the error objects EComPort/EComPortExt hold
// no shared state and may be used from any thread.

// A port error without an operating-system cause.
class EComPort : public std::runtime_error {
public:
    EComPort(uint8_t Code, const std::string &Message) : std::runtime_error(Message), FCode(Code) {}
    uint8_t Code() const noexcept { return FCode; }

private:
    uint8_t FCode;
};

// A port error caused by a failed platform call; WinCode is that call's error.
class EComPortExt : public EComPort {
public:
    EComPortExt(uint8_t Code, uint32_t WinCode, const std::string &Message) : EComPort(Code, Message), FWinCode(WinCode)
    {
    }
    uint32_t WinCode() const noexcept { return FWinCode; }

private:
    uint32_t FWinCode;
};

// The device could not be opened (code 1); Failure says why and, for a busy
// port, who holds it.
class EComPortOpen : public EComPortExt {
public:
    EComPortOpen(uint32_t WinCode, const std::string &Message, TPortOpenFailure Failure)
        : EComPortExt(ceOpenFailed, WinCode, Message), FFailure(std::move(Failure))
    {
    }
    const TPortOpenFailure &Failure() const noexcept { return FFailure; }

private:
    TPortOpenFailure FFailure;
};

class TCustomComPort;

// Settings groups. Each belongs to one port; changing a value on an open port
// applies the group's settings to the device at once, and assigning the value
// a property already holds does nothing.
class TComSettingsGroup {
public:
    TComSettingsGroup(const TComSettingsGroup &) = delete;
    TComSettingsGroup &operator=(const TComSettingsGroup &) = delete;

    TCustomComPort &ComPort() const { return FComPort; }

protected:
    explicit TComSettingsGroup(TCustomComPort &ComPort) : FComPort(ComPort) {}
    ~TComSettingsGroup() = default;

    template <typename T>
    void Set(T &Field, T Value)
    {
        if (Field == Value)
            return;
        Field = Value;
        Apply();
    }
    // Hands the group's settings to the port (which does nothing while closed).
    virtual void Apply() = 0;

    TCustomComPort &FComPort;
};

class TComTimeouts : public TComSettingsGroup {
public:
    explicit TComTimeouts(TCustomComPort &ComPort) : TComSettingsGroup(ComPort) {}

    int32_t ReadInterval() const { return FValues.ReadInterval; }
    int32_t ReadTotalMultiplier() const { return FValues.ReadTotalMultiplier; }
    int32_t ReadTotalConstant() const { return FValues.ReadTotalConstant; }
    int32_t WriteTotalMultiplier() const { return FValues.WriteTotalMultiplier; }
    int32_t WriteTotalConstant() const { return FValues.WriteTotalConstant; }
    void SetReadInterval(int32_t Value) { Set(FValues.ReadInterval, Value); }
    void SetReadTotalMultiplier(int32_t Value) { Set(FValues.ReadTotalMultiplier, Value); }
    void SetReadTotalConstant(int32_t Value) { Set(FValues.ReadTotalConstant, Value); }
    void SetWriteTotalMultiplier(int32_t Value) { Set(FValues.WriteTotalMultiplier, Value); }
    void SetWriteTotalConstant(int32_t Value) { Set(FValues.WriteTotalConstant, Value); }

    const TTimeoutSettings &Values() const { return FValues; }

private:
    void Apply() override;
    TTimeoutSettings FValues;
};

class TComParity : public TComSettingsGroup {
public:
    explicit TComParity(TCustomComPort &ComPort) : TComSettingsGroup(ComPort) {}

    TParityBits Bits() const { return FBits; }
    bool Check() const { return FCheck; }
    bool Replace() const { return FReplace; }
    uint8_t ReplaceChar() const { return FReplaceChar; }
    void SetBits(TParityBits Value) { Set(FBits, Value); }
    void SetCheck(bool Value) { Set(FCheck, Value); }
    void SetReplace(bool Value) { Set(FReplace, Value); }
    void SetReplaceChar(uint8_t Value) { Set(FReplaceChar, Value); }

private:
    void Apply() override;
    TParityBits FBits = prNone;
    bool FCheck = false;
    bool FReplace = false;
    uint8_t FReplaceChar = 0;
};

class TComFlowControl : public TComSettingsGroup {
public:
    explicit TComFlowControl(TCustomComPort &ComPort) : TComSettingsGroup(ComPort) {}

    bool OutCTSFlow() const { return FOutCTSFlow; }
    bool OutDSRFlow() const { return FOutDSRFlow; }
    TDTRFlowControl ControlDTR() const { return FControlDTR; }
    TRTSFlowControl ControlRTS() const { return FControlRTS; }
    bool XonXoffOut() const { return FXonXoffOut; }
    bool XonXoffIn() const { return FXonXoffIn; }
    bool DSRSensitivity() const { return FDSRSensitivity; }
    bool TxContinueOnXoff() const { return FTxContinueOnXoff; }
    uint8_t XonChar() const { return FXonChar; }
    uint8_t XoffChar() const { return FXoffChar; }
    void SetOutCTSFlow(bool Value) { Set(FOutCTSFlow, Value); }
    void SetOutDSRFlow(bool Value) { Set(FOutDSRFlow, Value); }
    void SetControlDTR(TDTRFlowControl Value) { Set(FControlDTR, Value); }
    void SetControlRTS(TRTSFlowControl Value) { Set(FControlRTS, Value); }
    void SetXonXoffOut(bool Value) { Set(FXonXoffOut, Value); }
    void SetXonXoffIn(bool Value) { Set(FXonXoffIn, Value); }
    void SetDSRSensitivity(bool Value) { Set(FDSRSensitivity, Value); }
    void SetTxContinueOnXoff(bool Value) { Set(FTxContinueOnXoff, Value); }
    void SetXonChar(uint8_t Value) { Set(FXonChar, Value); }
    void SetXoffChar(uint8_t Value) { Set(FXoffChar, Value); }

private:
    void Apply() override;
    bool FOutCTSFlow = false;
    bool FOutDSRFlow = false;
    TDTRFlowControl FControlDTR = dtrDisable;
    TRTSFlowControl FControlRTS = rtsDisable;
    bool FXonXoffOut = false;
    bool FXonXoffIn = false;
    bool FDSRSensitivity = false;
    bool FTxContinueOnXoff = false;
    uint8_t FXonChar = 17;
    uint8_t FXoffChar = 19;
};

class TComBuffer : public TComSettingsGroup {
public:
    explicit TComBuffer(TCustomComPort &ComPort) : TComSettingsGroup(ComPort) {}

    int32_t InputSize() const { return FInputSize; }
    int32_t OutputSize() const { return FOutputSize; }
    // A positive odd size is stored as the even number below it.
    void SetInputSize(int32_t Value) { Set(FInputSize, EvenSize(Value)); }
    void SetOutputSize(int32_t Value) { Set(FOutputSize, EvenSize(Value)); }

private:
    // Queue sizes go to the driver in whole pairs of bytes.
    static int32_t EvenSize(int32_t Value) { return Value > 0 && Value % 2 != 0 ? Value - 1 : Value; }
    void Apply() override;
    int32_t FInputSize = 1024;
    int32_t FOutputSize = 1024;
};

// Holds the state and operations of a port; TComPort makes its properties
// public. One thread at a time (see "Thread safety" above).
class TCustomComPort : public IComLine {
public:
    // A closed port on this platform's device layer.
    TCustomComPort();
    // A closed port on the given device layer (another platform, or a test).
    explicit TCustomComPort(std::unique_ptr<IComDevice> Device);
    TCustomComPort(const TCustomComPort &) = delete;
    TCustomComPort &operator=(const TCustomComPort &) = delete;
    // Closes the port; no error escapes, and the device is released regardless.
    ~TCustomComPort() override;

    // Opens the device and applies all settings; nothing when already open.
    void Open();
    // Discards pending I/O and releases the device; nothing when closed.
    void Close();
    void ClearBuffer(bool Input, bool Output) override;
    int32_t Write(const void *Buffer, int32_t Count) override;
    int32_t Read(void *Buffer, int32_t Count) override;

    static std::string ComErrorText(int Code);

protected:
    // Properties; TComPort makes them public.
    bool Connected() const { return FConnected; }
    void SetConnected(bool Value);
    const std::string &Port() const { return FPort; }
    // A different name on an open port closes it and opens the new one.
    void SetPort(const std::string &Value);
    TBaudRate BaudRate() const { return FBaudRate; }
    void SetBaudRate(TBaudRate Value);
    int32_t CustomBaudRate() const { return FCustomBaudRate; }
    void SetCustomBaudRate(int32_t Value);
    TDataBits DataBits() const { return FDataBits; }
    void SetDataBits(TDataBits Value);
    TStopBits StopBits() const { return FStopBits; }
    void SetStopBits(TStopBits Value);
    bool DiscardNull() const { return FDiscardNull; }
    void SetDiscardNull(bool Value);
    uint8_t EventChar() const { return FEventChar; }
    void SetEventChar(uint8_t Value);
    // Line events are only stored: this port watches none, so an empty set
    // and the default full set behave alike.
    TComEvents Events() const { return FEvents; }
    void SetEvents(TComEvents Value) { FEvents = Value; }
    TComParity &Parity() { return FParity; }
    TComFlowControl &FlowControl() { return FFlowControl; }
    TComTimeouts &Timeouts() { return FTimeouts; }
    TComBuffer &Buffer() { return FBuffer; }

    // The settings as handed to the device.
    TLineSettings LineSettings() const;

    // Overridable steps of Open and Close.
    virtual void CreateHandle();
    virtual void DestroyHandle();
    virtual void ApplySettings();
    // Each does nothing while the port is closed.
    virtual void ApplyLineSettings();
    virtual void ApplyTimeouts();
    virtual void ApplyQueueSizes();

    [[noreturn]] void RaiseError(TComError Code, int32_t OsError) const;

private:
    friend class TComTimeouts;
    friend class TComParity;
    friend class TComFlowControl;
    friend class TComBuffer;

    template <typename T>
    void SetLineField(T &Field, T Value);

    std::unique_ptr<IComDevice> FDevice;
    bool FConnected = false;
    std::string FPort = "COM1";
    TBaudRate FBaudRate = br9600;
    int32_t FCustomBaudRate = 9600;
    TDataBits FDataBits = dbEight;
    TStopBits FStopBits = sbOneStopBit;
    bool FDiscardNull = false;
    uint8_t FEventChar = 0;
    TComEvents FEvents = TComEvents::All();
    TComParity FParity{*this};
    TComFlowControl FFlowControl{*this};
    TComTimeouts FTimeouts{*this};
    TComBuffer FBuffer{*this};
};

class TComPort : public TCustomComPort {
public:
    using TCustomComPort::TCustomComPort;

    using TCustomComPort::BaudRate;
    using TCustomComPort::Buffer;
    using TCustomComPort::Connected;
    using TCustomComPort::CustomBaudRate;
    using TCustomComPort::DataBits;
    using TCustomComPort::DiscardNull;
    using TCustomComPort::EventChar;
    using TCustomComPort::Events;
    using TCustomComPort::FlowControl;
    using TCustomComPort::Parity;
    using TCustomComPort::Port;
    using TCustomComPort::SetBaudRate;
    using TCustomComPort::SetConnected;
    using TCustomComPort::SetCustomBaudRate;
    using TCustomComPort::SetDataBits;
    using TCustomComPort::SetDiscardNull;
    using TCustomComPort::SetEventChar;
    using TCustomComPort::SetEvents;
    using TCustomComPort::SetPort;
    using TCustomComPort::SetStopBits;
    using TCustomComPort::StopBits;
    using TCustomComPort::Timeouts;
};
