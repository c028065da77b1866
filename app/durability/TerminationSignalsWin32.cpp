// The Windows side of the termination signals: the end of the session to a
// hidden top-level window (WM_ENDSESSION goes to every top-level window of
// the process, shown or not; a message-only window gets none), and the
// console's events through SetConsoleCtrlHandler.

#include "TerminationSignals.h"

#include <QtGlobal>

#include <mutex>
#include <stdexcept>
#include <system_error>
#include <windows.h>

namespace {

const wchar_t kWindowClass[] = L"NivaraTerminationSignals";
// Longer than the system waits for a console's handler (5 s for closing,
// 20 s at logout or shutdown): the system, not this wait, sets the limit.
constexpr DWORD kEndWaitMs = 30000;

std::mutex gMutex;                     // guards gOwner
TTerminationSignals *gOwner = nullptr; // the one object, or none
HANDLE gOwnerGone = nullptr;           // set once the object is gone; lives as long as the process

LRESULT CALLBACK OnWindowMessage(HWND Window, UINT Message, WPARAM WParam, LPARAM LParam)
{
    // The end of the session is decided (WM_QUERYENDSESSION is answered
    // yes by DefWindowProc: the program never stands in its way). The
    // receivers end the program in order right here, before the answer.
    if (Message == WM_ENDSESSION && WParam) {
        if (auto *owner = reinterpret_cast<TTerminationSignals *>(::GetWindowLongPtrW(Window, GWLP_USERDATA)))
            emit owner->Received((LParam & ENDSESSION_LOGOFF) ? CTRL_LOGOFF_EVENT : CTRL_SHUTDOWN_EVENT);
        return 0;
    }
    return ::DefWindowProcW(Window, Message, WParam, LParam);
}

// Runs on a thread of the system's own.
BOOL WINAPI OnConsoleEvent(DWORD Event)
{
    std::unique_lock lock(gMutex);
    TTerminationSignals *owner = gOwner;
    if (!owner)
        return FALSE;
    // Dropped by Qt should the object go first.
    QMetaObject::invokeMethod(
        owner, [owner, Event] { emit owner->Received(int(Event)); }, Qt::QueuedConnection);
    lock.unlock();
    // After Ctrl+C or Ctrl+Break the process goes on and ends through its
    // event loop. Closing the console (and a logout or shutdown reaching a
    // console program) ends it as soon as this returns.
    if (Event != CTRL_C_EVENT && Event != CTRL_BREAK_EVENT)
        ::WaitForSingleObject(gOwnerGone, kEndWaitMs);
    return TRUE;
}

HWND MakeWindow(TTerminationSignals *Owner)
{
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = OnWindowMessage;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    if (!::RegisterClassExW(&windowClass) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    // Never shown; a tool window stays out of the taskbar all the same.
    const HWND window = ::CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClass, L"Nivara", WS_POPUP, 0, 0, 0, 0, nullptr,
                                          nullptr, instance, nullptr);
    if (window)
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Owner));
    return window;
}

} // namespace

struct TTerminationSignals::TPlatform {
    HWND Window = nullptr;
};

TTerminationSignals::TTerminationSignals(QObject *Parent) : QObject(Parent), FPlatform(std::make_unique<TPlatform>())
{
    std::lock_guard lock(gMutex);
    if (gOwner)
        throw std::logic_error("termination signals are already handled");
    if (!gOwnerGone)
        gOwnerGone = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!gOwnerGone || !::ResetEvent(gOwnerGone))
        throw std::system_error(int(::GetLastError()), std::system_category(), "CreateEvent");
    if (!::SetConsoleCtrlHandler(OnConsoleEvent, TRUE))
        throw std::system_error(int(::GetLastError()), std::system_category(), "SetConsoleCtrlHandler");
    FPlatform->Window = MakeWindow(this);
    if (!FPlatform->Window)
        qWarning("no window for the end of the session (error %lu): only the console's events arrive",
                 ::GetLastError());
    gOwner = this;
}

TTerminationSignals::~TTerminationSignals()
{
    std::lock_guard lock(gMutex);
    ::SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    if (FPlatform->Window)
        ::DestroyWindow(FPlatform->Window);
    gOwner = nullptr;
    ::SetEvent(gOwnerGone);
}
