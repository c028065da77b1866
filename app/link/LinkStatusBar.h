#pragma once

// The analyzer link's fields in the window's status bar: the link's state,
// port and device number, and the journal's count of results with the time
// of the last one. It reads its source a few times a second, so the polling thread
// never waits for it; a state that needs the operator is shown in a warning
// colour and alerts the window once each time it is entered.

#include "LinkRules.h"

#include <QTimer>
#include <QWidget>

#include <functional>

class QLabel;

class TLinkStatusBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 250;

    explicit TLinkStatusBar(QWidget *Parent = nullptr);

    // What the bar shows, read at every refresh; the port's description
    // comes from SetPort.
    void SetSource(std::function<TLinkInput()> Source);
    // The description of a port (maker and product of a USB adapter), shown
    // while that port is the one in use; empty for none.
    void SetPort(const QString &Name, const QString &Description);
    // How the window is alerted; by default QApplication::alert on it.
    void SetAlert(std::function<void(QWidget *Window)> Alert);
    void SetSettings(const TLinkSettings &Settings) { FSettings = Settings; }

    // Reads the source and shows it now (the timer does it regularly).
    void Refresh();
    const TLinkStatus &Status() const { return FStatus; }
    QString Text() const; // the fields' texts, separated by " | "

private:
    std::function<TLinkInput()> FSource;
    std::function<void(QWidget *)> FAlert;
    TLinkSettings FSettings;
    QString FPortName;
    QString FPortDescription;
    TLinkStatus FStatus;
    bool FAlerted = false; // the operator has been alerted to the present state
    TLinkState FAlertedState = TLinkState::Off;
    QLabel *FPortLabel = nullptr;
    QLabel *FStateLabel = nullptr;
    QLabel *FResultsLabel = nullptr;
    QTimer FTimer;
};
