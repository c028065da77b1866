#pragma once

// Polling as the window drives it: the polling button, the window's side of
// the poller's hand-offs (the device number it asks for, each result into
// the journal session, the box about a port that cannot be opened), the
// wait for the poller at closing, and what the status bar reads about the
// link. The widgets stay the window's; it hands in what polling needs of
// them.

#include "FixMeas.h"
#include "LinkRules.h"
#include "ResultLog.h"

#include <QString>

#include <functional>

class TJournalSession;

class TPollingController {
public:
    struct TWindow {
        std::function<long double()> TypedDeviceNumber;     // the device number field's value
        std::function<void()> CommitTypedDeviceNumber;      // what is typed there becomes its value
        std::function<void(bool Polling)> ShowPolling;      // the field and the polling button
        std::function<void(bool Enabled)> EnableCommands;   // the commands, off while the poller finishes
        std::function<void(const QString &Text)> ShowError; // the error box
        std::function<bool()> Closing;                      // polling may not start again
    };
    // PollState is the window's copy of the poller's record; it outlives
    // every polling run, and this keeps it.
    TPollingController(TFixMeas &Poller, TJournalSession &Session, TFixMeasResult &PollState, TWindow Window);
    // Detaches the hand-offs: the poller's end notification finds nothing to call.
    ~TPollingController();
    TPollingController(const TPollingController &) = delete;
    TPollingController &operator=(const TPollingController &) = delete;

    // The polling button: stops a run, or starts one unless closing.
    void Toggle();
    // Returns once the poller's run has ended, serving events meanwhile,
    // with the commands off.
    void WaitWhileActive();
    // After a restart, the poller goes on where the log says it was.
    void GoOnFrom(const TPollSnapshot &Poll);
    // What the status bar reads; ResultCount and PortDescription are the
    // window's to fill.
    TLinkInput LinkInput() const;

    // The window's side of the poller's hand-offs.
    void Starting();
    void Stoping();
    void GetDevNumber();
    void PutResult();
    void ErrorOpenPort();

private:
    TFixMeas &FPoller;
    TJournalSession &FSession;
    TFixMeasResult &FPollState;
    TWindow FWindow;
};
