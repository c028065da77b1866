#pragma once

// The port speaks in the line settings of a Windows station (TLineSettings);
// a Linux tty takes them as a termios record. This file does that
// translation, and judges what the driver really took, as pure data work
// apart from the device calls of PosixComDevice.cpp, so that it is tested
// without a device. It builds the kernel's termios2 because the C library's
// <termios.h> cannot set an arbitrary rate; the kernel's header and
// <termios.h> cannot be included together, so the kernel's definitions stay
// inside the .cpp files that need them and callers get the mirror record
// below.

#include "ComDevice.h"

#include <cstdint>
#include <optional>

// The kernel's termios2, field for field. Flag values are those of
// <termios.h>.
struct TTermiosRecord {
    static constexpr int CcCount = 19;
    uint32_t Iflag = 0;
    uint32_t Oflag = 0;
    uint32_t Cflag = 0;
    uint32_t Lflag = 0;
    uint8_t Line = 0;
    uint8_t Cc[CcCount] = {};
    uint32_t Ispeed = 0;
    uint32_t Ospeed = 0;
};

// The record plus the modem-control lines that the port holds while open.
struct TTermiosLine {
    TTermiosRecord Record;
    bool Dtr = false;
    bool Rts = false;
};

// Turns line settings into the record that configures a raw serial line.
// Empty when the settings ask for something this platform cannot do on a
// serial line (see the definition for the list); the port reports that as a
// refused line setting.
std::optional<TTermiosLine> BuildTermiosLine(const TLineSettings &Settings);

// The output speed a record stands for, whether given by a standard speed code
// or as an arbitrary rate.
uint32_t RecordBaudRate(const TTermiosRecord &Record);
// True when the record gives its speed as an arbitrary rate.
bool RecordUsesArbitraryRate(const TTermiosRecord &Record);

// Whether the settings read back from a device are those that were asked for.
// The kernel accepts a settings call when any part of it applied, so a driver
// that cannot do a character format or speed only shows it in the read-back.
// A pseudo-terminal always runs eight bits without parity whatever it is
// asked, so for one the character size and parity are not compared.
bool RecordsMatch(const TTermiosRecord &Wanted, const TTermiosRecord &Got, bool PseudoTerminal);
