// The window's side of polling without a window: what a hand-over puts into
// the journal and the log, the device number the poller is given, the state
// it goes on from after a restart, what the status bar reads, and no start
// while the window closes.

#include "PollingController.h"
#include "FormHarness.h"
#include "JournalLog.h"
#include "JournalSession.h"

namespace {

class PollingControllerTest : public ::testing::Test {
protected:
    PollingControllerTest()
    {
        Session.Document().SetJournalFileName(Dir.filePath("day.txt"));
        Session.RecoverOrStartLog(Dir.filePath("Nivara.log"), [](bool, const QString &) {});
        TPollingController::TWindow window;
        window.TypedDeviceNumber = [this] { return Typed; };
        window.CommitTypedDeviceNumber = [this] { ++Commits; };
        window.ShowPolling = [](bool) {};
        window.EnableCommands = [](bool) {};
        window.ShowError = [this](const QString &Text) { Errors << Text; };
        window.Closing = [this] { return Closing; };
        Controller = std::make_unique<TPollingController>(Poller, Session, PollState, std::move(window));
    }
    // A record as the poller hands it over.
    static TFixMeasResult Record(int Group, bool Repeated)
    {
        TFixMeasResult result{};
        result.DevNumber = 3;
        result.GroupNumber = uint8_t(Group);
        result.ValueCount = 1;
        result.Values[0] = Real6::FromFloat(20.0);
        result.ResultTime = 45000.5;
        result.AckPending = true;
        result.Repeated = Repeated;
        return result;
    }

    QTemporaryDir Dir;
    std::shared_ptr<TDialogScript> Script = std::make_shared<TDialogScript>();
    TScriptedDialogs Dialogs{Script};
    TJournalSession Session{Dialogs, nullptr, [] {}, [] { return QString(); }};
    TFixMeas Poller;
    TFixMeasResult PollState{};
    long double Typed = 7.5L;
    int Commits = 0;
    bool Closing = false;
    QStringList Errors;
    std::unique_ptr<TPollingController> Controller;
};

} // namespace

TEST_F(PollingControllerTest, AHandOverEntersAFreshResultAndLogsEveryState)
{
    Poller.SetMeasResult(Record(1, false));
    Poller.SetLastReply({1, 2, 3});
    Controller->PutResult();
    EXPECT_EQ(Session.Document().Model().RowCount(), 3);
    EXPECT_EQ(Session.ResultsEntered(), 1);
    EXPECT_EQ(PollState.GroupNumber, 1);
    TResultLogContents log = ReadResultLog(Dir.filePath("Nivara.log"));
    ASSERT_EQ(log.Results(), 1);
    EXPECT_EQ(log.Poll->LastReply, QByteArray("\x01\x02\x03", 3));

    // The same analysis sent again enters nothing, but its state is logged.
    Poller.SetMeasResult(Record(1, true));
    Controller->PutResult();
    EXPECT_EQ(Session.Document().Model().RowCount(), 3);
    log = ReadResultLog(Dir.filePath("Nivara.log"));
    EXPECT_EQ(log.Results(), 1);
    EXPECT_TRUE(log.Poll->State.Repeated);

    // After a restart the poller goes on from the logged state.
    TFixMeas fresh;
    PollState = {};
    TPollingController again(fresh, Session, PollState, {});
    again.GoOnFrom(*log.Poll);
    EXPECT_TRUE(PollState.Repeated);
    EXPECT_EQ(fresh.MeasResult().GroupNumber, 1);
    EXPECT_EQ(fresh.LastReply(), (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(PollingControllerTest, TheDeviceNumberAndTheLinkAsTheWindowShowsThem)
{
    // 7.5 rounds half to even, as the field shows it.
    Controller->GetDevNumber();
    EXPECT_EQ(Poller.MeasResult().DevNumber, 8);
    EXPECT_EQ(PollState.DevNumber, 8);

    Poller.SetPort(Dir.filePath("no-such-port"));
    const TLinkInput in = Controller->LinkInput();
    EXPECT_FALSE(in.Active);
    EXPECT_FALSE(in.PortPresent);
    EXPECT_EQ(in.DevNumber, 8);

    // Closing: the button starts nothing, and nothing is committed.
    Closing = true;
    Controller->Toggle();
    EXPECT_FALSE(Poller.Active());
    EXPECT_EQ(Commits, 0);
}
