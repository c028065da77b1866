// The Windows side: ShellExecuteA with the operation "open", and
// MessageBeep with the information sound (Qt's own beep plays another one).

#include "DesktopCalls.h"

#include <QWidget>

#include <windows.h>

#include <shellapi.h>

void OpenLink(const TLinkRequest &Request)
{
    const HWND owner = Request.Owner ? reinterpret_cast<HWND>(Request.Owner->window()->winId()) : nullptr;
    // The URL in its encoded, ASCII form, which the ANSI call takes whole.
    const QByteArray url = Request.Url.toEncoded();
    if (Request.Shown)
        ::ShellExecuteA(owner, "open", url.constData(), "", "", SW_SHOW);
    else
        ::ShellExecuteA(owner, "open", url.constData(), nullptr, nullptr, SW_HIDE);
}

void InformationBeep()
{
    ::MessageBeep(MB_ICONINFORMATION);
}
