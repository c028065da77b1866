#pragma once

// The program's application object. An error that escapes an event handler
// must not travel on through Qt's event dispatch; it is caught here and shown
// in the application's standard error box (ShowApplicationError), and the
// program goes on.

#include <QApplication>

class TNivaraApplication : public QApplication {
    Q_OBJECT
public:
    TNivaraApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;
};
