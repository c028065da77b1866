#include "TermiosLine.h"

// The kernel's own definitions: termios2 and the arbitrary-rate code BOTHER,
// which <termios.h> lacks. This file must not include <termios.h>.
#include <asm/termbits.h>

#include <cstdlib>
#include <iterator>

static_assert(TTermiosRecord::CcCount == NCCS, "kernel control character count");

namespace {

struct TSpeedCode {
    uint32_t Rate;
    uint32_t Code;
};

constexpr TSpeedCode SpeedCodes[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},         {150, B150},
    {200, B200},         {300, B300},         {600, B600},         {1200, B1200},       {1800, B1800},
    {2400, B2400},       {4800, B4800},       {9600, B9600},       {19200, B19200},     {38400, B38400},
    {57600, B57600},     {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000}, {3500000, B3500000}, {4000000, B4000000},
};

uint32_t CodeForRate(uint32_t Rate)
{
    for (const TSpeedCode &s : SpeedCodes)
        if (s.Rate == Rate)
            return s.Code;
    return BOTHER;
}

uint32_t CharacterSize(TDataBits Bits)
{
    switch (Bits) {
    case dbFive: return CS5;
    case dbSix: return CS6;
    case dbSeven: return CS7;
    case dbEight: break;
    }
    return CS8;
}

uint32_t ParityFlags(TParityBits Bits)
{
    switch (Bits) {
    case prNone: break;
    case prOdd: return PARENB | PARODD;
    case prEven: return PARENB;
    // Stick parity: with CMSPAR the parity bit is always PARODD's value.
    case prMark: return PARENB | CMSPAR | PARODD;
    case prSpace: return PARENB | CMSPAR;
    }
    return 0;
}

// What Linux serial drivers cannot do through termios; asking for it is
// refused rather than silently ignored.
bool Supported(const TLineSettings &s)
{
    if (s.BaudRate <= 0)
        return false;
    // There is no 1.5 stop bit setting; a UART sends 1.5 stop bits for CSTOPB
    // with five data bits, so 1.5 is that combination and two stop bits with
    // five data bits do not exist, as on Windows.
    if (s.StopBits == sbOne5StopBits && s.DataBits != dbFive)
        return false;
    if (s.StopBits == sbTwoStopBits && s.DataBits == dbFive)
        return false;
    // No DSR flow control, DTR handshake or RTS toggling in termios.
    if (s.OutDSRFlow || s.DSRSensitivity || s.ControlDTR == dtrHandshake || s.ControlRTS == rtsToggle)
        return false;
    // The kernel replaces a byte with a parity error by NUL only.
    if (s.ParityCheck && s.ParityReplace && s.ReplaceChar != 0)
        return false;
    return true;
}

} // namespace

std::optional<TTermiosLine> BuildTermiosLine(const TLineSettings &s)
{
    if (!Supported(s))
        return std::nullopt;

    TTermiosLine line;
    TTermiosRecord &r = line.Record;
    const auto rate = static_cast<uint32_t>(s.BaudRate);

    // Raw mode: no echo, no line editing, no signals, no output processing,
    // no character translation; a break is not delivered as a NUL byte.
    r.Iflag = IGNBRK;
    if (s.ParityCheck)
        // Without replacement a byte that fails the check is dropped;
        // with it the kernel hands over NUL in its place.
        r.Iflag |= s.ParityReplace ? INPCK : (INPCK | IGNPAR);
    if (s.XonXoffOut)
        r.Iflag |= IXON;
    if (s.XonXoffIn)
        r.Iflag |= IXOFF;
    r.Oflag = 0;
    r.Lflag = 0;

    // CLOCAL: no modem carrier is needed to talk; HUPCL drops DTR and RTS
    // when the port closes, as a Windows driver does.
    r.Cflag = CodeForRate(rate) | CharacterSize(s.DataBits) | ParityFlags(s.Parity) | CREAD | CLOCAL | HUPCL;
    if (s.StopBits != sbOneStopBit)
        r.Cflag |= CSTOPB;
    // The kernel has one switch for both halves of RTS/CTS handshaking.
    if (s.OutCTSFlow || s.ControlRTS == rtsHandshake)
        r.Cflag |= CRTSCTS;
    r.Ispeed = rate;
    r.Ospeed = rate;

    // With the descriptor non-blocking, VMIN 1 makes an empty queue read as
    // "try again" and keeps a zero-byte read for a hung-up device.
    r.Cc[VMIN] = 1;
    r.Cc[VTIME] = 0;
    r.Cc[VSTART] = s.XonChar;
    r.Cc[VSTOP] = s.XoffChar;

    line.Dtr = s.ControlDTR == dtrEnable;
    line.Rts = s.ControlRTS == rtsEnable || s.ControlRTS == rtsHandshake;
    return line;
}

bool RecordUsesArbitraryRate(const TTermiosRecord &Record)
{
    return (Record.Cflag & CBAUD) == BOTHER;
}

uint32_t RecordBaudRate(const TTermiosRecord &Record)
{
    if (RecordUsesArbitraryRate(Record))
        return Record.Ospeed;
    const uint32_t code = Record.Cflag & CBAUD;
    for (const TSpeedCode &s : SpeedCodes)
        if (s.Code == code)
            return s.Rate;
    return 0;
}

bool RecordsMatch(const TTermiosRecord &Wanted, const TTermiosRecord &Got, bool PseudoTerminal)
{
    // Drivers round a rate to what their clock can make; within 2% a UART
    // still reads every character, which is also how far the kernel itself
    // rounds to a standard speed code.
    const auto wantedRate = static_cast<int64_t>(RecordBaudRate(Wanted));
    const auto gotRate = static_cast<int64_t>(RecordBaudRate(Got));
    if (gotRate == 0 || std::llabs(gotRate - wantedRate) * 50 > wantedRate)
        return false;

    uint32_t formatMask = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CLOCAL | CREAD | HUPCL;
    if (PseudoTerminal)
        formatMask &= ~(CSIZE | PARENB | PARODD | CMSPAR);
    if ((Wanted.Cflag & formatMask) != (Got.Cflag & formatMask))
        return false;
    if (Wanted.Iflag != Got.Iflag || Wanted.Oflag != Got.Oflag || Wanted.Lflag != Got.Lflag)
        return false;
    for (int i : {VMIN, VTIME, VSTART, VSTOP})
        if (Wanted.Cc[i] != Got.Cc[i])
            return false;
    return true;
}
