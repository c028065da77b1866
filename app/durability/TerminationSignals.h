#pragma once

// The end of the session and the console's interrupts as a Qt signal in the
// event loop of the thread that made the object. The platform's side is in
// a file of its own:
//
// POSIX: SIGTERM, SIGHUP and SIGINT (shutdown, logout, Ctrl+C in a
// terminal). The handler does the one thing that is safe inside a signal
// handler: it writes the signal's number into a pipe, whose reading end a
// socket notifier watches.
//
// Windows: WM_ENDSESSION (shutdown, logout) to a hidden top-level window of
// the object's own, and the console's Ctrl+C, Ctrl+Break and closing
// (SetConsoleCtrlHandler), handed over from the thread the system runs the
// console's handler on. Windows may end the process as soon as the window
// has answered WM_ENDSESSION, so Received is emitted right inside that
// answer: a receiver connected directly ends the program in order before it
// returns (TNivaraApplication does). Closing the console ends the process
// once its handler returns; the handler waits, within the system's own
// time, until this object is gone, that is until the program has ended.
// Where no window can be made (Wine without a display), only the console's
// events arrive.
//
// One object at a time; while it lives, these no longer end the process by
// themselves.

#include <QObject>

#include <memory>

class TTerminationSignals : public QObject {
    Q_OBJECT
public:
    // Throws std::system_error when the system refuses what the handling
    // needs, and std::logic_error when another such object lives.
    explicit TTerminationSignals(QObject *Parent = nullptr);
    // Puts back the handling that was there before.
    ~TTerminationSignals() override;

signals:
    // Once for each that arrived, in the order they arrived. Signal: the
    // POSIX signal's number; on Windows the console's event (CTRL_C_EVENT,
    // CTRL_BREAK_EVENT, CTRL_CLOSE_EVENT), and for the end of the session
    // CTRL_LOGOFF_EVENT or CTRL_SHUTDOWN_EVENT.
    void Received(int Signal);

private:
    struct TPlatform;
    std::unique_ptr<TPlatform> FPlatform;
};
