#pragma once

// The strip that tells the operator, without a modal box, that results are
// not being secured against a crash: shown while the result log cannot be
// written, gone as soon as it works again. A bar of its own so that it can
// move (into a status bar, for one) without touching the window's layout.

#include <QToolBar>

class QLabel;

class TLogWarning : public QToolBar {
    Q_OBJECT
public:
    explicit TLogWarning(QWidget *Parent = nullptr);

    // Shows the warning with the log's name and the cause, or hides it.
    void SetSecured(bool Secured, const QString &LogFileName, const QString &Cause);
    QString Text() const;

private:
    QLabel *FLabel = nullptr;
};
