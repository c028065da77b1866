#pragma once

// SIGTERM, SIGHUP and SIGINT (shutdown, logout, Ctrl+C in a terminal) as a Qt
// signal in the event loop of the thread that made the object. The handler
// does the one thing that is safe inside a signal handler: it writes the
// signal's number into a pipe, whose reading end a socket notifier watches.
// One object at a time; while it lives, these signals no longer end the
// process by themselves.

#include <QObject>

#include <array>
#include <csignal>

class QSocketNotifier;

class TTerminationSignals : public QObject {
    Q_OBJECT
public:
    static constexpr std::array<int, 3> kSignals = {SIGTERM, SIGHUP, SIGINT};

    // Throws std::system_error when the pipe or a handler cannot be had, and
    // std::logic_error when another such object lives.
    explicit TTerminationSignals(QObject *Parent = nullptr);
    // Puts back the handlers that were there before.
    ~TTerminationSignals() override;

signals:
    // Once for each signal that arrived, in the order they arrived.
    void Received(int Signal);

private:
    void ReadPending();
    void Restore(size_t Count) noexcept;

    int FPipe[2] = {-1, -1};
    QSocketNotifier *FNotifier = nullptr;
    std::array<struct sigaction, kSignals.size()> FPrevious{};
};
