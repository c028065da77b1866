#pragma once
// The two things the window asks of the desktop shell itself: opening the
// About window's links, and the information beep of the number field. Each
// platform has a file of its own (DesktopCallsPosix.cpp, DesktopCallsWin32.cpp).

#include <QUrl>

class QWidget;

// How the desktop is asked to open a link. An e-mail link goes out with the
// program's window as its owner and the shell's window hidden (the mail
// program shows its own); a web address goes out with no owner, shown.
struct TLinkRequest {
    QUrl Url;
    QWidget *Owner = nullptr;
    bool Shown = true;
};

// Hands the link to the desktop; what it makes of it is not checked: with
// no mail program or browser nothing visible happens.
void OpenLink(const TLinkRequest &Request);

// The platform's information beep.
void InformationBeep();
