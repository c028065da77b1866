#include "CPort.h"

// ---- settings groups ----------------------------------------------------

void TComTimeouts::Apply()
{
    FComPort.ApplyTimeouts();
}

void TComParity::Apply()
{
    FComPort.ApplyLineSettings();
}

void TComFlowControl::Apply()
{
    FComPort.ApplyLineSettings();
}

void TComBuffer::Apply()
{
    FComPort.ApplyQueueSizes();
}

// ---- port ---------------------------------------------------------------

TCustomComPort::TCustomComPort() : TCustomComPort(CreateComDevice()) {}

TCustomComPort::TCustomComPort(std::unique_ptr<IComDevice> Device) : FDevice(std::move(Device)) {}

TCustomComPort::~TCustomComPort()
{
    try {
        Close();
    } catch (...) {
        // A port that cannot be closed cleanly is released below all the same.
    }
    if (FDevice->IsOpen())
        FDevice->Release();
    FConnected = false;
}

std::string TCustomComPort::ComErrorText(int Code)
{
    switch (Code) {
    case ceOpenFailed: return "Unable to open com port";
    case ceWriteFailed: return "WriteFile function failed";
    case ceReadFailed: return "ReadFile function failed";
    case ceInvalidAsync: return "Invalid Async parameter";
    case cePurgeFailed: return "PurgeComm function failed";
    case ceSetStateFailed: return "SetCommState function failed";
    case ceSetTimeoutsFailed: return "SetCommTimeouts failed";
    case ceSetupComFailed: return "SetupComm function failed";
    case ceClearComErrorFailed: return "ClearCommError function failed";
    case ceModemStatusFailed: return "GetCommModemStatus function failed";
    default: return "Unknown Error #" + std::to_string(Code);
    }
}

void TCustomComPort::RaiseError(TComError Code, int32_t OsError) const
{
    if (OsError == 0)
        throw EComPort(Code, FPort + " Error: " + ComErrorText(Code));
    throw EComPortExt(Code, static_cast<uint32_t>(OsError), "COM Port Error: " + ComErrorText(Code) + " on " + FPort);
}

void TCustomComPort::Open()
{
    if (FConnected)
        return;
    CreateHandle();
    FConnected = true;
    try {
        ApplySettings();
    } catch (...) {
        FDevice->Release();
        FConnected = false;
        throw;
    }
    // Line events are not watched, whatever Events holds.
    if (const TOsError e = FDevice->QueryModemStatus())
        RaiseError(ceModemStatusFailed, e); // the port stays open; the caller's Close releases it
}

void TCustomComPort::Close()
{
    if (!FConnected)
        return;
    DestroyHandle();
    FConnected = false;
}

void TCustomComPort::CreateHandle()
{
    const std::string path = ComDevicePath(FPort);
    if (const TOsError e = FDevice->Open(path)) {
        // The established line stays exactly as it was; the cause follows
        // on a line of its own, in the system's language.
        ComDebugOutput("CreateFile " + path);
        ComDebugOutput(OsErrorText(e));
        TPortOpenFailure failure{FPort, path, e, ClassifyOpenError(e), std::nullopt};
        if (failure.Kind == TPortFailureKind::Busy) {
            failure.Holder = FDevice->BusyHolder();
            failure.ExclusiveLeftBehind = FDevice->ExclusiveLeftBehind();
        }
        throw EComPortOpen(static_cast<uint32_t>(e), "COM Port Error: " + ComErrorText(ceOpenFailed) + " on " + FPort,
                           std::move(failure));
    }
}

void TCustomComPort::DestroyHandle()
{
    if (const TOsError e = FDevice->Close())
        RaiseError(cePurgeFailed, e);
}

void TCustomComPort::ApplySettings()
{
    ApplyQueueSizes();
    ApplyLineSettings();
    ApplyTimeouts();
}

void TCustomComPort::ApplyLineSettings()
{
    if (!FConnected)
        return;
    if (const TOsError e = FDevice->SetLine(LineSettings()))
        RaiseError(ceSetStateFailed, e);
}

void TCustomComPort::ApplyTimeouts()
{
    if (!FConnected)
        return;
    if (const TOsError e = FDevice->SetTimeouts(FTimeouts.Values()))
        RaiseError(ceSetTimeoutsFailed, e);
}

