// The serial device on Windows: the communications functions on a handle
// opened for overlapped I/O. The driver itself keeps the read and write
// time-outs, so each read or write is one overlapped call whose completion
// is waited for without a limit; the time-outs end it.

#include "ComDevice.h"

#include <windows.h>

namespace {

// Errors of a device that has gone away (a USB adapter pulled out): every
// further call on the handle fails, so a read refused with one of them is a
// failure, not an empty read.
bool DeviceGone(DWORD Error)
{
    switch (Error) {
    case ERROR_BAD_COMMAND:
    case ERROR_DEVICE_REMOVED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_GEN_FAILURE:
    case ERROR_INVALID_HANDLE:
    case ERROR_ACCESS_DENIED:
    case ERROR_FILE_NOT_FOUND: return true;
    default: return false;
    }
}

TOsError LastError()
{
    const DWORD e = GetLastError();
    return e ? static_cast<TOsError>(e) : static_cast<TOsError>(ERROR_GEN_FAILURE);
}

// One read or write in flight: its overlapped block and its event (manual
// reset, created signalled), released when the operation ends in any way.
class TOperation {
public:
    TOperation() { FOverlapped.hEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr); }
    ~TOperation()
    {
        if (FOverlapped.hEvent)
            CloseHandle(FOverlapped.hEvent);
    }
    TOperation(const TOperation &) = delete;
    TOperation &operator=(const TOperation &) = delete;

    bool Ready() const { return FOverlapped.hEvent != nullptr; }
    OVERLAPPED *Block() { return &FOverlapped; }

    // Waits for the operation started on Handle; the bytes moved, or an error.
    TTransfer Finish(HANDLE Handle)
    {
        if (WaitForSingleObject(FOverlapped.hEvent, INFINITE) != WAIT_OBJECT_0)
            return {0, LastError()};
        DWORD moved = 0;
        if (GetOverlappedResult(Handle, &FOverlapped, &moved, FALSE))
            return {static_cast<int32_t>(moved), 0};
        // A time-out completes the operation with STATUS_TIMEOUT, a success
        // status that Windows reports as success; Wine reports it as
        // ERROR_TIMEOUT. Either way it is the time-out contract's end.
        if (GetLastError() == ERROR_TIMEOUT)
            return {static_cast<int32_t>(FOverlapped.InternalHigh), 0};
        return {0, LastError()};
    }

private:
    OVERLAPPED FOverlapped{};
};

class TWin32ComDevice final : public IComDevice {
public:
    ~TWin32ComDevice() override { Release(); }

    TOsError Open(const std::string &DevicePath) override;
    bool IsOpen() const override { return FHandle != INVALID_HANDLE_VALUE; }
    TOsError SetQueueSizes(int32_t InputSize, int32_t OutputSize) override;
    TOsError SetLine(const TLineSettings &Settings) override;
    TOsError SetTimeouts(const TTimeoutSettings &Timeouts) override;
    TOsError QueryModemStatus() override;
    TOsError Purge(bool Input, bool Output) override;
    TTransfer Write(const void *Buffer, int32_t Count) override;
    TTransfer Read(void *Buffer, int32_t Count) override;
    TOsError Close() override;
    void Release() override;

private:
    HANDLE FHandle = INVALID_HANDLE_VALUE;
    // The software flow-control limits are a quarter of the input queue.
    int32_t FInputSize = 1024;
};

