#include "PollingController.h"

#include "AppError.h"
#include "JournalSession.h"
#include "PortOpenMessage.h"
#include "ProgramTexts.h"
#include "ResultEntry.h"
#include "SerialPortList.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLocale>
#include <QTimer>

TPollingController::TPollingController(TFixMeas &Poller, TJournalSession &Session, TFixMeasResult &PollState,
                                       TWindow Window)
    : FPoller(Poller), FSession(Session), FPollState(PollState), FWindow(std::move(Window))
{
    FPoller.OnStarting = [this](QObject *) { Starting(); };
    FPoller.OnStoping = [this](QObject *, bool) { Stoping(); };
    FPoller.OnGetDevNumber = [this](QObject *) { GetDevNumber(); };
    // An error while entering a result is shown, and polling goes on; it
    // must not end the polling thread, which would rethrow it.
    FPoller.OnPutResult = [this](QObject *) { RunReportingErrors([&] { PutResult(); }); };
    FPoller.OnErrorOpenPort = [this](QObject *) { ErrorOpenPort(); };
}

TPollingController::~TPollingController()
{
    FPoller.OnStarting = nullptr;
    FPoller.OnStoping = nullptr;
    FPoller.OnGetDevNumber = nullptr;
    FPoller.OnPutResult = nullptr;
    FPoller.OnErrorOpenPort = nullptr;
}

void TPollingController::Toggle()
{
    if (FPoller.Active()) {
        FPoller.Stop();
        return;
    }
    if (FWindow.Closing())
        return;
    FWindow.CommitTypedDeviceNumber();
    FPoller.Start();
}

void TPollingController::WaitWhileActive()
{
    if (!FPoller.Active())
        return;
    // From inside one of the poller's own hand-offs (the end of a session
    // arriving while the box about the port is open) the poller waits for
    // this very thread: it is released instead of waited for.
    if (FPoller.InsideHandOff())
        FPoller.Cancel();
    // Commands stay off while the poller finishes its pass.
    FWindow.EnableCommands(false);
    QTimer tick; // wakes the wait even if no event comes for a while
    tick.start(50);
    while (FPoller.Active())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    FWindow.EnableCommands(true);
}

void TPollingController::GoOnFrom(const TPollSnapshot &Poll)
{
    // As from one polling run to the next: an acknowledgement still owed is
    // repeated, and the same analysis sent again is recognised.
    FPollState = Poll.State;
    FPoller.SetMeasResult(FPollState);
    FPoller.SetLastReply({Poll.LastReply.begin(), Poll.LastReply.end()});
}

TLinkInput TPollingController::LinkInput() const
{
    TLinkInput in;
    in.Active = FPoller.Active();
    in.Link = FPoller.LinkSnapshot();
    in.Now = FPoller.Clock()();
    in.MonotonicNow = FPoller.MonotonicClock()();
    in.Port = FPoller.Port();
    in.PortPresent = SerialPortPresent(in.Port.toStdString());
    in.DevNumber = DeviceNumberFromValue(FWindow.TypedDeviceNumber());
    in.LastResultTime = FPollState.ResultTime;
    return in;
}

void TPollingController::Starting()
{
    FWindow.ShowPolling(true);
}

void TPollingController::Stoping()
{
    FWindow.ShowPolling(false);
}

void TPollingController::GetDevNumber()
{
    FPollState.DevNumber = DeviceNumberFromValue(FWindow.TypedDeviceNumber());
    FPoller.SetMeasResult(FPollState);
}

void TPollingController::PutResult()
{
    FPollState = FPoller.MeasResult();
    // The poll state goes into the log too, so that an acknowledgement owed
    // at a crash is still owed after the restart.
    const std::vector<uint8_t> &reply = FPoller.LastReply();
    const TPollSnapshot poll{FPollState,
                             QByteArray(reinterpret_cast<const char *>(reply.data()), qsizetype(reply.size()))};
    if (!IsResultToEnter(FPollState)) {
        FSession.NotePoll(poll);
        return;
    }
    // On disk in the log before the poller acknowledges it.
    FSession.EnterResult(ResultCellTexts(FPollState, QLocale()), poll);
}

void TPollingController::ErrorOpenPort()
{
    QString text = MyConsts::sPortOpenError();
    // The thread waits inside this hand-off, so its record of the failure is settled.
    if (const TFixMeasThread *thread = FPoller.PollThread())
        text += QLatin1Char('\n') + PortOpenFailureLine(thread->OpenFailure(), CurrentUserName());
    FWindow.ShowError(text);
}
