#pragma once

// The About window: the program's name, its maker, and two links that open
// the mail program and the web browser.

#include <QDialog>
#include <QImage>
#include <QLabel>
#include <QUrl>

#include "DesktopCalls.h"

#include <functional>

class QGroupBox;
class QPushButton;

// Opens a link in the user's mail program or browser. Failures are silent:
// the links report nothing if no program is registered for the URL.
using UrlOpener = std::function<void(const TLinkRequest &)>;

// Replaces the opener that About windows created from now on use (the
// default is the desktop's, OpenLink); returns the previous one.
UrlOpener SetAboutUrlOpener(UrlOpener opener);

// The maker's web site (a host name, without a scheme) and e-mail address,
// the texts of the two link labels. Short enough to fit the frame in the
// fallback fonts too; under the reserved .test domain, so they reach no one.
inline constexpr const char *kMakerSite = "www.nivara.test";
inline constexpr const char *kMakerEmail = "info@nivara.test";

// A label that reports a left click: press and release over it.
class TLinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit TLinkLabel(const QString &text, QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool FPressed = false;
};

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget *owner);

    QGroupBox *GroupBox1;
    QLabel *Image1;
    QLabel *lblProgName;
    QLabel *lblCompanyName;
    QLabel *lblTel;
    TLinkLabel *lblSite;
    TLinkLabel *lblemail;
    QPushButton *Button1;

public slots:
    void lblemailClick();
    void lblSiteClick();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    UrlOpener FOpenUrl;
};

// The window's picture: 150 × 134 pixels, transparent background.
QImage AboutPicture();

// The About menu command: a new About window over `owner`, shown modally and
// destroyed when it closes.
void ShowAboutForm(QWidget *owner);
