#pragma once

#include <cstdint>
#include <initializer_list>

// Line parameters of a serial port, in the order in which settings files and
// callers refer to them by ordinal, and the port's error codes.

enum TBaudRate : uint8_t {
    brCustom,
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000
};

enum TDataBits : uint8_t { dbFive, dbSix, dbSeven, dbEight };

enum TStopBits : uint8_t { sbOneStopBit, sbOne5StopBits, sbTwoStopBits };

enum TParityBits : uint8_t { prNone, prOdd, prEven, prMark, prSpace };

enum TDTRFlowControl : uint8_t { dtrDisable, dtrEnable, dtrHandshake };

enum TRTSFlowControl : uint8_t { rtsDisable, rtsEnable, rtsHandshake, rtsToggle };

enum TComEvent : uint8_t { evRxChar, evTxEmpty, evRxFlag, evRing, evBreak, evCTS, evDSR, evError, evRLSD, evRx80Full };

// Port error codes, carried by EComPort::Code(); ComErrorText gives each its
// text, named after the platform call that failed. 6 is not used; every other
// code reads "Unknown Error #" and its number.
enum TComError : uint8_t {
    ceOpenFailed = 1,           // "Unable to open com port"
    ceWriteFailed = 2,          // "WriteFile function failed"
    ceReadFailed = 3,           // "ReadFile function failed"
    ceInvalidAsync = 4,         // "Invalid Async parameter"
    cePurgeFailed = 5,          // "PurgeComm function failed"
    ceSetStateFailed = 7,       // "SetCommState function failed"
    ceSetTimeoutsFailed = 8,    // "SetCommTimeouts failed"
    ceSetupComFailed = 9,       // "SetupComm function failed"
    ceClearComErrorFailed = 10, // "ClearCommError function failed"
    ceModemStatusFailed = 11,   // "GetCommModemStatus function failed"
};

// A set of line events; default-constructed it is empty.
class TComEvents {
public:
    constexpr TComEvents() = default;
    constexpr TComEvents(std::initializer_list<TComEvent> Members)
    {
        for (TComEvent e : Members)
            FBits |= Bit(e);
    }
    static constexpr TComEvents All()
    {
        TComEvents s;
        s.FBits = (1u << (evRx80Full + 1)) - 1;
        return s;
    }
    constexpr bool Contains(TComEvent e) const { return (FBits & Bit(e)) != 0; }
    constexpr bool Empty() const { return FBits == 0; }
    constexpr void Include(TComEvent e) { FBits |= Bit(e); }
    constexpr void Exclude(TComEvent e) { FBits &= ~Bit(e); }
    constexpr bool operator==(const TComEvents &) const = default;

private:
    static constexpr uint16_t Bit(TComEvent e) { return uint16_t(1u << e); }
    uint16_t FBits = 0;
};

// Bits per second that a TBaudRate other than brCustom stands for.
constexpr int32_t BaudRateValue(TBaudRate Rate)
{
    constexpr int32_t Values[] = {0,     110,   300,   600,   1200,  2400,   4800,   9600,
                                  14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};
    return Rate <= br256000 ? Values[Rate] : 0;
}