TOsError TWin32ComDevice::Open(const std::string &DevicePath)
{
    if (IsOpen())
        return ERROR_BUSY;
    // A name with a NUL in it would open some other device.
    if (DevicePath.empty() || DevicePath.find('\0') != std::string::npos)
        return ERROR_FILE_NOT_FOUND;
    // No sharing: the port is ours alone while it is open.
    const HANDLE h = CreateFileA(DevicePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_OVERLAPPED, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return LastError();
    FHandle = h;
    return 0;
}

TOsError TWin32ComDevice::SetQueueSizes(int32_t InputSize, int32_t OutputSize)
{
    FInputSize = InputSize;
    if (!SetupComm(FHandle, static_cast<DWORD>(InputSize), static_cast<DWORD>(OutputSize)))
        return LastError();
    return 0;
}

TOsError TWin32ComDevice::SetLine(const TLineSettings &Settings)
{
    DCB dcb{};
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = static_cast<DWORD>(Settings.BaudRate);
    dcb.fBinary = 1;
    dcb.fParity = Settings.ParityCheck;
    dcb.fOutxCtsFlow = Settings.OutCTSFlow;
    dcb.fOutxDsrFlow = Settings.OutDSRFlow;
    dcb.fDtrControl = static_cast<DWORD>(Settings.ControlDTR); // DTR_CONTROL_DISABLE, _ENABLE, _HANDSHAKE
    dcb.fDsrSensitivity = Settings.DSRSensitivity;
    dcb.fTXContinueOnXoff = Settings.TxContinueOnXoff;
    dcb.fOutX = Settings.XonXoffOut;
    dcb.fInX = Settings.XonXoffIn;
    dcb.fErrorChar = Settings.ParityCheck && Settings.ParityReplace;
    dcb.fNull = Settings.DiscardNull;
    dcb.fRtsControl = static_cast<DWORD>(Settings.ControlRTS); // RTS_CONTROL_DISABLE … _TOGGLE
    dcb.fAbortOnError = 0;
    const WORD limit = static_cast<WORD>(FInputSize / 4);
    dcb.XonLim = limit;
    dcb.XoffLim = limit;
    dcb.ByteSize = static_cast<BYTE>(5 + Settings.DataBits); // dbFive … dbEight
    dcb.Parity = static_cast<BYTE>(Settings.Parity);         // NOPARITY … SPACEPARITY
    dcb.StopBits = static_cast<BYTE>(Settings.StopBits);     // ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS
    dcb.XonChar = static_cast<char>(Settings.XonChar);
    dcb.XoffChar = static_cast<char>(Settings.XoffChar);
    dcb.ErrorChar = dcb.fErrorChar ? static_cast<char>(Settings.ReplaceChar) : '\0';
    dcb.EvtChar = static_cast<char>(Settings.EventChar);
    if (SetCommState(FHandle, &dcb))
        return 0;
    const TOsError e = LastError();
    // Wine refuses a parity on a pseudo-terminal whose line has that parity
    // already ("invalid parameter"); by way of no parity it takes it. On
    // Windows a DCB refused as invalid is refused again, and that is reported.
    if (e != ERROR_INVALID_PARAMETER || dcb.Parity == NOPARITY)
        return e;
    DCB plain = dcb;
    plain.Parity = NOPARITY;
    plain.fParity = 0;
    if (!SetCommState(FHandle, &plain) || !SetCommState(FHandle, &dcb))
        return e;
    return 0;
}

TOsError TWin32ComDevice::SetTimeouts(const TTimeoutSettings &Timeouts)
{
    // -1 goes over as all ones (MAXDWORD), as the settings mean it.
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = static_cast<DWORD>(Timeouts.ReadInterval);
    t.ReadTotalTimeoutMultiplier = static_cast<DWORD>(Timeouts.ReadTotalMultiplier);
    t.ReadTotalTimeoutConstant = static_cast<DWORD>(Timeouts.ReadTotalConstant);
    t.WriteTotalTimeoutMultiplier = static_cast<DWORD>(Timeouts.WriteTotalMultiplier);
    t.WriteTotalTimeoutConstant = static_cast<DWORD>(Timeouts.WriteTotalConstant);
    if (!SetCommTimeouts(FHandle, &t))
        return LastError();
    return 0;
}

TOsError TWin32ComDevice::QueryModemStatus()
{
    // Once each for CTS, DSR and RLSD. A device without modem lines (a
    // virtual port, a pseudo-terminal under Wine) answers "not supported":
    // its lines count as off, as on POSIX.
    for (int line = 0; line < 3; ++line) {
        DWORD status = 0;
        if (!GetCommModemStatus(FHandle, &status)) {
            const DWORD e = GetLastError();
            if (e == ERROR_NOT_SUPPORTED || e == ERROR_INVALID_FUNCTION)
                return 0;
            return e ? static_cast<TOsError>(e) : static_cast<TOsError>(ERROR_GEN_FAILURE);
        }
    }
    return 0;
}

TOsError TWin32ComDevice::Purge(bool Input, bool Output)
{
    const DWORD flags = (Input ? PURGE_RXCLEAR : 0) | (Output ? PURGE_TXCLEAR : 0);
    if (flags == 0)
        return 0;
    if (!PurgeComm(FHandle, flags))
        return LastError();
    return 0;
}

TTransfer TWin32ComDevice::Write(const void *Buffer, int32_t Count)
{
    if (!IsOpen())
        return {0, ERROR_INVALID_HANDLE};
    TOperation op;
    if (!op.Ready())
        return {0, LastError()};
    if (!WriteFile(FHandle, Buffer, static_cast<DWORD>(Count), nullptr, op.Block())) {
        const DWORD e = GetLastError();
        if (e != ERROR_IO_PENDING)
            return {0, e ? static_cast<TOsError>(e) : static_cast<TOsError>(ERROR_GEN_FAILURE)};
    }
    // Completed at once or still running: the event tells either way.
    return op.Finish(FHandle);
}

TTransfer TWin32ComDevice::Read(void *Buffer, int32_t Count)
{
    if (!IsOpen())
        return {0, ERROR_INVALID_HANDLE};
    auto *const dest = static_cast<uint8_t *>(Buffer);
    TOperation op;
    if (!op.Ready())
        return {0, LastError()};
    dest[0] = 0xFF; // stays when nothing arrives
    TTransfer result;
    if (!ReadFile(FHandle, dest, static_cast<DWORD>(Count), nullptr, op.Block())) {
        const DWORD e = GetLastError();
        if (e != ERROR_IO_PENDING) {
            // A refused read is an empty one, unless the device has gone:
            // that must reach the poller, which then waits for it to return.
            if (DeviceGone(e))
                return {0, static_cast<TOsError>(e)};
            return {0, 0};
        }
    }
    result = op.Finish(FHandle);
    if (result.Error)
        return result;
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(FHandle, &errors, &status)) {
        result.Error = LastError();
        result.QueueQueryFailed = true;
        return result;
    }
    if (result.Count == 0)
        dest[0] = 0xFF;
    return result;
}

TOsError TWin32ComDevice::Close()
{
    if (!IsOpen())
        return 0;
    // Pending reads and writes end first; on a device that has gone there
    // is nothing left to end.
    if (!PurgeComm(FHandle, PURGE_TXABORT | PURGE_RXABORT)) {
        const DWORD e = GetLastError();
        if (!DeviceGone(e))
            return e ? static_cast<TOsError>(e) : static_cast<TOsError>(ERROR_GEN_FAILURE);
    }
    CloseHandle(FHandle);
    FHandle = INVALID_HANDLE_VALUE;
    return 0;
}

void TWin32ComDevice::Release()
{
    if (!IsOpen())
        return;
    PurgeComm(FHandle, PURGE_TXABORT | PURGE_RXABORT);
    CloseHandle(FHandle);
    FHandle = INVALID_HANDLE_VALUE;
}

} // namespace

TOsError NotOpenError()
{
    return ERROR_INVALID_HANDLE;
}

std::unique_ptr<IComDevice> CreateComDevice(const TSerialSystemPaths &)
{
    return std::make_unique<TWin32ComDevice>();
}