void TCustomComPort::ApplyQueueSizes()
{
    if (!FConnected)
        return;
    if (const TOsError e = FDevice->SetQueueSizes(FBuffer.InputSize(), FBuffer.OutputSize()))
        RaiseError(ceSetupComFailed, e);
}

TLineSettings TCustomComPort::LineSettings() const
{
    TLineSettings s;
    s.BaudRate = FBaudRate == brCustom ? FCustomBaudRate : BaudRateValue(FBaudRate);
    s.DataBits = FDataBits;
    s.StopBits = FStopBits;
    s.Parity = FParity.Bits();
    s.ParityCheck = FParity.Check();
    s.ParityReplace = FParity.Replace();
    s.ReplaceChar = FParity.ReplaceChar();
    s.OutCTSFlow = FFlowControl.OutCTSFlow();
    s.OutDSRFlow = FFlowControl.OutDSRFlow();
    s.ControlDTR = FFlowControl.ControlDTR();
    s.ControlRTS = FFlowControl.ControlRTS();
    s.XonXoffOut = FFlowControl.XonXoffOut();
    s.XonXoffIn = FFlowControl.XonXoffIn();
    s.DSRSensitivity = FFlowControl.DSRSensitivity();
    s.TxContinueOnXoff = FFlowControl.TxContinueOnXoff();
    s.XonChar = FFlowControl.XonChar();
    s.XoffChar = FFlowControl.XoffChar();
    s.DiscardNull = FDiscardNull;
    s.EventChar = FEventChar;
    return s;
}

void TCustomComPort::ClearBuffer(bool Input, bool Output)
{
    if (!FConnected)
        RaiseError(cePurgeFailed, NotOpenError());
    if (const TOsError e = FDevice->Purge(Input, Output))
        RaiseError(cePurgeFailed, e);
}

int32_t TCustomComPort::Write(const void *Buffer, int32_t Count)
{
    if (!FConnected)
        RaiseError(ceWriteFailed, NotOpenError());
    if (Count <= 0)
        return 0;
    if (Buffer == nullptr)
        RaiseError(ceInvalidAsync, 0);
    const TTransfer t = FDevice->Write(Buffer, Count);
    if (t.Error)
        RaiseError(ceWriteFailed, t.Error);
    return t.Count;
}

int32_t TCustomComPort::Read(void *Buffer, int32_t Count)
{
    if (!FConnected)
        RaiseError(ceReadFailed, NotOpenError());
    // No room at all: the destination is not touched.
    if (Count <= 0)
        return 0;
    if (Buffer == nullptr)
        RaiseError(ceInvalidAsync, 0);
    const TTransfer t = FDevice->Read(Buffer, Count);
    if (t.Error)
        RaiseError(t.QueueQueryFailed ? ceClearComErrorFailed : ceReadFailed, t.Error);
    return t.Count;
}

// ---- property setters ---------------------------------------------------

void TCustomComPort::SetConnected(bool Value)
{
    if (Value)
        Open();
    else
        Close();
}

void TCustomComPort::SetPort(const std::string &Value)
{
    if (Value == FPort)
        return;
    FPort = Value;
    if (FConnected) {
        Close();
        Open();
    }
}

template <typename T>
void TCustomComPort::SetLineField(T &Field, T Value)
{
    if (Field == Value)
        return;
    Field = Value;
    ApplyLineSettings();
}

void TCustomComPort::SetBaudRate(TBaudRate Value)
{
    SetLineField(FBaudRate, Value);
}
void TCustomComPort::SetCustomBaudRate(int32_t Value)
{
    SetLineField(FCustomBaudRate, Value);
}
void TCustomComPort::SetDataBits(TDataBits Value)
{
    SetLineField(FDataBits, Value);
}
void TCustomComPort::SetStopBits(TStopBits Value)
{
    SetLineField(FStopBits, Value);
}
void TCustomComPort::SetDiscardNull(bool Value)
{
    SetLineField(FDiscardNull, Value);
}
void TCustomComPort::SetEventChar(uint8_t Value)
{
    SetLineField(FEventChar, Value);
}
