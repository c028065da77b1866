// The line settings record built for the kernel. A pty drops parity and
// refuses modem lines, so the record is checked here, not read back.

#include "TermiosLine.h"

#include <termios.h>

#include <gtest/gtest.h>

namespace {

TLineSettings PollerSettings()
{
    TLineSettings s;
    s.BaudRate = 9600;
    s.Parity = prOdd;
    return s;
}

TTermiosRecord Built(const TLineSettings &s)
{
    const auto line = BuildTermiosLine(s);
    EXPECT_TRUE(line.has_value());
    return line ? line->Record : TTermiosRecord{};
}

TEST(TermiosLine, PollerSettingsMakeA9600O81RawLineWithModemLinesOff)
{
    const auto line = BuildTermiosLine(PollerSettings());
    ASSERT_TRUE(line);
    const TTermiosRecord &r = line->Record;
    EXPECT_EQ(RecordBaudRate(r), 9600u);
    EXPECT_FALSE(RecordUsesArbitraryRate(r));
    EXPECT_EQ(r.Cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(r.Cflag & (PARENB | PARODD | CMSPAR), tcflag_t(PARENB | PARODD));
    EXPECT_EQ(r.Cflag & (CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(r.Cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
    // Bytes pass untouched: no parity check, no flow control, no translation.
    EXPECT_EQ(r.Iflag & (INPCK | PARMRK | IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP), 0u);
    EXPECT_EQ(r.Oflag & OPOST, 0u);
    EXPECT_EQ(r.Lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(r.Cc[VMIN], 1);
    EXPECT_EQ(r.Cc[VTIME], 0);
    EXPECT_FALSE(line->Dtr);
    EXPECT_FALSE(line->Rts);
}

TEST(TermiosLine, CharacterFormat)
{
    struct TCase {
        TDataBits Data;
        TParityBits Parity;
        TStopBits Stop;
        tcflag_t Size, ParityFlags, StopFlag;
    };
    const TCase cases[] = {
        {dbFive, prNone, sbOneStopBit, CS5, 0, 0},
        {dbFive, prNone, sbOne5StopBits, CS5, 0, CSTOPB}, // 1.5 stop bits on a UART
        {dbSix, prEven, sbOneStopBit, CS6, PARENB, 0},
        {dbSeven, prOdd, sbTwoStopBits, CS7, PARENB | PARODD, CSTOPB},
        {dbEight, prMark, sbOneStopBit, CS8, PARENB | CMSPAR | PARODD, 0},
        {dbEight, prSpace, sbTwoStopBits, CS8, PARENB | CMSPAR, CSTOPB},
    };
    for (const TCase &c : cases) {
        TLineSettings s;
        s.DataBits = c.Data;
        s.Parity = c.Parity;
        s.StopBits = c.Stop;
        const TTermiosRecord r = Built(s);
        EXPECT_EQ(r.Cflag & CSIZE, c.Size) << int(c.Data);
        EXPECT_EQ(r.Cflag & (PARENB | PARODD | CMSPAR), c.ParityFlags) << int(c.Parity);
        EXPECT_EQ(r.Cflag & CSTOPB, c.StopFlag) << int(c.Stop);
    }
}

TEST(TermiosLine, FlowControlAndModemLines)
{
    struct TCase {
        const char *Name;
        void (*Set)(TLineSettings &);
        tcflag_t Iflag, Cflag;
        bool Dtr, Rts;
    };
    const TCase cases[] = {
        {"none", [](TLineSettings &) {}, 0, 0, false, false},
        {"CTS out", [](TLineSettings &s) { s.OutCTSFlow = true; }, 0, CRTSCTS, false, false},
        {"RTS handshake", [](TLineSettings &s) { s.ControlRTS = rtsHandshake; }, 0, CRTSCTS, false, true},
        {"RTS on", [](TLineSettings &s) { s.ControlRTS = rtsEnable; }, 0, 0, false, true},
        {"DTR on", [](TLineSettings &s) { s.ControlDTR = dtrEnable; }, 0, 0, true, false},
        {"XON/XOFF out", [](TLineSettings &s) { s.XonXoffOut = true; }, IXON, 0, false, false},
        {"XON/XOFF in", [](TLineSettings &s) { s.XonXoffIn = true; }, IXOFF, 0, false, false},
        {"parity checked", [](TLineSettings &s) { s.ParityCheck = true; }, INPCK | IGNPAR, 0, false, false},
        {"parity replaced",
         [](TLineSettings &s) {
             s.ParityCheck = true;
             s.ParityReplace = true;
         },
         INPCK, 0, false, false},
    };
    for (const TCase &c : cases) {
        TLineSettings s;
        c.Set(s);
        const auto line = BuildTermiosLine(s);
        ASSERT_TRUE(line) << c.Name;
        EXPECT_EQ(line->Record.Iflag & (IXON | IXOFF | INPCK | IGNPAR | PARMRK), c.Iflag) << c.Name;
        EXPECT_EQ(line->Record.Cflag & CRTSCTS, c.Cflag) << c.Name;
        EXPECT_EQ(line->Dtr, c.Dtr) << c.Name;
        EXPECT_EQ(line->Rts, c.Rts) << c.Name;
    }

    TLineSettings s;
    s.XonChar = 0x11 + 2;
    s.XoffChar = 0x13 + 2;
    const TTermiosRecord r = Built(s);
    EXPECT_EQ(r.Cc[VSTART], 0x13);
    EXPECT_EQ(r.Cc[VSTOP], 0x15);
}

TEST(TermiosLine, WhatTheKernelCannotDoIsRefused)
{
    struct TCase {
        const char *Name;
        void (*Set)(TLineSettings &);
    };
    const TCase cases[] = {
        {"rate 0", [](TLineSettings &s) { s.BaudRate = 0; }},
        {"negative rate", [](TLineSettings &s) { s.BaudRate = -9600; }},
        {"1.5 stop bits with 8 data bits", [](TLineSettings &s) { s.StopBits = sbOne5StopBits; }},
        {"2 stop bits with 5 data bits",
         [](TLineSettings &s) {
             s.DataBits = dbFive;
             s.StopBits = sbTwoStopBits;
         }},
        {"DSR flow", [](TLineSettings &s) { s.OutDSRFlow = true; }},
        {"DSR sensitivity", [](TLineSettings &s) { s.DSRSensitivity = true; }},
        {"DTR handshake", [](TLineSettings &s) { s.ControlDTR = dtrHandshake; }},
        {"RTS toggle", [](TLineSettings &s) { s.ControlRTS = rtsToggle; }},
        {"replacement other than NUL",
         [](TLineSettings &s) {
             s.ParityCheck = s.ParityReplace = true;
             s.ReplaceChar = '?';
         }},
    };
    for (const TCase &c : cases) {
        TLineSettings s;
        c.Set(s);
        EXPECT_FALSE(BuildTermiosLine(s)) << c.Name;
    }
}

TEST(TermiosLine, RatesWithoutASpeedCodeAreArbitraryRates)
{
    const std::pair<int32_t, bool> rates[] = {
        {110, false},  {9600, false},  {57600, false}, {115200, false}, {14400, true},
        {56000, true}, {128000, true}, {256000, true}, {31250, true},   {1, true},
    };
    for (const auto &[rate, arbitrary] : rates) {
        TLineSettings s;
        s.BaudRate = rate;
        const TTermiosRecord r = Built(s);
        EXPECT_EQ(RecordBaudRate(r), uint32_t(rate));
        EXPECT_EQ(RecordUsesArbitraryRate(r), arbitrary) << rate;
    }
}

TEST(TermiosLine, ReadBackComparison)
{
    const TTermiosRecord wanted = Built(PollerSettings());

    // A pty runs 8 bits without parity whatever it is asked.
    TTermiosRecord ptyGot = wanted;
    ptyGot.Cflag = (ptyGot.Cflag & ~tcflag_t(CSIZE | PARENB)) | CS8;
    EXPECT_TRUE(RecordsMatch(wanted, ptyGot, true));
    EXPECT_FALSE(RecordsMatch(wanted, ptyGot, false));

    // The kernel may answer a standard rate given as an arbitrary one with
    // its speed code, and the other way round; both are the same rate.
    TLineSettings s = PollerSettings();
    s.BaudRate = 14400;
    const tcflag_t arbitraryCode = Built(s).Cflag & CBAUD;
    TTermiosRecord viaArbitrary = wanted;
    viaArbitrary.Cflag = (viaArbitrary.Cflag & ~tcflag_t(CBAUD)) | arbitraryCode;
    viaArbitrary.Ospeed = viaArbitrary.Ispeed = 9600;
    EXPECT_TRUE(RecordsMatch(wanted, viaArbitrary, false));

    s.BaudRate = 250000;
    const TTermiosRecord fast = Built(s);
    TTermiosRecord rounded = fast;
    rounded.Ospeed = 250000 + 4000; // 1.6 % off: a UART still reads it
    EXPECT_TRUE(RecordsMatch(fast, rounded, false));
    rounded.Ospeed = 250000 + 7500; // 3 % off
    EXPECT_FALSE(RecordsMatch(fast, rounded, false));

    TTermiosRecord other = wanted;
    other.Cflag = (other.Cflag & ~tcflag_t(CBAUD)) | B4800; // driver fell back to another rate
    EXPECT_FALSE(RecordsMatch(wanted, other, true));
    other = wanted;
    other.Cflag |= CRTSCTS; // flow control the driver forced on
    EXPECT_FALSE(RecordsMatch(wanted, other, true));
    other = wanted;
    other.Lflag |= ECHO;
    EXPECT_FALSE(RecordsMatch(wanted, other, true));
}

} // namespace
