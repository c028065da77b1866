// The POSIX side: the desktop's URL handler (xdg-open and its kin, through
// Qt) and the display's bell. Owner and visibility are the handler's affair.

#include "DesktopCalls.h"

#include <QApplication>
#include <QDesktopServices>

void OpenLink(const TLinkRequest &Request)
{
    QDesktopServices::openUrl(Request.Url);
}

void InformationBeep()
{
    QApplication::beep();
}
