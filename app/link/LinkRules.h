#pragma once

// What the status bar says about the analyzer link: pure rules from the
// poller's snapshot, the window's settings and the time, so that they are
// tested without a widget, a port or a running clock.

#include "LinkMonitor.h"

#include <QString>

#include <cstdint>
#include <utility>

enum class TLinkState : uint8_t {
    Off,         // polling is off
    CannotStart, // polling is off, and Start would end at once
    Opening,     // the run opens its port
    Waiting,     // the 125 s gate is shut: the next result is fetched when it opens
    Fetching,    // the gate is open and fetches go out
    NoAnswer,    // the gate is open and fetches have had no answer for a while
    Refused,     // replies arrive but are refused
    PortLost,    // the port failed; the run reopens it
};

struct TLinkInput {
    bool Active = false; // a polling run is on
    TLinkSnapshot Link;
    double Now = 0;            // on the poller's local clock: for the gate and the day of results
    TLinkInstant MonotonicNow; // on the poller's monotonic clock: for the link's durations
    QString Port;
    QString PortDescription;   // maker and product of a USB adapter; may be empty
    bool PortPresent = true;   // the port's device is there
    uint16_t DevNumber = 0;    // the device number field's value
    double LastResultTime = 0; // the window's record: 0 before the first result
    int ResultCount = 0;       // results in the journal
};

struct TLinkSettings {
    // Fetches unanswered this long count as "no answer" (a few failed
    // fetches are normal while the analyzer is busy).
    int NoAnswerAfterSeconds = 10;
    // A link without valid replies this long, or a lost port, needs the operator.
    int OperatorAfterSeconds = 60;
};

struct TLinkStatus {
    TLinkState State = TLinkState::Off;
    // Gate: seconds left; NoAnswer and Refused: seconds without a valid
    // reply; PortLost: seconds since the loss.
    int Seconds = 0;
    bool NeedsOperator = false;
    QString PortText;
    QString StateText;
    QString ResultsText; // the journal's results and the time of the last accepted one
    QString Advice;      // what the operator can do about the state; may be empty
    QString Details;     // the advice, the counters and the port's last error, for a tooltip
};

TLinkStatus DescribeLink(const TLinkInput &In, const TLinkSettings &Settings = {});

// Why Start would end at once, and what to do about it; empty when it would not.
std::pair<QString, QString> CannotStartReason(const QString &Port, bool PortPresent, uint16_t DevNumber);
