#include "LinkRules.h"

#include "FixMeas.h"
#include "ProgramTexts.h"
#include "RecordTime.h"

#include <QDateTime>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

// Whole seconds from Since to now on the monotonic clock; 0 without a Since.
int SecondsSince(const TLinkInput &In, const std::optional<TLinkInstant> &Since)
{
    if (!Since)
        return 0;
    const auto Elapsed = std::chrono::floor<std::chrono::seconds>(In.MonotonicNow - *Since).count();
    return int(std::clamp<int64_t>(Elapsed, 0, INT32_MAX));
}

QString Duration(int Seconds)
{
    if (Seconds < 60)
        return MyConsts::sLinkSeconds().arg(Seconds);
    return MyConsts::sLinkMinutes().arg(Seconds / 60).arg(Seconds % 60);
}

// In short for the bar, at length for its tooltip.
std::pair<QString, QString> RefusalCause(AnalyzerProtocol::TReplyVerdict Verdict)
{
    using AnalyzerProtocol::TReplyVerdict;
    switch (Verdict) {
    case TReplyVerdict::WrongEcho: return {MyConsts::sLinkRefusedEcho(), MyConsts::sLinkRefusedEchoLong()};
    case TReplyVerdict::WrongLength: return {MyConsts::sLinkRefusedLength(), MyConsts::sLinkRefusedLengthLong()};
    case TReplyVerdict::OwnRequest: return {MyConsts::sLinkRefusedOwnRequest(), MyConsts::sLinkRefusedOwnRequestLong()};
    default: return {MyConsts::sLinkRefusedNoise(), MyConsts::sLinkRefusedNoiseLong()};
    }
}

// The state of a run, and the seconds that go with it.
void DescribeRun(const TLinkInput &In, const TLinkSettings &Settings, TLinkStatus &Out)
{
    const TLinkSnapshot &Link = In.Link;
    switch (Link.Phase) {
    case TLinkPhase::Off: // the run has ended; the window hears of it next
    case TLinkPhase::Opening:
        Out.State = TLinkState::Opening;
        Out.StateText = MyConsts::sLinkOpening();
        return;
    case TLinkPhase::PortLost:
        Out.State = TLinkState::PortLost;
        Out.Seconds = SecondsSince(In, Link.PortLostSince);
        Out.StateText = MyConsts::sLinkPortLost().arg(Duration(Out.Seconds));
        Out.Advice = MyConsts::sLinkAdvicePortLost();
        Out.NeedsOperator = true;
        return;
    case TLinkPhase::Polling: break;
    }
    // The poller's gate, read the way it reads it.
    const double ElapsedMs = TFixMeas::GateElapsedMs(In.Now, Link.GateReference);
    if (TFixMeas::GateShut(ElapsedMs)) {
        Out.State = TLinkState::Waiting;
        Out.Seconds = int(std::ceil((TFixMeas::kFetchIntervalMs - ElapsedMs) / 1000));
        Out.StateText = MyConsts::sLinkWaiting().arg(Duration(Out.Seconds));
        if (Link.AckPending && Link.AcksMissed > 0)
            Out.StateText += MyConsts::sLinkAckMissing();
        return;
    }
    const int Unanswered = SecondsSince(In, Link.UnansweredSince);
    if (Link.UnansweredSince && Link.LastVerdict != AnalyzerProtocol::TReplyVerdict::NoReply &&
        Link.LastVerdict != AnalyzerProtocol::TReplyVerdict::Accepted) {
        Out.State = TLinkState::Refused;
        Out.Seconds = Unanswered;
        const auto [Short, Long] = RefusalCause(Link.LastVerdict);
        Out.StateText = MyConsts::sLinkRefused().arg(Short, Duration(Unanswered));
        Out.Advice = MyConsts::sLinkAdviceRefused().arg(Long);
    } else if (Link.UnansweredSince && Unanswered >= Settings.NoAnswerAfterSeconds) {
        Out.State = TLinkState::NoAnswer;
        Out.Seconds = Unanswered;
        Out.StateText = MyConsts::sLinkNoAnswer().arg(Duration(Unanswered));
        Out.Advice = MyConsts::sLinkAdviceNoAnswer();
    } else {
        Out.State = TLinkState::Fetching;
        Out.StateText = MyConsts::sLinkFetching();
        return;
    }
    Out.NeedsOperator = Unanswered > Settings.OperatorAfterSeconds;
}

} // namespace

std::pair<QString, QString> CannotStartReason(const QString &Port, bool PortPresent, uint16_t DevNumber)
{
    // Device 0 is no address: the run would end before its first fetch.
    if (DevNumber == 0)
        return {MyConsts::sLinkReasonDevice0(), MyConsts::sLinkAdviceDevice0()};
    if (Port.trimmed().isEmpty())
        return {MyConsts::sLinkReasonNoPort(), MyConsts::sLinkAdviceNoPort()};
    if (!PortPresent)
        return {MyConsts::sLinkReasonPortAbsent().arg(Port), MyConsts::sLinkAdvicePortAbsent()};
    return {};
}

TLinkStatus DescribeLink(const TLinkInput &In, const TLinkSettings &Settings)
{
    TLinkStatus Out;
    if (In.Port.isEmpty())
        Out.PortText = MyConsts::sLinkNoPort().arg(In.DevNumber);
    else if (In.PortDescription.isEmpty())
        Out.PortText = MyConsts::sLinkPort().arg(In.Port).arg(In.DevNumber);
    else
        Out.PortText = MyConsts::sLinkPortDescribed().arg(In.Port, In.PortDescription).arg(In.DevNumber);

    if (In.Active) {
        DescribeRun(In, Settings, Out);
    } else if (const auto [Reason, Advice] = CannotStartReason(In.Port, In.PortPresent, In.DevNumber);
               !Reason.isEmpty()) {
        Out.State = TLinkState::CannotStart;
        Out.StateText = MyConsts::sLinkCannotStart().arg(Reason);
        Out.Advice = Advice;
    } else {
        Out.State = TLinkState::Off;
        Out.StateText = MyConsts::sLinkOff();
    }

    if (In.LastResultTime == 0) {
        Out.ResultsText = MyConsts::sLinkResults().arg(In.ResultCount);
    } else {
        // The date only when it is not today's.
        const QDateTime When = DateTimeFromRecordTime(In.LastResultTime);
        const bool Today = When.date() == DateTimeFromRecordTime(In.Now).date();
        Out.ResultsText =
            MyConsts::sLinkResultsLast()
                .arg(In.ResultCount)
                .arg(When.toString(Today ? QStringLiteral("HH:mm:ss") : QStringLiteral("dd.MM.yyyy HH:mm:ss")));
    }

    const TLinkSnapshot &Link = In.Link;
    if (!Out.Advice.isEmpty())
        Out.Details = Out.Advice + QLatin1Char('\n');
    Out.Details += MyConsts::sLinkCounters()
                       .arg(Link.Fetches)
                       .arg(Link.Refused)
                       .arg(Link.AcksConfirmed)
                       .arg(Link.AcksMissed)
                       .arg(Link.Reopens);
    if (!Link.LastPortError.empty())
        Out.Details += QLatin1Char('\n') + MyConsts::sLinkPortError().arg(QString::fromStdString(Link.LastPortError));
    return Out;
}
