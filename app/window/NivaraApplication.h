#pragma once

// The program's application object. An error that escapes an event handler
// must not travel on through Qt's event dispatch; it is caught here and shown
// in the application's standard error box (ShowApplicationError), and the
// program goes on.

#include <QApplication>

#include <functional>
#include <memory>

class TTerminationSignals;

class TNivaraApplication : public QApplication {
    Q_OBJECT
public:
    TNivaraApplication(int &argc, char **argv);
    ~TNivaraApplication() override;

    bool notify(QObject *receiver, QEvent *event) override;

    // From now on a termination signal (SIGTERM, SIGHUP, SIGINT; on Windows
    // the end of the session and the console's Ctrl+C or closing) or the
    // desktop session's logout request ends the program in order: EndSession
    // runs once, without any question (errors it meets go to the standard
    // error output, no box may wait for a person then), and the program ends
    // with status 0. Called with no EndSession (before the window exists),
    // a signal ends the program at once.
    void EndOnTermination(std::function<void()> EndSession);

private:
    void Terminate();

    std::unique_ptr<TTerminationSignals> FTerminationSignals;
    std::function<void()> FEndSession;
    bool FTerminating = false;
};
