#pragma once

#include "CPortTypes.h"
#include "PortOpenFailure.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

// The platform side of a serial port: one open device and the few things the
// port does with it. The port turns its properties into the plain records
// below, calls the device, and maps each failure to its own error code, so
// the port's logic is the same on every platform and can be tested against a
// fake device.

// Everything that shapes the character format, flow control and modem lines.
struct TLineSettings {
    int32_t BaudRate = 9600; // bits per second, already resolved from TBaudRate
    TDataBits DataBits = dbEight;
    TStopBits StopBits = sbOneStopBit;
    TParityBits Parity = prNone;
    bool ParityCheck = false;
    bool ParityReplace = false;
    uint8_t ReplaceChar = 0;
    bool OutCTSFlow = false;
    bool OutDSRFlow = false;
    TDTRFlowControl ControlDTR = dtrDisable;
    TRTSFlowControl ControlRTS = rtsDisable;
    bool XonXoffOut = false;
    bool XonXoffIn = false;
    bool DSRSensitivity = false;
    bool TxContinueOnXoff = false;
    uint8_t XonChar = 17;
    uint8_t XoffChar = 19;
    bool DiscardNull = false;
    uint8_t EventChar = 0;
    bool operator==(const TLineSettings &) const = default;
};

// Time-outs in milliseconds as the port's properties hold them; -1 stands for
// "all ones" (MAXDWORD), exactly as a Windows station's settings mean it.
struct TTimeoutSettings {
    int32_t ReadInterval = -1;
    int32_t ReadTotalMultiplier = 0;
    int32_t ReadTotalConstant = 0;
    int32_t WriteTotalMultiplier = 100;
    int32_t WriteTotalConstant = 1000;
    bool operator==(const TTimeoutSettings &) const = default;
};

// Outcome of a device call: 0 for success, else the operating-system error.
using TOsError = int32_t;

// Outcome of a read or a write: bytes moved, and the error that ended it.
struct TTransfer {
    int32_t Count = 0;
    TOsError Error = 0;
    // Set when the error came from the driver's queue query after a read
    // (ClearCommError) rather than from the read itself.
    bool QueueQueryFailed = false;
};

class IComDevice {
public:
    virtual ~IComDevice() = default;

    virtual TOsError Open(const std::string &DevicePath) = 0;
    // After an Open that failed because another program holds the device:
    // that program, when it could be found.
    virtual std::optional<TPortHolder> BusyHolder() const { return std::nullopt; }
    // After an Open that failed as busy: see TPortOpenFailure::ExclusiveLeftBehind.
    virtual bool ExclusiveLeftBehind() const { return false; }
    virtual bool IsOpen() const = 0;
    virtual TOsError SetQueueSizes(int32_t InputSize, int32_t OutputSize) = 0;
    virtual TOsError SetLine(const TLineSettings &Settings) = 0;
    virtual TOsError SetTimeouts(const TTimeoutSettings &Timeouts) = 0;
    // Reads the modem-status lines; a device without modem lines reports
    // them as off rather than failing.
    virtual TOsError QueryModemStatus() = 0;
    virtual TOsError Purge(bool Input, bool Output) = 0;
    // Both follow the time-out contract of the settings last given.
    virtual TTransfer Write(const void *Buffer, int32_t Count) = 0;
    virtual TTransfer Read(void *Buffer, int32_t Count) = 0;
    // Discards pending I/O, then releases the device. When the discard fails
    // for a reason other than the device being gone, the device stays open.
    virtual TOsError Close() = 0;
    // Releases the device whatever state it is in.
    virtual void Release() = 0;
};

// The device path that a port name stands for on this platform. The one place
// where names from a Windows station ("COM1") meet the local device names.
std::string ComDevicePath(const std::string &Port);

// Where a failed open is reported.
void ComDebugOutput(const std::string &Line);

// The error that a read, write or purge on a port that is not open reports
// (EBADF, ERROR_INVALID_HANDLE).
TOsError NotOpenError();

// A device for this platform, closed. On POSIX, besides its own locks it
// honours the UUCP lock files in Paths.LockDir and refuses a device that
// another process has open (found under Paths.ProcRoot); on Windows the
// device is opened with no sharing, and Paths mean nothing.
std::unique_ptr<IComDevice> CreateComDevice(const TSerialSystemPaths &Paths = {});
